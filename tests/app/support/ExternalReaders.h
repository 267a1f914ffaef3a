#pragma once
// Other readers as judges of the files the application tests write: qpdf's check, mutool's
// objects, pdfinfo's page count and page boxes, pdftotext's text of one page.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ExternalReaders {

// The program's standard output, or a null array when it failed or did not end in 30 s.
QByteArray Run(const QString& program, const QStringList& arguments);

// qpdf --check finds nothing to complain about; otherwise its report goes into `report`.
bool QpdfAccepts(const QString& path, QString* report = nullptr);

// pdfinfo's page count; -1 when it refuses the file.
int PageCount(const QString& path);

// The text of one page (from 1), trimmed.
QString PageText(const QString& path, int page);
// The text of every page, each trimmed, in one run.
QStringList PageTexts(const QString& path);

// The references reachable from the trailer that lead to no object in use (a free entry), as
// "N G R"; mutool reads the objects.
QStringList DanglingReferences(const QString& path);

// For each page, what pdfinfo -box says of it (its size, rotation and boxes), one text per page
// without the page number, so that pages of two files can be compared.
QStringList PageBoxes(const QString& path);

} // namespace ExternalReaders
