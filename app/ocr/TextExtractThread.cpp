#include "app/ocr/TextExtractThread.h"

TextExtractThread::TextExtractThread() : ToolThread(nullptr) {}

TextExtractThread::~TextExtractThread()
{
    StopAndWait();
}

QString TextExtractThread::GetResultText() const
{
    return resultText;
}

TextRecognizer::Status TextExtractThread::GetResultStatus() const
{
    return resultStatus;
}

void TextExtractThread::run()
{
    const TextRecognizer recognizer;
    const TextRecognizer::Result result =
        recognizer.ExtractTextFromImage(imagePath, languageCode, dataPath, StopFlag());
    resultText = result.text;
    resultStatus = result.status;
}
