#include "app/tools/ParsedPDF.h"

#include "app/tools/FailedFile.h"

#include "pdf/io/DiagnosticLog.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <climits>

bool ParsedPDF::Open(const QString& filePath, QString& reason)
{
    path = filePath;
    open = false;
    const std::string utf8 = filePath.toUtf8().toStdString();
    DiagnosticLog::BeginOperation(utf8);
    if (file.OpenFile(utf8) != eSuccess) {
        // The system says best why a file cannot be read.
        QFile probe(filePath);
        reason = probe.open(QIODevice::ReadOnly) ? QCoreApplication::translate("ParsedPDF", "the file cannot be read")
                                                 : probe.errorString();
        return false;
    }
    if (parser.ParseDocument(file.GetInputStream()) != eSuccess) {
        reason = LibraryFailureReason();
        return false;
    }
    if (parser.HasEncryptionDictionary()) {
        reason = QCoreApplication::translate("ParsedPDF", "the document is encrypted");
        return false;
    }
    open = true;
    return true;
}

int ParsedPDF::PageCount() const
{
    return open ? static_cast<int>(std::min<unsigned long>(parser.GetPageCount(), INT_MAX)) : 0;
}
