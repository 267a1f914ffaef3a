#pragma once
// Small PDF files made by the tests themselves: one page per text, each page showing its text
// in Helvetica, with a classic cross-reference table. An "encrypted" file carries an Encrypt
// dictionary in its trailer (its content stays plain), which is enough for a reader to refuse it.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace TestPDF {

QByteArray Make(const QStringList& pageTexts, bool encrypted = false);

// Writes the bytes to the path; false when the file cannot be written.
bool Write(const QString& path, const QByteArray& bytes);

} // namespace TestPDF
