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

} // namespace

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

bool StagedOutput::CreateHidden(const QString& ending, QString& path)
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
        QFile file(candidate);
        // Made anew with the usual permissions, never over a file that is there already.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            file.close();
            path = candidate;
            return true;
        }
        if (!QFileInfo::exists(candidate)) {
            error = file.errorString();
            return false;
        }
    }
    error = QStringLiteral("no free name for a temporary file in ") + info.path();
    return false;
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
    QFile source(sourcePath);
    QFile copy(temporary);
    if (!source.open(QIODevice::ReadOnly)) {
        error = source.errorString();
        Discard();
        return false;
    }
    // Unbuffered: each write reaches the system, so a failure is known where it happens.
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        error = copy.errorString();
        Discard();
        return false;
    }
    QByteArray buffer;
    while (!source.atEnd()) {
        buffer = source.read(1 << 20);
        if (buffer.isEmpty() && source.error() != QFileDevice::NoError) {
            error = source.errorString();
            Discard();
            return false;
        }
        if (!WriteAll(copy, buffer)) {
            error = copy.errorString();
            Discard();
            return false;
        }
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
    std::filesystem::rename(LocalPath(temporary), LocalPath(target), failure);
    if (failure) {
        error = QString::fromLocal8Bit(failure.message().c_str());
        Discard();
        return false;
    }
    temporary.clear();
    return true;
}

bool StagedOutput::MoveTargetAside()
{
    // Under a hidden name of its own: the rename takes the place of the empty file made for it.
    QString kept;
    if (!CreateHidden(QStringLiteral(".kept"), kept))
        return false;
    std::error_code failure;
    std::filesystem::rename(LocalPath(target), LocalPath(kept), failure);
    if (failure) {
        QFile::remove(kept);
        error = QString::fromLocal8Bit(failure.message().c_str());
        return false;
    }
    keptAside = kept;
    return true;
}

bool StagedOutput::CommitProvisionally()
{
    // A folder in the target's place stays where it is, and the commit fails on it.
    const QFileInfo replaced(target);
    if (replaced.exists() && !replaced.isDir() && !MoveTargetAside()) {
        Discard();
        return false;
    }
    committedProvisionally = Commit();
    if (!committedProvisionally)
        Revert();
    return committedProvisionally;
}

void StagedOutput::Confirm()
{
    if (!keptAside.isEmpty())
        QFile::remove(keptAside);
    keptAside.clear();
    committedProvisionally = false;
}

void StagedOutput::Revert()
{
    Discard();
    if (!keptAside.isEmpty()) {
        // Over the new file, if the commit made one, in one step. Should that fail, the old file
        // stays under its hidden name rather than being lost.
        std::error_code failure;
        std::filesystem::rename(LocalPath(keptAside), LocalPath(target), failure);
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
