#pragma once
// One output made by updating a copy of its source in place (crop, watermark). Open copies the
// source into a StagedOutput beside the target, starts an incremental update of the copy and
// reads its page count once, before the update writes anything: the copy grows as the update is
// written. The caller then writes its changes through Writer() and Parser(); Commit ends the
// update and puts the copy in the target's place. Destroying the object without a successful
// Commit closes the writer first and then removes the copy, so a failed or stopped update leaves
// no file behind and the target as it was. Reasons name the source or the target, never the copy.

#include "app/tools/StagedOutput.h"

#include "pdf/writing/PDFWriter.h"

#include <QString>

class PDFParser;

class UpdatedCopy {
public:
    UpdatedCopy(const QString& targetPath, const QString& sourcePath);
    UpdatedCopy(const UpdatedCopy&) = delete;
    UpdatedCopy& operator=(const UpdatedCopy&) = delete;

    // False with `reason` when the copy cannot be made or the library refuses it (not a PDF,
    // encrypted, damaged beyond reading).
    bool Open(QString& reason);

    // After a successful Open.
    PDFWriter& Writer() { return writer; }
    PDFParser& Parser() { return *parser; }
    // The source's pages, at most INT_MAX.
    int PageCount() const { return pageCount; }

    // Why the library's last step on this thread failed, naming the source; a write of the copy
    // that the system refused names the target instead.
    QString FailureReason();

    // Ends the update and renames the copy over the target. False with `reason` when either
    // fails; the copy is then removed.
    bool Commit(QString& reason);

private:
    QString target;
    QString source;
    StagedOutput staged;
    // Declared after the staged output, so that the writer has closed the copy before an
    // unfinished one is removed.
    PDFWriter writer;
    PDFParser* parser = nullptr;
    int pageCount = 0;
};
