#include "app/AppIdentity.h"

#include <QCoreApplication>

namespace {
AppIdentity* sIdentity = nullptr;
}

AppIdentity* AppIdentity::Instance()
{
    if (!sIdentity)
        sIdentity = new AppIdentity();
    return sIdentity;
}

AppIdentity::AppIdentity() : version(QStringLiteral("1.2.0"))
{
    QCoreApplication::setOrganizationName(QStringLiteral("Brennmoor Software"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("velloran.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Velloran"));
}

QString AppIdentity::Version() const
{
    return version;
}

QString AppIdentity::WebSite()
{
    return QStringLiteral("https://www.velloran.example");
}
