#include "app/tools/FailedFile.h"

#include "app/tools/FileIdentity.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/OutputFile.h"
#include "pdf/io/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

QStringList FailedPaths(const QList<FailedFile>& files)
{
    QStringList paths;
    for (const FailedFile& file : files)
        paths.append(file.path);
    return paths;
}

QString FailedFilesText(const QString& header, const QList<FailedFile>& files)
{
    QString text = header;
    for (const FailedFile& file : files) {
        text += file.path;
        if (!file.reason.isEmpty())
            text += QStringLiteral(" (") + file.reason + QLatin1Char(')');
        text += QLatin1Char('\n');
    }
    return text;
}

QString LibraryFailureReason()
{
    QString text = QString::fromStdString(DiagnosticLog::LastFailure().mText).trimmed();
    // "PDFParser::ParseXref, malformed ..." or "JPEGImageHandler::Open. Unable ...": the class
    // and method tell the user nothing.
    static const QRegularExpression prefix(QStringLiteral("^\\w+::\\w+[,.]\\s*"));
    text.remove(prefix);
    if (text.isEmpty())
        return QCoreApplication::translate("FailedFile", "the PDF library gave no reason");
    return text;
}

QString LibraryFailureReasonForCopy(const QString& copyPath, const QString& source)
{
    return LibraryFailureReason().replace(copyPath, QDir::toNativeSeparators(source));
}

QString OutputFailureReason(const QString& target, const OutputFile& output, const QString& libraryReason)
{
    const std::string refused = output.GetWriteFailure();
    if (refused.empty())
        return libraryReason;
    return WriteFailureReason(target, QString::fromStdString(refused));
}

QString ReplacedInputReason(const QString& target, const QStringList& jobInputs)
{
    if (FindSameFile(target, jobInputs).isEmpty())
        return QString();
    return QCoreApplication::translate("FailedFile", "the output %1 would replace a document of this job")
        .arg(QDir::toNativeSeparators(target));
}

QString WriteFailureReason(const QString& path, const QString& systemText)
{
    if (Platform::IsFileBusy(path.toUtf8().toStdString()))
        return QCoreApplication::translate("FailedFile",
                                           "The file you are trying to overwrite is opened in another application.");
    return QCoreApplication::translate("FailedFile", "%1 cannot be written: %2")
        .arg(QDir::toNativeSeparators(path), systemText);
}
