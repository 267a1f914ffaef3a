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
class PDFRectangle;

// A4 in points: the size of a first page whose size cannot be read.
inline constexpr int kFallbackPageWidth = 595;
inline constexpr int kFallbackPageHeight = 842;

int GetPDFPageCount(const QString& path);
// The first page's size (FirstPageSize).
QSize GetPDFPageSize(const QString& path);
// The first page's size as a reader shows it (ShownFirstPageSize).
QSize GetPDFShownPageSize(const QString& path);
bool IsPDFEncrypted(const QString& path);
bool IsPDFReadable(const QString& path);
// Why IsPDFReadable says no, as the user reads it (the system's or the library's reason, or
// that the document is encrypted or has no pages); empty when the first page can be read.
QString PDFUnreadableReason(const QString& path);

// The page size of a box as the tools keep it: its upper-right corner in whole points (the
// lower-left corner is not subtracted), each side truncated toward zero and at most INT_MAX; a
// side of 0 or less falls back to 595 or 842.
QSize PageSizeFromBox(const PDFRectangle& box);
// The same for a MediaBox value (only read; its reference stays with the caller; null means no
// value); with a parser, numbers given as references are followed. A value that is no box that
// reads (InheritedPageValues::ReadRectangle) gives 595 x 842.
QSize PageSizeFromMediaBox(const PDFObject* mediaBox, PDFParser* parser = nullptr);

// A side of a page in whole points, truncated toward zero, at least 1 and at most INT_MAX.
int WholePoints(double side);

// The first page's size from its media box as readers take it (InheritedPageValues::MediaBox: its
// own or the nearest page-tree node's that reads, else Letter): many producers put one MediaBox on
// the tree's root for all pages, and measuring those pages as A4 would place crops and marks
// wrongly. No first page, or a box with no finite size, gives 595 x 842.
QSize FirstPageSize(PDFParser& parser);

// The first page's size as a reader shows it, in whole points: its CropBox within its MediaBox,
// width and height swapped when /Rotate turns it on its side (InheritedPageValues::Shown). The
// watermark places its marks and counts percent offsets in this area, and its preview draws it.
// No first page, or a box that cannot be used, gives 595 x 842.
QSize ShownFirstPageSize(PDFParser& parser);
