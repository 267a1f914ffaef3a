#pragma once
// A PDF file opened by its UTF-8 path and parsed once, for a job or a question that reads it
// more than once. Open fails with the reason as the user reads it: the system's text when the
// file cannot be opened, the library's when it does not parse, "the document is encrypted" for
// a file that cannot be copied from. The parser reads the open file until the object goes; it
// serves one thread. The file is read through a small buffer: a job copies pages from all over
// it, a few kilobytes at each place.

#include "pdf/io/InputBufferedStream.h"
#include "pdf/parsing/PDFParser.h"

#include <QString>

#include <memory>

class ParsedPDF {
public:
    bool Open(const QString& path, QString& reason);

    PDFParser& Parser() { return parser; }
    // 0 for a file that is not open.
    int PageCount() const;
    QString Path() const { return path; }

private:
    QString path;
    // Declared so that the parser goes before the file it reads.
    std::unique_ptr<InputBufferedStream> file; // owns the file stream
    PDFParser parser;
    bool open = false;
};
