#include "app/tools/OutputNames.h"

#include "app/SharedHelpers.h"

#include <QCoreApplication>

namespace {

// Paths keep "/" inside the program.
QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString SourceBaseName(const QString& sourcePath)
{
    const QString name = FileNameOf(sourcePath);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString SourceExtension(const QString& sourcePath)
{
    const QString name = FileNameOf(sourcePath);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString OutputFilePath(const QString& folder, const QString& pattern, const QString& sourcePath,
                       const QList<OutputToken>& tokens, QString& reason)
{
    if (folder.isEmpty()) {
        reason = QCoreApplication::translate("OutputNames", "no output folder is set");
        return QString();
    }
    QString name = SanitizeFileName(pattern);
    name.replace(QStringLiteral("[FileName]"), SourceBaseName(sourcePath));
    for (const OutputToken& token : tokens)
        name.replace(token.token, token.value);
    name += SourceExtension(sourcePath);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        reason = QCoreApplication::translate("OutputNames", "the output-name pattern gives no file name");
        return QString();
    }
    // The system would cut the path at the NUL and write another file than the one named.
    if (name.contains(QChar(0)) || folder.contains(QChar(0))) {
        reason = QCoreApplication::translate("OutputNames",
                                             "the output \"%1\" holds a NUL character, which no file name may hold")
                     .arg(QuotedExcerpt(name.contains(QChar(0)) ? name : folder));
        return QString();
    }
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}
