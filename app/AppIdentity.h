#pragma once
// The program's name towards Qt: organization, domain and application name, under which the
// settings store keeps every remembered folder, and the version the About box shows. One
// object per process, made by the first Instance() (which needs the QApplication to exist)
// and never deleted. GUI thread only.

#include <QString>

class AppIdentity {
public:
    static AppIdentity* Instance();

    QString Version() const;

    // The maker's web site: the About box links to it, the tools' help pages live below it.
    static QString WebSite();

private:
    AppIdentity();

    QString version;
};
