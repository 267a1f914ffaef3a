#pragma once
// Recognises the text of one scanned image with Tesseract over an image read by Leptonica, once
// it has passed ImageFiles (a JPEG or PNG file within the bound).
// Every call makes its own engine and releases it, the image and the text buffer on every path,
// so calls on several threads at once share nothing. The image is read before the engine is
// made: an unreadable scan never reaches the engine. A cancel flag, when given, is looked at
// between the steps and, during recognition, through the engine's monitor for each word;
// layout analysis cannot be interrupted.

#include <QString>

#include <atomic>

class TextRecognizer {
public:
    enum class Status {
        Recognized,          // text holds the recognised text (possibly empty)
        UnreadableImage,     // the scan could not be read as an image
        RefusedImage,        // ImageFiles refused the scan; text says why, naming it
        MissingLanguageData, // the engine could not load the language's data
        Cancelled,           // the cancel flag was raised; no text
        RecognitionFailed,   // the engine failed on the image
    };

    struct Result {
        Status status = Status::Cancelled;
        // The recognised text, or the message that tells the user what failed.
        QString text;
    };

    // The program's own folder, where the build puts the language data.
    static QString DefaultDataPath();

    // dataPath is the folder holding "<languageCode>.traineddata"; empty means DefaultDataPath().
    Result ExtractTextFromImage(const QString& imagePath, const QString& languageCode,
                                const QString& dataPath = QString(),
                                const std::atomic<bool>* cancel = nullptr) const;
};
