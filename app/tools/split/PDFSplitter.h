#pragma once
// The split tool's engine: one PDF file cut into files along a page-range text (interval
// split), or every file of a list cut into parts of a fixed number of pages (consecutive page
// split). Each source is opened and parsed once per operation; every output is a new PDF 1.3
// file written by a fresh PDFWriter that copies its pages, with only what they use, from that
// one parse, and its bytes are those a writer appending the same pages from the file by its
// path would write. Each output passes the overwrite steps of FileToolEngine and is written
// through a StagedOutput, so a failed or stopped output leaves nothing behind and an existing
// target as it was. The operations run synchronously on the worker thread, check the stop flag
// before each output and name every source that failed with its reason; memory that runs out
// fails the source it ran out in.

#include "app/tools/FailedFile.h"
#include "app/tools/FileToolEngine.h"

#include "pdf/io/Platform.h"

#include <QList>
#include <QString>
#include <QStringList>

class PageFailures;
class ParsedPDF;
struct PageRanges;

class PDFSplitter : public FileToolEngine {
    Q_OBJECT

public:
    using ClockFunction = bool (*)(Platform::LocalTime&);

    explicit PDFSplitter(QObject* parent = nullptr);

    // One output per interval of the text, in text order, its tokens being the interval's
    // index and its first and last page within the document (a range beyond the last page ends
    // there). Stops at the first interval that cannot be written, one that names no page of the
    // document included; the outputs before it stay. A page that cannot be copied is left out
    // of its output (an output left with no page is not written) and the intervals after it
    // follow; the source is then listed with the first such page. A text none of whose items
    // names an interval fails the source before it is read. Progress after each interval done,
    // counted over every item of the text. The source with its reason when it failed, else
    // nothing.
    QList<FailedFile> SplitByPageRanges(const QString& file, const QString& pageIntervals, const QString& outputFolder,
                                        const QString& outputNames);

    // Each file into parts of pagesPerInterval pages (the last one may be shorter); part k (from
    // 0) has the index k + 1, the first page k * n + 1 and the last page min((k + 1) * n, page
    // count). A file that fails goes no further and is listed with its reason; the next one
    // follows. Pages that cannot be copied are left out as in SplitByPageRanges. Progress after
    // each file. A part size below 1 fails every file.
    QList<FailedFile> SplitByPagesPerInterval(const QStringList& files, int pagesPerInterval,
                                              const QString& outputFolder, const QString& outputNames);

    // The clock that the outputs' dates and IDs are made from; tests pin it (null: the system's).
    void SetDocumentClock(ClockFunction clock) { documentClock = clock; }

private:
    // The pages first..last (from 1) of the source as a new file at the target, without the
    // pages that cannot be copied, which go to `failures`; when no page could be copied nothing
    // is written. False with the reason when the output or the source failed as a whole;
    // nothing is left at the target then.
    bool WriteOutput(ParsedPDF& source, int first, int last, const QString& target, PageFailures& failures,
                     QString& reason);
    // One source of each operation: Written, Partial (pages left out) or Failed with the reason;
    // Skipped when the job was stopped.
    Outcome SplitAlongRanges(const QString& file, const PageRanges& ranges, const QString& outputFolder,
                             const QString& outputNames, QString& reason);
    Outcome SplitIntoParts(const QString& file, const QStringList& jobInputs, int pagesPerInterval,
                           const QString& outputFolder, const QString& outputNames, QString& reason);
    // Written when every page was copied; else Partial, with the pages that were not.
    static Outcome PartsOutcome(const PageFailures& failures, QString& reason);

    ClockFunction documentClock = nullptr;
};
