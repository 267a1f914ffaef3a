#pragma once
// Project files and text exports as whole UTF-8 texts. Writing goes through StagedOutput, as every
// output of the program does: the text is written beside the target, which it replaces only once
// complete, so a failed write leaves the old file as it was and nothing beside it.
// Reading refuses a file larger than the caller's limit or one that is not UTF-8.

#include <QString>

namespace TextFiles {

// True once the whole text is written and the file is in place.
bool WriteUtf8(const QString& path, const QString& text);

// The file's text; false (text untouched) when it cannot be read, holds more than maxBytes bytes
// or bytes that are not UTF-8.
bool ReadUtf8(const QString& path, qint64 maxBytes, QString& text);

} // namespace TextFiles
