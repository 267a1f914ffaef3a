#pragma once
// Small helpers shared by several windows and engines: cleaning a name pattern of the
// characters a file name may not hold, rounding half up, and the text line under a cursor.

#include <QString>
#include <QTextCursor>
#include <QTextLine>

// The nine characters no file name may hold, in the order the warnings list them.
inline constexpr char kForbiddenFileNameCharacters[] = "\\/:*?\"<>|";

// The name with every forbidden character removed; nothing else changes.
QString SanitizeFileName(const QString& name);

// floor(x + 0.5): halves go up, also below zero (-2.5 gives -2).
double RoundHalfUp(double x);

// The line of the cursor's block layout that holds the cursor; an invalid QTextLine when the
// block is invalid or not laid out.
QTextLine CurrentTextLine(const QTextCursor& cursor);
