#include "app/ocr/TextRecognizer.h"

#include "app/ImageFiles.h"

#include <QCoreApplication>
#include <QFile>

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};

struct EngineDeleter {
    void operator()(tesseract::TessBaseAPI* engine) const
    {
        engine->End();
        delete engine;
    }
};

bool IsRaised(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_acquire);
}

// The engine's monitor asks this before each word.
bool CancelRequested(void* cancel, int /*words*/)
{
    return IsRaised(static_cast<const std::atomic<bool>*>(cancel));
}

// Tesseract takes "deu+eng" as two languages and an empty code as English: only a plain code
// names the one language the user chose.
bool IsPlainLanguageCode(const QString& code)
{
    if (code.isEmpty())
        return false;
    for (const QChar c : code)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_'))
            return false;
    return true;
}

TextRecognizer::Result Failure(TextRecognizer::Status status, const char* message)
{
    return {status, QCoreApplication::translate("TextRecognizer", message)};
}

} // namespace

QString TextRecognizer::DefaultDataPath()
{
    return QCoreApplication::applicationDirPath();
}

TextRecognizer::Result TextRecognizer::ExtractTextFromImage(const QString& imagePath, const QString& languageCode,
                                                            const QString& dataPath,
                                                            const std::atomic<bool>* cancel) const
{
    if (IsRaised(cancel))
        return {Status::Cancelled, QString()};

    if (imagePath.isEmpty())
        return Failure(Status::UnreadableImage, "Could not read the scanned document.");
    // The scan passes the image gate before Leptonica reads it: what the preview refuses is never
    // decoded here either. Leptonica reads the same open file, by the format the gate found.
    QFile file(imagePath);
    file.open(QIODevice::ReadOnly); // one that does not open is refused with the system's reason
    ImageFiles::Header header;
    QString reason;
    if (!ImageFiles::Check(file, imagePath, header, reason))
        return {Status::RefusedImage,
                QCoreApplication::translate("TextRecognizer", "Could not read the scanned document: %1.").arg(reason)};
    const std::unique_ptr<FILE, FileCloser> stream(::fdopen(::dup(file.handle()), "rb"));
    std::unique_ptr<Pix, PixDeleter> pix;
    if (stream && std::fseek(stream.get(), 0, SEEK_SET) == 0)
        pix.reset(header.format == ImageFiles::Format::Jpeg ? pixReadStreamJpeg(stream.get(), 0, 1, nullptr, 0)
                                                            : pixReadStreamPng(stream.get()));
    if (!pix)
        return Failure(Status::UnreadableImage, "Could not read the scanned document.");

    if (!IsPlainLanguageCode(languageCode))
        return Failure(Status::MissingLanguageData, "Could not read language data.");
    const QByteArray folder = QFile::encodeName(dataPath.isEmpty() ? DefaultDataPath() : dataPath);
    std::unique_ptr<tesseract::TessBaseAPI, EngineDeleter> engine(new tesseract::TessBaseAPI);
    if (engine->Init(folder.constData(), languageCode.toUtf8().constData(), tesseract::OEM_DEFAULT) != 0)
        return Failure(Status::MissingLanguageData, "Could not read language data.");
    if (IsRaised(cancel))
        return {Status::Cancelled, QString()};

    // A scanned page may hold columns, headings and captions: the engine finds its blocks, as
    // its command line does, instead of reading the whole page as one block (its library default).
    engine->SetPageSegMode(tesseract::PSM_AUTO);
    engine->SetImage(pix.get());
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = &CancelRequested;
    monitor.cancel_this = const_cast<std::atomic<bool>*>(cancel);
    const int recognized = engine->Recognize(&monitor);
    if (IsRaised(cancel))
        return {Status::Cancelled, QString()};
    if (recognized != 0)
        return Failure(Status::RecognitionFailed, "Could not recognise the text of the scanned document.");

    const std::unique_ptr<char[]> text(engine->GetUTF8Text());
    return {Status::Recognized, text ? QString::fromUtf8(text.get()) : QString()};
}
