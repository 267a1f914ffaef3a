#include "app/create/HtmlExport.h"

#include "app/create/DocumentImages.h"
#include "app/tools/FailedFile.h"
#include "app/tools/FileIdentity.h"
#include "app/tools/StagedOutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("HtmlExport", text);
}

// One image file of the page: where it is read from and the name of its copy in the folder.
struct Copy {
    QString source;
    QString target;
    std::unique_ptr<StagedOutput> staged;
};

// The images' folder that an export made, removed when the export ends without completing, also
// when memory runs out on the way; a completed export clears the path.
struct MadeFolder {
    QString path;
    ~MadeFolder()
    {
        if (!path.isEmpty())
            QDir().rmdir(path);
    }
};

// A file name in the folder for a copy of `source`: its own, or with "_2", "_3" ... before the
// extension when another image of the page has that name already, or when the file of that name
// is one of the page's images (a page exported before and pasted back), which must stay.
QString FreeCopyName(const QString& folder, const QString& source, const QSet<QString>& taken,
                     const QStringList& sources)
{
    const QString fileName = QFileInfo(source).fileName();
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString baseName = dot <= 0 ? fileName : fileName.left(dot);
    const QString extension = dot <= 0 ? QString() : fileName.mid(dot);
    QString name = fileName;
    for (int n = 2; taken.contains(name) || !FindSameFile(folder + QLatin1Char('/') + name, sources).isEmpty(); ++n)
        name = baseName + QLatin1Char('_') + QString::number(n) + extension;
    return name;
}

} // namespace

namespace HtmlExport {

QString ImagesFolderOf(const QString& htmlPath)
{
    const QFileInfo page(htmlPath);
    return page.path() + QLatin1Char('/') + page.completeBaseName() + QStringLiteral("_files");
}

bool WritePageWithImages(const QString& htmlPath, QTextDocument& document, QString& error)
{
    const QString folder = ImagesFolderOf(htmlPath);
    const QString folderUrl = QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(folder).fileName()));

    // Which image goes where, before anything is written. A name that is no local file (a web
    // address, a relative name) is left as it is: the editor never deletes what it names.
    const QList<QTextFragment> fragments = DocumentImages::Fragments(document);
    QStringList sources;
    for (const QTextFragment& fragment : fragments)
        sources.append(DocumentImages::FilePath(fragment.charFormat().toImageFormat().name()));
    // Declared before the copies, so that it goes after them: the folder is removed once empty.
    MadeFolder madeFolder;
    std::vector<Copy> copies;
    QHash<QString, QString> urlOfName;
    QSet<QString> taken;
    for (int at = 0; at < fragments.size(); ++at) {
        const QString name = fragments[at].charFormat().toImageFormat().name();
        if (urlOfName.contains(name) || !QDir::isAbsolutePath(sources[at]))
            continue;
        const QString copyName = FreeCopyName(folder, sources[at], taken, sources);
        taken.insert(copyName);
        urlOfName.insert(name, folderUrl + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(copyName)));
        Copy copy;
        copy.source = sources[at];
        copy.target = folder + QLatin1Char('/') + copyName;
        copies.push_back(std::move(copy));
    }

    if (!copies.empty() && !QFileInfo(folder).isDir()) {
        std::error_code failure;
        std::filesystem::create_directory(std::filesystem::path(QFile::encodeName(folder).toStdString()), failure);
        if (failure) {
            error = WriteFailureReason(folder, QString::fromLocal8Bit(failure.message().c_str()));
            return false;
        }
        madeFolder.path = folder;
    }
    // Undoes what this export did, when it cannot be completed: the copies put in place go, and
    // the files they replaced come back.
    auto fail = [&](const QString& reason) {
        for (Copy& copy : copies)
            copy.staged.reset();
        error = reason;
        return false;
    };

    for (Copy& copy : copies) {
        copy.staged = std::make_unique<StagedOutput>(copy.target);
        if (!copy.staged->CreateAsCopyOf(copy.source))
            return fail(tr("the image %1 cannot be copied to %2: %3")
                            .arg(QDir::toNativeSeparators(copy.source), QDir::toNativeSeparators(folder),
                                 copy.staged->ErrorString()));
    }

    // The page names the copies. The places are taken from the fragments found before any
    // change: a changed format may merge fragments, which leaves later ones pointing elsewhere.
    struct Change {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Change> changes;
    for (const QTextFragment& fragment : fragments) {
        QTextImageFormat format = fragment.charFormat().toImageFormat();
        const auto url = urlOfName.constFind(format.name());
        if (url == urlOfName.constEnd())
            continue;
        format.setName(*url);
        changes.append({fragment.position(), fragment.length(), format});
    }
    QTextCursor cursor(&document);
    for (const Change& change : changes) {
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    // The page says it is UTF-8: a browser, or a web server that names no charset, would read
    // it in its own default encoding otherwise.
    StagedOutput page(htmlPath);
    if (!page.CreateWith(document.toHtml(QByteArrayLiteral("utf-8")).toUtf8()))
        return fail(WriteFailureReason(htmlPath, page.ErrorString()));

    // An earlier export's images stay until the page and every copy are in place.
    for (Copy& copy : copies)
        if (!copy.staged->CommitProvisionally())
            return fail(WriteFailureReason(copy.target, copy.staged->ErrorString()));
    if (!page.Commit())
        return fail(WriteFailureReason(htmlPath, page.ErrorString()));
    for (Copy& copy : copies)
        copy.staged->Confirm();
    madeFolder.path.clear();
    return true;
}

} // namespace HtmlExport
