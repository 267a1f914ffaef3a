#include "app/tools/merge/PDFMerger.h"

#include "app/tools/ProgressPercent.h"
#include "app/tools/merge/PDFWriterMergeOutput.h"

#include <QFile>

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

MergeResult PDFMerger::Merge(const QStringList& files, const QString& outputPath, const std::atomic<bool>* stop)
{
    MergeResult result;
    if (Stopped(stop)) {
        result.stopped = true;
        return result;
    }
    std::unique_ptr<IMergeOutput> output = outputFactory();
    // An output that cannot be created ends the job before any input is read; whatever is at
    // the path is not ours, so it stays.
    if (!output || !output->Start(outputPath))
        return result;

    // From here the file is this job's own: an output that cannot be completed is removed, so
    // that no half-written document looks like a result.
    auto abandon = [&]() {
        output.reset(); // closes the file
        QFile::remove(outputPath);
    };

    const int total = files.size();
    int added = 0;
    for (int i = 0; i < total; ++i) {
        if (Stopped(stop)) {
            abandon();
            result.stopped = true;
            return result;
        }
        if (output->AppendAllPages(files.at(i)))
            ++added;
        else
            result.failedFiles.append(files.at(i));
        emit UpdateProgress(ProgressPercent(i + 1, total));
    }

    if (!output->End() || added == 0) {
        abandon();
        return result;
    }
    result.written = true;
    return result;
}
