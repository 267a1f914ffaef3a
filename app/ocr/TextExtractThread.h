#pragma once
// The worker thread of the text extraction window. The window writes imagePath, languageCode
// (and, in tests, dataPath) while the thread does not run, clears the stop flag and starts it;
// run() recognises the image with a TextRecognizer and sets the result once, at its end. The
// window reads the result after finished(). A stop request cancels a running recognition, and
// the destructor stops and waits, so the object may be deleted at any time from the GUI thread.

#include "app/ocr/TextRecognizer.h"
#include "app/tools/ToolThread.h"

#include <QString>

class TextExtractThread : public ToolThread {
public:
    TextExtractThread();
    ~TextExtractThread() override;

    QString imagePath;
    QString languageCode;      // "deu", "eng", "fra", "ita" or "spa"
    QString dataPath;          // the language data folder; empty: the program's folder

    // The recognised text, or the message of a failure.
    QString GetResultText() const;
    TextRecognizer::Status GetResultStatus() const;

protected:
    void run() override;

private:
    QString resultText;
    TextRecognizer::Status resultStatus = TextRecognizer::Status::Cancelled;
};
