#include "app/tools/merge/PDFMerger.h"

#include "app/OutOfMemory.h"
#include "app/tools/ProgressPercent.h"
#include "app/tools/StagedOutput.h"
#include "app/tools/merge/PDFWriterMergeOutput.h"


namespace {

bool Stopped(const std::atomic<bool>* stop)
{
    return stop && stop->load(std::memory_order_acquire);
}

} // namespace

PDFMerger::PDFMerger(MergeOutputFactory factory, QObject* parent)
    : QObject(parent), outputFactory(factory ? std::move(factory) : MergeOutputFactory(CreatePDFWriterMergeOutput))
{
}

MergeResult PDFMerger::Merge(const QStringList& files, const QString& outputPath, const std::atomic<bool>* stop,
                             const std::function<bool(const QString&)>& check)
{
    return WhenMemoryRunsOut([&] { return MergeStaged(files, outputPath, stop, check); },
                             [](const QString& ranOut) {
                                 MergeResult failed;
                                 failed.failure = ranOut;
                                 return failed;
                             });
}

MergeResult PDFMerger::MergeStaged(const QStringList& files, const QString& outputPath,
                                   const std::atomic<bool>* stop, const std::function<bool(const QString&)>& check)
{
    MergeResult result;
    if (Stopped(stop)) {
        result.stopped = true;
        return result;
    }
    // Writing over one of the inputs would destroy it, however the job was called.
    result.failure = ReplacedInputReason(outputPath, files);
    if (!result.failure.isEmpty())
        return result;
    // Whatever ends the job early leaves the output path as it was: the document is written
    // beside it and takes its place only when it is complete.
    StagedOutput staged(outputPath);
    if (!staged.Create()) {
        result.failure = WriteFailureReason(outputPath, staged.ErrorString());
        return result;
    }
    // Declared after the staged output, so that the file is closed before an unfinished one is
    // removed.
    std::unique_ptr<IMergeOutput> output = outputFactory();
    // An output that cannot be created ends the job before any input is read.
    if (!output || !output->Start(staged.TemporaryPath(), outputPath)) {
        result.failure = output ? output->LastFailure() : tr("the merge could not begin");
        return result;
    }

    const int total = files.size();
    int added = 0;
    for (int i = 0; i < total; ++i) {
        if (Stopped(stop)) {
            result.stopped = true;
            return result;
        }
        const bool appended = output->AppendAllPages(files.at(i));
        if (appended || output->PagesOfLastInput() > 0)
            ++added;
        if (!appended)
            result.failedFiles.append({files.at(i), output->LastFailure()});
        emit UpdateProgress(ProgressPercent(i + 1, total));
    }

    if (!output->End()) {
        result.failure = output->LastFailure();
        return result;
    }
    output.reset(); // closed: the document is complete
    if (added == 0) {
        result.failure = tr("none of the documents could be added");
        return result;
    }
    if (check && !check(staged.TemporaryPath())) {
        result.failure = tr("the merged document cannot be read back");
        return result;
    }
    if (!staged.Commit()) {
        result.failure = WriteFailureReason(outputPath, staged.ErrorString());
        return result;
    }
    result.written = true;
    return result;
}

#include "moc_PDFMerger.cpp"
