#pragma once
// Other readers as judges of the PDF files the application tests write: qpdf's check, pdfinfo's
// page count, pdffonts' font list, pdfimages' image list and the word boxes of pdftotext
// -bbox-layout. Each runs the Debian program and parses what it prints.

#include <QList>
#include <QString>
#include <QStringList>

namespace PDFReaders {

// The program's standard output; a null string when it could not run or exited with a status
// other than 0.
QString Run(const QString& program, const QStringList& arguments);

// qpdf --check finds no error and warns of nothing.
bool QpdfAccepts(const QString& path);

// pdfinfo's page count; -1 when pdfinfo refuses the file.
int PageCount(const QString& path);

// The rows below pdffonts' and pdfimages -list's headers, split into their fields.
QList<QStringList> FontRows(const QString& path);
QList<QStringList> ImageRows(const QString& path);

// A word of pdftotext -bbox-layout: page from 1, box in points from the page's top left.
struct Word {
    int page = 0;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
    QString text;
};
QList<Word> Words(const QString& path);

} // namespace PDFReaders
