#pragma once
// A source that a file tool's job could not handle, with the reason as the user reads it, and
// the texts that report such files. The reasons come from the library's record of the worker
// thread's last failure, or from the system when a file cannot be opened or replaced.

#include <QList>
#include <QString>
#include <QStringList>

class OutputFile;

struct FailedFile {
    QString path;
    QString reason; // may be empty when nothing more is known
};

QStringList FailedPaths(const QList<FailedFile>& files);

// The header, then one line per file: its path and, in parentheses, its reason.
QString FailedFilesText(const QString& header, const QList<FailedFile>& files);

// Why the calling thread's last library operation failed: the library's line without its
// leading "Class::Method, ". A generic text when the library recorded nothing.
QString LibraryFailureReason();

// The same for an update made on a copy of `source` at `copyPath`: the library names the copy,
// the user knows the source.
QString LibraryFailureReasonForCopy(const QString& copyPath, const QString& source);

// Why a library step on an output bound for `target` failed: when the system has refused a write
// of the output's file (a full disk, a size limit), whichever step noticed it, the target and
// the system's text as WriteFailureReason words them, for the library says only "the file" or
// nothing of the system; otherwise `libraryReason`.
QString OutputFailureReason(const QString& target, const OutputFile& output, const QString& libraryReason);

// Why a job may not write `target`: it is the same file as one of the job's inputs (same device
// and inode, FileIdentity), so writing it would destroy a document the job reads. Empty when it
// is none of them (or does not exist).
QString ReplacedInputReason(const QString& target, const QStringList& jobInputs);

// Why a file cannot be opened for writing: "The file you are trying to overwrite is opened in
// another application." when a running program holds it, else the file and the system's own
// text.
QString WriteFailureReason(const QString& path, const QString& systemText);
