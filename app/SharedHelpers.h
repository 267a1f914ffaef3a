#pragma once
// Small helpers shared by several windows and engines: the extent of a text in a system
// TrueType font, cleaning a name pattern of the characters a file name may not hold, rounding
// half up, the text line under a cursor, a text quoted in a message, and the font family an
// editor writes in.

#include <QSize>
#include <QString>
#include <QTextCursor>
#include <QTextLine>

// The nine characters no file name may hold, in the order the warnings list them.
inline constexpr char kForbiddenFileNameCharacters[] = "\\/:*?\"<>|";

class FontCatalog;
class QTextEdit;

// The width and height in points, truncated, of the text in the catalog's font of that display
// name at the size (the shared catalog of the system font folders when none is given). 0 x 0,
// with a warning in the log, when the name has no font or the font cannot be loaded.
QSize MeasureTextInTrueTypeFont(const QString& text, const QString& fontName, int size);
QSize MeasureTextInTrueTypeFont(const FontCatalog& catalog, const QString& text, const QString& fontName, int size);

// The name with every forbidden character removed; nothing else changes.
QString SanitizeFileName(const QString& name);

// A text read from a file or typed by the user, fit to be quoted in a message: its first
// kMaxQuotedCharacters characters, each character that cannot be printed as "\xNN" or "\uNNNN",
// and "..." when it was cut. A project line of binary bytes shows as a short, readable excerpt.
inline constexpr int kMaxQuotedCharacters = 40;
QString QuotedExcerpt(const QString& text);

// A failure's message, with its reason on a line of its own when one is known.
QString WithReason(const QString& message, const QString& reason);

// floor(x + 0.5): halves go up, also below zero (-2.5 gives -2).
double RoundHalfUp(double x);

// The line of the cursor's block layout that holds the cursor; an invalid QTextLine when the
// block is invalid or not laid out. (In CurrentTextLine.cpp.)
QTextLine CurrentTextLine(const QTextCursor& cursor);

// Makes the family the one the editor writes the selection (or the next text) in. A format holds
// a family and, since Qt 5.13, a list of families that wins over it when the text is drawn and
// that the HTML writer puts first. Text read from HTML has both (the list from the page's font),
// and QTextEdit::setFontFamily sets only the single family: Courier chosen after a load was
// written as "'Times New Roman','Courier'", drawn and loaded again as Times New Roman.
void SetEditorFontFamily(QTextEdit& editor, const QString& family);
