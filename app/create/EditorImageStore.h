#pragma once
// The Create New PDF editor's image files: under the user's Documents folder, "Velloran/Images/
// Original" holds a re-encoded copy of every picked image at its full size and "Velloran/Images/
// Resized" the copy at the size the document shows, under the same file name.
//
// The store writes and deletes only files that lie in those two folders once links and ".." are
// resolved, so no image name from a pasted fragment or a project file can make it touch a file of
// the user's. It deletes nothing while an editing run goes on: files made in this run are
// remembered, and DeleteUnreferenced (the editor's reset) removes those that no project saved or
// loaded in this run refers to; files of earlier runs are never deleted. GUI thread only.

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class QImage;

class EditorImageStore {
public:
    // The two folders (the Documents location + "/Velloran/Images/Original" or "/Resized").
    static QString OriginalFolder();
    static QString ResizedFolder();

    // Whether the path names a file directly inside the Resized (Original) folder; a file that
    // does not exist yet counts by the folder it would be made in.
    static bool IsResizedCopy(const QString& path);
    static bool IsStoredOriginal(const QString& path);
    // The stored original belonging to a resized copy (same file name, Original folder).
    static QString OriginalOf(const QString& resizedPath);

    // The file name (base name + n + extension) for a newly stored image: the smallest n from 1
    // for which neither folder holds a file of that name.
    static QString FreeStoredName(const QString& baseName, const QString& extension);

    // Writes the image, in the format its extension names, as the file of that name in one of the
    // two folders (made when missing); an existing file is replaced only once the new one is
    // complete. False for a name that would lead outside the folder, or a failed write.
    static bool SaveImage(const QImage& image, const QString& folder, const QString& fileName);

    // Notes the two files of an image made in this run.
    void NoteCreated(const QString& resizedPath, const QString& originalPath);
    // The resized copies a project file, just saved or loaded, refers to (its earlier entry goes).
    void NoteProjectImages(const QString& projectPath, const QStringList& resizedPaths);
    // Deletes the files made in this run that no noted project refers to, and forgets them.
    void DeleteUnreferenced();

private:
    struct Created {
        QString resized;
        QString original;
    };
    // Deletes a file that lies inside one of the two folders.
    static bool RemoveStoredFile(const QString& path);

    QList<Created> created;
    QHash<QString, QSet<QString>> projectImages;
};
