#include "app/create/EditorImageStore.h"

#include "app/AppSettings.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

namespace {

// Whether the path names a file directly inside the folder, judged on the real locations: a
// link counts where it leads (a dangling one nowhere), ".." and linked folders are resolved.
bool LiesIn(const QString& path, const QString& folder)
{
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    const QFileInfo file(path);
    if (path.isEmpty() || realFolder.isEmpty() || !file.isAbsolute())
        return false;
    if (file.exists() || file.isSymLink()) {
        const QFileInfo target(file.canonicalFilePath());
        return target.isFile() && target.absolutePath() == realFolder;
    }
    return !file.fileName().isEmpty() && QFileInfo(file.absolutePath()).canonicalFilePath() == realFolder;
}

bool Occupied(const QString& path)
{
    const QFileInfo file(path);
    return file.exists() || file.isSymLink();
}

// One spelling per file, so that a project that names a copy differently still protects it.
QString FileKey(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : real;
}

// The image format written for a file name: its extension, in lower case; ".jpe" is a JPEG file
// that Qt knows by no such name.
QByteArray FormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("jpe"))
        return QByteArrayLiteral("jpeg");
    return suffix.toLatin1();
}

} // namespace

QString EditorImageStore::OriginalFolder()
{
    return AppSettings::DocumentsFolder() + QStringLiteral("/Velloran/Images/Original");
}

QString EditorImageStore::ResizedFolder()
{
    return AppSettings::DocumentsFolder() + QStringLiteral("/Velloran/Images/Resized");
}

bool EditorImageStore::IsResizedCopy(const QString& path)
{
    return LiesIn(path, ResizedFolder());
}

bool EditorImageStore::IsStoredOriginal(const QString& path)
{
    return LiesIn(path, OriginalFolder());
}

QString EditorImageStore::OriginalOf(const QString& resizedPath)
{
    return OriginalFolder() + QLatin1Char('/') + QFileInfo(resizedPath).fileName();
}

QString EditorImageStore::FreeStoredName(const QString& baseName, const QString& extension)
{
    const QString original = OriginalFolder() + QLatin1Char('/');
    const QString resized = ResizedFolder() + QLatin1Char('/');
    for (qint64 n = 1;; ++n) {
        const QString name = baseName + QString::number(n) + extension;
        // A resized copy without its original still belongs to some document.
        if (!Occupied(original + name) && !Occupied(resized + name))
            return name;
    }
}

bool EditorImageStore::SaveImage(const QImage& image, const QString& folder, const QString& fileName)
{
    if (image.isNull() || fileName.isEmpty() || fileName.contains(QLatin1Char('/')))
        return false;
    if (!QDir(folder).exists() && !QDir().mkpath(folder))
        return false;
    const QString path = folder + QLatin1Char('/') + fileName;
    if (!LiesIn(path, folder))
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, FormatOf(fileName).constData()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool EditorImageStore::RemoveStoredFile(const QString& path)
{
    if (!LiesIn(path, OriginalFolder()) && !LiesIn(path, ResizedFolder()))
        return false;
    return QFile::remove(path);
}

void EditorImageStore::NoteCreated(const QString& resizedPath, const QString& originalPath)
{
    created.append(Created{resizedPath, originalPath});
}

void EditorImageStore::NoteProjectImages(const QString& projectPath, const QStringList& resizedPaths)
{
    QSet<QString> keys;
    for (const QString& path : resizedPaths)
        keys.insert(FileKey(path));
    projectImages.insert(FileKey(projectPath), keys);
}

void EditorImageStore::DeleteUnreferenced()
{
    QSet<QString> referenced;
    for (const QSet<QString>& images : qAsConst(projectImages))
        referenced.unite(images);
    QList<Created> kept;
    for (const Created& image : qAsConst(created)) {
        // A project saved again without the image may still let it go at a later reset.
        if (referenced.contains(FileKey(image.resized))) {
            kept.append(image);
            continue;
        }
        RemoveStoredFile(image.resized);
        RemoveStoredFile(image.original);
    }
    created = kept;
}
