#include "app/tools/StagedOutput.h"

#include "pdf/io/Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path LocalPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// A disk that fills up takes part of a write and reports nothing: the system names the cause
// only when the rest is written. So the rest is written until it is all taken or a write fails,
// and the file's error text is then the system's ("No space left on device"), never the
// "Unknown error" of a short write.
bool WriteAll(QFile& file, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Copies the source's bytes into an existing file; false with the system's text for the step
// that failed.
bool CopyBytes(const QString& sourcePath, const QString& destinationPath, QString& error)
{
    QFile source(sourcePath);
    QFile copy(destinationPath);
    if (!source.open(QIODevice::ReadOnly)) {
        error = source.errorString();
        return false;
    }
    // Unbuffered: each write reaches the system, so a failure is known where it happens.
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        error = copy.errorString();
        return false;
    }
    QByteArray buffer;
    while (!source.atEnd()) {
        buffer = source.read(1 << 20);
        if (buffer.isEmpty() && source.error() != QFileDevice::NoError) {
            error = source.errorString();
            return false;
        }
        if (!WriteAll(copy, buffer)) {
            error = copy.errorString();
            return false;
        }
    }
    return true;
}

StagedOutput::NameStepWatcher& Watcher()
{
    static StagedOutput::NameStepWatcher watcher;
    return watcher;
}

// Every rename and second name goes through here, where a watcher may look at it.
void TakeNameStep(StagedOutput::NameStep step, const QString& from, const QString& to, std::error_code& failure)
{
    if (Watcher() && !Watcher()(step, from, to)) {
        failure = std::make_error_code(std::errc::operation_not_permitted);
        return;
    }
    if (step == StagedOutput::NameStep::Link)
        std::filesystem::create_hard_link(LocalPath(from), LocalPath(to), failure);
    else
        std::filesystem::rename(LocalPath(from), LocalPath(to), failure);
}

QString SystemText(const std::error_code& failure)
{
    return QString::fromLocal8Bit(failure.message().c_str());
}

} // namespace

void StagedOutput::SetNameStepWatcher(NameStepWatcher watcher)
{
    Watcher() = std::move(watcher);
}

StagedOutput::StagedOutput(const QString& targetPath) : target(targetPath)
{
    // Replacing a link would cut it from the file it names; the file itself is what the user
    // means.
    const QFileInfo info(targetPath);
    targetExisted = info.exists();
    if (info.isSymLink() && targetExisted)
        target = info.canonicalFilePath();
}

StagedOutput::~StagedOutput()
{
    Revert();
}

bool StagedOutput::MakeHidden(const QString& ending, const std::function<Made(const QString&)>& make,
                              QString& path)
{
    // Qt opens such a name cut at the NUL, a file of another name, and then refuses to remove it
    // by its full name: the temporary file would stay.
    if (target.contains(QChar(0))) {
        error = QStringLiteral("the name holds a NUL character, which no file name may hold");
        return false;
    }
    const QFileInfo info(target);
    // Hidden, beside the target (a rename never crosses file systems), and with an ending that
    // no file list of the tools picks up.
    const QString stem = info.path() + QStringLiteral("/.") + info.fileName().left(40) + QLatin1Char('.');
    for (int attempt = 0; attempt < 32; ++attempt) {
        const QString candidate =
            stem + QString::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, QLatin1Char('0')) +
            ending;
        switch (make(candidate)) {
        case Made::Yes:
            path = candidate;
            return true;
        case Made::Failed:
            return false;
        case Made::NameTaken:
            break;
        }
    }
    error = QStringLiteral("no free name for a temporary file in ") + info.path();
    return false;
}

bool StagedOutput::CreateHidden(const QString& ending, QString& path)
{
    return MakeHidden(ending, [this](const QString& candidate) {
        QFile file(candidate);
        // Made anew with the usual permissions, never over a file that is there already.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return Made::Yes;
        if (QFileInfo::exists(candidate))
            return Made::NameTaken;
        error = file.errorString();
        return Made::Failed;
    }, path);
}

