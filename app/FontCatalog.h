#pragma once
// The TrueType fonts of the system's font folders: every ".ttf" file found below the
// QStandardPaths::FontsLocation folders, by the display name the watermark tool shows for it.
// Fonts are found only through this map, never by joining a name to a folder, so a name can
// neither miss a font that lies in a subfolder nor reach a file outside the font folders. When
// two files give one name, the first folder's file wins, then the first in name order.

#include <QMap>
#include <QString>
#include <QStringList>

class FontCatalog {
public:
    // Scans the folders and everything below them.
    explicit FontCatalog(const QStringList& folders);

    // The catalog of the system font folders, scanned on first use; safe from any thread.
    static const FontCatalog& Shared();

    // Sorted by name, ignoring case.
    QStringList DisplayNames() const;
    // The file of a display name; empty when there is none.
    QString PathOf(const QString& displayName) const;

    // A file name's display name: every ".ttf" removed and the first character upper-cased
    // (arialbd.ttf gives Arialbd); empty for names holding ".TTF", which are not offered.
    static QString DisplayNameForFile(const QString& fileName);

private:
    QMap<QString, QString> mPaths;
};
