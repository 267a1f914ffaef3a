#include "app/tools/UpdatedCopy.h"

#include "app/tools/FailedFile.h"

#include <climits>

UpdatedCopy::UpdatedCopy(const QString& targetPath, const QString& sourcePath)
    : target(targetPath), source(sourcePath), staged(targetPath)
{
}

bool UpdatedCopy::Open(QString& reason)
{
    if (!staged.CreateAsCopyOf(source)) {
        reason = WriteFailureReason(target, staged.ErrorString());
        return false;
    }
    // Version code 13: the update never lowers a version; it raises 1.0 to 1.2 files to 1.3.
    if (writer.StartIncrementalUpdate(staged.TemporaryPath().toUtf8().toStdString(), 13) != eSuccess) {
        reason = FailureReason();
        return false;
    }
    parser = writer.GetModifiedFileParser();
    if (!parser) {
        reason = FailureReason();
        return false;
    }
    const unsigned long pages = parser->GetPageCount();
    pageCount = pages > static_cast<unsigned long>(INT_MAX) ? INT_MAX : static_cast<int>(pages);
    return true;
}

QString UpdatedCopy::FailureReason()
{
    return OutputFailureReason(target, writer.GetOutputFile(),
                               LibraryFailureReasonForCopy(staged.TemporaryPath(), source));
}

bool UpdatedCopy::Commit(QString& reason)
{
    if (writer.EndPDF() != eSuccess) {
        reason = FailureReason();
        return false;
    }
    if (!staged.Commit()) {
        reason = WriteFailureReason(target, staged.ErrorString());
        return false;
    }
    return true;
}
