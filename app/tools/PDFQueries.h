#pragma once
// Simple questions about a PDF file: its page count, the size of its first page, whether it is
// encrypted, whether its first page can be read. Each call opens and parses the file anew by
// its UTF-8 path and closes it before returning; nothing is kept between calls, so the GUI
// thread and the worker threads may ask at the same time. A file that cannot be opened or
// parsed gets the fallback answer (0 pages, 595 x 842, not encrypted, not readable) and no
// message. An encrypted file lists no pages: 0 pages, 595 x 842, encrypted, not readable.

#include <QSize>
#include <QString>

class PDFObject;
class PDFParser;

// A4 in points: the size of a first page whose size cannot be read.
inline constexpr int kFallbackPageWidth = 595;
inline constexpr int kFallbackPageHeight = 842;

int GetPDFPageCount(const QString& path);
// The first page's own "MediaBox" upper-right corner in whole points (the lower-left corner
// is not subtracted, and a box inherited from the page tree is not looked at).
QSize GetPDFPageSize(const QString& path);
bool IsPDFEncrypted(const QString& path);
bool IsPDFReadable(const QString& path);
// Why IsPDFReadable says no, as the user reads it (the system's or the library's reason, or
// that the document is encrypted or has no pages); empty when the first page can be read.
QString PDFUnreadableReason(const QString& path);

// The page size that a first page's "MediaBox" value gives (the value is only read, its
// reference stays with the caller; null means no value). Elements 2 and 3 give width and
// height: an integer as it is, a real truncated toward zero, both clamped to the int range
// first; with a parser, an element that is a reference to a number gives that number. A value
// that is not an array, a missing or non-numeric element, and a width or height of 0 or less
// fall back to 595 and 842 each.
QSize PageSizeFromMediaBox(const PDFObject* mediaBox, PDFParser* parser = nullptr);

// A side of a page in whole points, truncated toward zero, at least 1 and at most INT_MAX.
int WholePoints(double side);

// The first page's size from its media box, its own or the nearest page-tree node's: many
// producers put one MediaBox on the tree's root for all pages, and measuring those pages as A4
// would place crops and marks wrongly. No first page gives the fallback of PageSizeFromMediaBox.
QSize FirstPageSize(PDFParser& parser);
