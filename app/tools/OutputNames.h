#pragma once
// Output paths of the split, watermark and crop tools: the output folder, the name pattern with
// its tokens replaced ("[FileName]" first, by the source's base name, then the tool's own tokens
// in the order given; other text, and tokens in another case, stay as typed) and the source's
// extension. Base name and extension come from the source's file name only, never from a folder
// with a dot in its name. The characters that no file name may hold are removed from the
// pattern (a project file may bring them), so an output always lands in the output folder.

#include <QList>
#include <QString>

struct OutputToken {
    QString token; // "[IntervalIndex]"
    QString value;
};

// The file name's text before its last "." (the whole name without one).
QString SourceBaseName(const QString& sourcePath);
// The file name's text from its last "." on, dot and letter case kept; empty without one.
QString SourceExtension(const QString& sourcePath);

// The output path, or an empty text with the reason when the folder is empty, the name would be
// empty, "." or "..", or either holds a NUL.
QString OutputFilePath(const QString& folder, const QString& pattern, const QString& sourcePath,
                       const QList<OutputToken>& tokens, QString& reason);
