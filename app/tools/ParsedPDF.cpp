#include "app/tools/ParsedPDF.h"

#include "app/tools/FailedFile.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFileStream.h"

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
    // Every jump to another object refills the buffer: 16 KB instead of the usual 256 KB keeps a
    // split of thousands of pages from reading the file many times over.
    file = std::make_unique<InputBufferedStream>(new InputFileStream(), 0x4000);
    auto* source = static_cast<InputFileStream*>(file->GetSourceStream());
    if (source->OpenForReading(utf8) != eSuccess) {
        // The system says best why a file cannot be read.
        QFile probe(filePath);
        reason = probe.open(QIODevice::ReadOnly) ? QCoreApplication::translate("ParsedPDF", "the file cannot be read")
                                                 : probe.errorString();
        return false;
    }
    if (parser.ParseDocument(file.get()) != eSuccess) {
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
