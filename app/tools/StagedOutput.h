#pragma once
// One output file of a job, written beside its target and put in the target's place only when
// the job has ended it well: an existing file is replaced only by a complete one, and a job that
// fails or is stopped leaves the target as it was. Create (an empty file) or CreateAsCopyOf (an
// exact copy of a source, for the tools that update a copy in place) makes the temporary file in
// the target's folder; the job writes it through TemporaryPath(); Commit renames it over the
// target in one step. Destroying the object without a successful Commit removes the temporary
// file. A target that is a symbolic link is replaced where the link points, and a replaced file
// keeps its permissions. Used on one thread at a time; never touches anything but its own
// temporary file and, at Commit, the target.

#include <QByteArray>
#include <QString>

class StagedOutput {
public:
    explicit StagedOutput(const QString& targetPath);
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // A new, empty temporary file. False (with ErrorString) when none can be made there, or the
    // target's path holds a NUL.
    bool Create();
    // A new temporary file holding the source's bytes.
    bool CreateAsCopyOf(const QString& sourcePath);
    // A new temporary file holding these bytes.
    bool CreateWith(const QByteArray& bytes);

    QString TemporaryPath() const { return temporary; }
    // The file that Commit replaces or creates (a link's destination).
    QString TargetPath() const { return target; }

    // Renames the temporary file over the target. False (with ErrorString) when it cannot; the
    // temporary file is then removed and the target stays as it was.
    bool Commit();
    // Commit, keeping the replaced file aside until Confirm or Revert.
    bool CommitProvisionally();
    // After CommitProvisionally: the replaced file is removed, and the new one stays.
    void Confirm();
    // The target as it was before CommitProvisionally; before a commit, Discard.
    void Revert();
    // Removes the temporary file; the target is not touched.
    void Discard();

    // The system's text for the step that failed last.
    QString ErrorString() const { return error; }

private:
    // A new empty hidden file beside the target, with the ending; false (with error) when none
    // can be made.
    bool CreateHidden(const QString& ending, QString& path);
    // Renames the target to a hidden name beside it, noted in keptAside.
    bool MoveTargetAside();

    QString target;
    bool targetExisted = false;
    QString temporary;
    // The file a provisional commit replaced, under its hidden name.
    QString keptAside;
    bool committedProvisionally = false;
    QString error;
};
