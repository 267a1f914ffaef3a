#pragma once
// The merge output of the program itself: a PDFWriter that starts a PDF 1.3 file with the
// library's default log settings (logging off) and writer options, appends all pages of each
// input and ends the document. Every status of the library is checked.

#include "app/tools/merge/IMergeOutput.h"

std::unique_ptr<IMergeOutput> CreatePDFWriterMergeOutput();