bool StagedOutput::Create()
{
    Discard();
    if (!CreateHidden(QStringLiteral(".part"), temporary))
        return false;
    if (targetExisted)
        QFile::setPermissions(temporary, QFileInfo(target).permissions());
    return true;
}

bool StagedOutput::CreateAsCopyOf(const QString& sourcePath)
{
    if (!Create())
        return false;
    if (!CopyBytes(sourcePath, temporary, error)) {
        Discard();
        return false;
    }
    return true;
}

bool StagedOutput::CreateWith(const QByteArray& bytes)
{
    if (!Create())
        return false;
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) || !WriteAll(file, bytes)) {
        error = file.errorString();
        Discard();
        return false;
    }
    return true;
}

bool StagedOutput::Commit()
{
    if (temporary.isEmpty()) {
        error = QStringLiteral("nothing was written");
        return false;
    }
    // A file that is replaced must not be lost to a crash that comes before its successor's
    // bytes reach the disk; a new file has nothing to lose.
    if (targetExisted && !Platform::FlushFileToDisk(temporary.toUtf8().toStdString())) {
        error = QStringLiteral("the data could not be written to the disk: %1")
                    .arg(QString::fromStdString(Platform::LastErrorText()));
        Discard();
        return false;
    }
    std::error_code failure;
    TakeNameStep(NameStep::Rename, temporary, target, failure);
    if (failure) {
        error = SystemText(failure);
        Discard();
        return false;
    }
    temporary.clear();
    return true;
}

bool StagedOutput::KeepTargetAside()
{
    // A second name for the file rather than a rename: the commit's one rename then replaces it,
    // and the target's name never goes without a file, even if the program dies in between.
    QString kept;
    const bool linked = MakeHidden(QStringLiteral(".kept"), [this](const QString& candidate) {
        std::error_code failure;
        TakeNameStep(NameStep::Link, target, candidate, failure);
        if (!failure)
            return Made::Yes;
        if (failure == std::errc::file_exists)
            return Made::NameTaken;
        error = SystemText(failure);
        return Made::Failed;
    }, kept);
    if (!linked) {
        // A file system without hard links, or a file the user may not link: a copy serves too.
        if (!CreateHidden(QStringLiteral(".kept"), kept))
            return false;
        if (!CopyBytes(target, kept, error)) {
            QFile::remove(kept);
            return false;
        }
        // Once written: a read-only file's copy could not be written otherwise.
        QFile::setPermissions(kept, QFileInfo(target).permissions());
    }
    keptAside = kept;
    return true;
}

void StagedOutput::DropKept()
{
    if (!keptAside.isEmpty())
        QFile::remove(keptAside);
    keptAside.clear();
}

bool StagedOutput::CommitProvisionally()
{
    // A folder in the target's place stays where it is, and the commit fails on it.
    const QFileInfo replaced(target);
    if (replaced.exists() && !replaced.isDir() && !KeepTargetAside()) {
        Discard();
        return false;
    }
    committedProvisionally = Commit();
    if (!committedProvisionally)
        DropKept(); // the target was not replaced: it still is the file kept aside
    return committedProvisionally;
}

void StagedOutput::Confirm()
{
    DropKept();
    committedProvisionally = false;
}

void StagedOutput::Revert()
{
    Discard();
    if (committedProvisionally && !keptAside.isEmpty()) {
        // Over the new file in one step. Should that fail, the old file stays under its hidden
        // name rather than being lost.
        std::error_code failure;
        TakeNameStep(NameStep::Rename, keptAside, target, failure);
    } else if (committedProvisionally) {
        QFile::remove(target); // there was none before the commit
    }
    keptAside.clear();
    committedProvisionally = false;
}

void StagedOutput::Discard()
{
    if (temporary.isEmpty())
        return;
    QFile::remove(temporary);
    temporary.clear();
}
