#pragma once
// Small PDF files made by the tests themselves: one page per text, each page showing its text
// in Helvetica, with a classic cross-reference table. An "encrypted" file carries an Encrypt
// dictionary in its trailer (its content stays plain), which is enough for a reader to refuse it.
// Extra entries can be given for the page tree's root (inherited by every page) and for each
// page; a page whose extras name a MediaBox has no other.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace TestPDF {

struct Extras {
    QByteArray pageTree;      // e.g. "/Rotate 90"
    QList<QByteArray> pages;  // by page index; a missing one adds nothing
};

QByteArray Make(const QStringList& pageTexts, bool encrypted = false, const Extras& extras = Extras());

// A file of Make whose given pages (from 1) cannot be read, every offset staying right: their
// Resources name a stream, or their content's table entry points at the font object.
QByteArray WithUnreadableResources(QByteArray pdf, const QList<int>& pages);
QByteArray WithMisplacedContent(QByteArray pdf, const QList<int>& pages);
// The table entry of `object` points at the bytes of `other`.
QByteArray WithEntryOf(QByteArray pdf, int object, int other);

// A stream object's body: its dictionary holds the length and then `entries`.
QByteArray Stream(const QByteArray& data, const QByteArray& entries = QByteArray());

// A file of the given object bodies, numbered from 1 (object 1 is the catalog), with a classic
// cross-reference table and the trailer entries given after /Size and /Root.
QByteArray Assemble(const QList<QByteArray>& bodies, const QByteArray& trailerEntries = QByteArray());

// The file with an incremental update that gives object `id` the body, chained to the file's
// newest section; it ends with "startxref" and the section's position, then "%%EOF" unless
// `endMarker` is false.
QByteArray WithUpdate(const QByteArray& pdf, int id, const QByteArray& body, bool endMarker = true);
// The same for several objects, written in the order given; the trailer's Size grows to hold them.
QByteArray WithUpdate(const QByteArray& pdf, const QList<QPair<int, QByteArray>>& objects, bool endMarker = true);

// The number that follows the last `key` in the file ("startxref", "/Prev" ...).
QByteArray LastNumberAfter(const QByteArray& pdf, const QByteArray& key);

// Writes the bytes to the path; false when the file cannot be written.
bool Write(const QString& path, const QByteArray& bytes);
// The file's bytes; empty when it cannot be read.
QByteArray Read(const QString& path);

} // namespace TestPDF
