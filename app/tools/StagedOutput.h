#pragma once
// One output file of a job, written beside its target and put in the target's place only when
// the job has ended it well: an existing file is replaced only by a complete one, and a job that
// fails or is stopped leaves the target as it was. Create (an empty file) or CreateAsCopyOf (an
// exact copy of a source, for the tools that update a copy in place) makes the temporary file in
// the target's folder; the job writes it through TemporaryPath(); Commit renames it over the
// target in one step. Destroying the object without a successful Commit removes the temporary
// file. A target that is a symbolic link is replaced where the link points, and a replaced file
// keeps its permissions. Used on one thread at a time; never touches anything but its own
// hidden files and, at Commit, the target. The name of a file that is replaced is only ever a
// rename's destination, so at every moment it names the old file or the new one, never nothing.

#include <QByteArray>
#include <QString>

#include <functional>

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
    // Commit, keeping the replaced file under a hidden second name (a hard link, or a copy where
    // the file system or the file refuses one) until Confirm or Revert.
    bool CommitProvisionally();
    // After CommitProvisionally: the replaced file is removed, and the new one stays.
    void Confirm();
    // The target as it was before CommitProvisionally; before a commit, Discard.
    void Revert();
    // Removes the temporary file; the target is not touched.
    void Discard();

    // The system's text for the step that failed last.
    QString ErrorString() const { return error; }

    // The steps that give a file beside the target a name: a second name, or a rename.
    enum class NameStep { Link, Rename };
    // Called before each such step with its paths, on the thread that takes it; a step it answers
    // false to fails as the system's refusal would ("Operation not permitted"). Lets tests see
    // every name a file takes and reach the paths that a refused step leads to. Set it only while
    // no output is being written; an empty function watches nothing.
    using NameStepWatcher = std::function<bool(NameStep step, const QString& from, const QString& to)>;
    static void SetNameStepWatcher(NameStepWatcher watcher);

private:
    enum class Made { Yes, NameTaken, Failed };
    // Tries hidden names beside the target, with the ending, until `make` makes a file of one;
    // false (with error, which a failed `make` sets) when none can be made.
    bool MakeHidden(const QString& ending, const std::function<Made(const QString&)>& make, QString& path);
    // A new empty hidden file beside the target, with the ending.
    bool CreateHidden(const QString& ending, QString& path);
    // Keeps the target under a second, hidden name (or as a hidden copy), noted in keptAside.
    bool KeepTargetAside();
    // Removes the file kept aside, if any.
    void DropKept();

    QString target;
    bool targetExisted = false;
    QString temporary;
    // The file a provisional commit replaces, under its hidden name.
    QString keptAside;
    bool committedProvisionally = false;
    QString error;
};
