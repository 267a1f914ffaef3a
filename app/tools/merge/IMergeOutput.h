#pragma once
// The one place where the merge engine meets the PDF library: a new output document that takes
// all pages of one input file after the other. One object serves one job on the worker thread:
// Start, any number of AppendAllPages, End. Destroying it closes an output still open (an
// abandoned job), so the engine can remove the file afterwards. After a step that failed,
// LastFailure says why, as the user reads it.

#include <QString>

#include <functional>
#include <memory>

class IMergeOutput {
public:
    virtual ~IMergeOutput() = default;

    // Creates (or truncates) the file at writePath and writes the document's start; the document
    // takes documentPath for its name (the file is renamed there once it is complete). False when
    // the file cannot be opened for writing; nothing has been written then.
    virtual bool Start(const QString& writePath, const QString& documentPath) = 0;
    // Appends every page of the input, in order, with its content and resources. False when the
    // input could not be opened, parsed or copied (encrypted files are refused), or when some of
    // its pages could not be copied: those are left out, the others are in the output, which
    // can still be ended.
    virtual bool AppendAllPages(const QString& inputPath) = 0;
    // The pages that the last AppendAllPages added, also when some of them failed.
    virtual int PagesOfLastInput() const = 0;
    // Writes the document's closing structures and closes the file. False when the output is
    // incomplete.
    virtual bool End() = 0;
    // Why the last step failed.
    virtual QString LastFailure() const = 0;
};

// Makes a fresh output for each job.
using MergeOutputFactory = std::function<std::unique_ptr<IMergeOutput>()>;
