// Real recognition by Tesseract of scans that the test renders with Qt: English, German and
// French in DejaVu fonts at 300 dpi come back exactly, accents included; and the failures:
// language data that is not there, scans that are no image, and a cancelled recognition.

#include "app/ocr/TextExtractThread.h"
#include "app/ocr/TextRecognizer.h"
#include "app/support/AppTestMain.h"
#include "app/support/RenderedScan.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using Status = TextRecognizer::Status;

class TextRecognizerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir scratch;

    QString Scan(const QString& name, const RenderedScan::Page& page)
    {
        const QString path = scratch.filePath(name);
        if (!RenderedScan::Write(path, page))
            qFatal("cannot render %s", qPrintable(name));
        return path;
    }

private slots:
    void recognisesRenderedText_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("fontFile");
        QTest::addColumn<QStringList>("lines");
        const QString sans = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        const QString serif = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf");
        QTest::newRow("English, sans") << "eng" << sans
            << QStringList{"The quick brown fox jumps over the lazy dog.", "Invoice 2024-117: 3 items, total 58.40"};
        QTest::newRow("German, serif") << "deu" << serif
            << QStringList{"Größere Übungen für schöne Straßen.", "Die Bäume blühen im Frühling."};
        QTest::newRow("French, sans") << "fra" << sans
            << QStringList{"Élève très motivé, à côté du château.", "Où est la forêt ? Noël arrive bientôt."};
    }

    void recognisesRenderedText()
    {
        QFETCH(QString, language);
        QFETCH(QString, fontFile);
        QFETCH(QStringList, lines);
        RenderedScan::Page page;
        page.lines = lines;
        page.fontFile = fontFile;
        page.widthPixels = 1800;
        const QString scan = Scan(language + QStringLiteral(".png"), page);

        // The default data folder is the program's own, where the build put the language links.
        const TextRecognizer::Result result = TextRecognizer().ExtractTextFromImage(scan, language);
        QCOMPARE(int(result.status), int(Status::Recognized));
        QCOMPARE(RenderedScan::TextLines(result.text), lines);
    }

    void failsWithoutLanguageData_data()
    {
        QTest::addColumn<bool>("emptyFolder");
        QTest::addColumn<QString>("language");
        QTest::newRow("folder without data") << true << "eng";
        QTest::newRow("language not installed") << false << "nld";
        // Tesseract would read these as English, or as two languages.
        QTest::newRow("no language") << false << "";
        QTest::newRow("two languages") << false << "deu+eng";
        QTest::newRow("a path") << false << "../tests/eng";
    }

    void failsWithoutLanguageData()
    {
        QFETCH(bool, emptyFolder);
        QFETCH(QString, language);
        RenderedScan::Page page;
        page.lines = QStringList{QStringLiteral("Some text")};
        page.widthPixels = 900;
        const QString scan = Scan(QStringLiteral("some.png"), page);
        QTemporaryDir empty;
        const TextRecognizer::Result result =
            TextRecognizer().ExtractTextFromImage(scan, language, emptyFolder ? empty.path() : QString());
        QCOMPARE(int(result.status), int(Status::MissingLanguageData));
        QCOMPARE(result.text, QStringLiteral("Could not read language data."));
    }

    void refusesWhatIsNoImage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal"); // why the gate refuses it; empty: the reader fails
        RenderedScan::Page page;
        page.lines = QStringList{QStringLiteral("Some text")};
        page.widthPixels = 900;
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            RenderedScan::Render(page).save(&buffer, "PNG");
        }
        const QString damaged = QStringLiteral("cannot be read: its header is damaged");
        const QString foreign = QStringLiteral("is not a JPEG or PNG image");
        QTest::newRow("no path") << QString() << QByteArray() << QString();
        QTest::newRow("missing file") << "missing.png" << QByteArray()
                                      << "cannot be read: No such file or directory";
        QTest::newRow("empty file") << "empty.png" << QByteArray("") << foreign;
        QTest::newRow("text named png") << "text.png" << QByteArray("This is no picture at all.\n") << foreign;
        QTest::newRow("PNG signature only") << "signature.png" << png.left(8) << damaged;
        QTest::newRow("PNG cut after its header") << "cut.png" << png.left(40) << QString();
        QTest::newRow("JPEG start only") << "start.jpg" << QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF\x00", 11)
                                         << damaged;
        QTest::newRow("a folder") << "folder.png" << QByteArray("dir") << "cannot be read: file to open is a directory";
    }

    void refusesWhatIsNoImage()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QString path;
        if (!name.isEmpty()) {
            path = scratch.filePath(QStringLiteral("bad-") + name);
            if (bytes == "dir") {
                QVERIFY(QDir().mkpath(path));
            } else if (!bytes.isNull()) {
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(bytes);
            }
        }
        QFETCH(QString, refusal);
        const TextRecognizer::Result result = TextRecognizer().ExtractTextFromImage(path, QStringLiteral("eng"));
        QCOMPARE(int(result.status), int(refusal.isEmpty() ? Status::UnreadableImage : Status::RefusedImage));
        QCOMPARE(result.text, refusal.isEmpty() ? QStringLiteral("Could not read the scanned document.")
                                                : QStringLiteral("Could not read the scanned document: the image %1 %2.")
                                                      .arg(path, refusal));
    }

    void threadRunsAgainAndCancels()
    {
        RenderedScan::Page first;
        first.lines = QStringList{QStringLiteral("First scan")};
        first.widthPixels = 900;
        RenderedScan::Page second = first;
        second.lines = QStringList{QStringLiteral("Second scan")};
        RenderedScan::Page tall = first;
        // Long enough that no machine reads it in the 300 ms the stop below waits: several
        // seconds here.
        for (int line = 0; line < 160; ++line)
            tall.lines.append(QStringLiteral("Line %1 of a page that takes a while to read").arg(line));

        TextExtractThread thread;
        thread.languageCode = QStringLiteral("eng");
        // The same thread object for a second recognition: the new result replaces the old.
        for (const auto& [name, page] : {std::pair{"first.png", first}, std::pair{"second.png", second}}) {
            thread.imagePath = Scan(QLatin1String(name), page);
            thread.ClearStop();
            thread.start();
            QVERIFY(thread.wait(60000));
            QCOMPARE(int(thread.GetResultStatus()), int(Status::Recognized));
            QCOMPARE(thread.GetResultText().trimmed(), page.lines.first());
        }

        // A stop before the start, and one while the engine works: either way no text.
        thread.imagePath = Scan(QStringLiteral("tall.png"), tall);
        thread.RequestStop();
        thread.start();
        QVERIFY(thread.wait(60000));
        QCOMPARE(int(thread.GetResultStatus()), int(Status::Cancelled));
        QVERIFY(thread.GetResultText().isEmpty());

        thread.ClearStop();
        thread.start();
        QTest::qWait(300);
        QVERIFY(thread.isRunning());
        thread.StopAndWait();
        QCOMPARE(int(thread.GetResultStatus()), int(Status::Cancelled));
        QVERIFY(thread.GetResultText().isEmpty());
    }
};

VELLORAN_APP_TEST_MAIN(TextRecognizerTest)
#include "TextRecognizerTest.moc"
