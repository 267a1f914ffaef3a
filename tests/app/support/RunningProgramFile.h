#pragma once
// The file of a running program at a given path, for as long as the object lives: a copy of
// /bin/sleep, started from there. Such a file is "opened in another application" only where the
// system refuses to open it for writing (Linux says "text file busy", but not every release
// does) and where the folder lets programs run (not a noexec mount): Unavailable() says why not,
// for a skip, and is empty when the file is ready.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

class RunningProgramFile {
public:
    explicit RunningProgramFile(const QString& path)
    {
        if (!QFile::copy(QStringLiteral("/bin/sleep"), path) ||
            !QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner)) {
            reason = QStringLiteral("cannot copy /bin/sleep to ") + path;
            return;
        }
        program.start(path, {QStringLiteral("30")});
        if (!program.waitForStarted()) {
            reason = QStringLiteral("no program may run from ") + path + QStringLiteral(" (a noexec folder?)");
            return;
        }
        // Asked here, not through the library's IsFileBusy, so that a fault there fails the
        // test instead of skipping it.
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            reason = QStringLiteral("this kernel lets the file of a running program be written");
        } else if (errno != ETXTBSY) {
            reason = QStringLiteral("the running program's file cannot be opened for writing, but not as busy");
        }
    }
    ~RunningProgramFile()
    {
        program.kill();
        program.waitForFinished();
    }
    RunningProgramFile(const RunningProgramFile&) = delete;
    RunningProgramFile& operator=(const RunningProgramFile&) = delete;

    QString Unavailable() const { return reason; }

private:
    QProcess program;
    QString reason;
};
