// The extraction window's road: choosing a scan, recognising it on the worker (the real
// engine, with the language data beside the test program), the failures that leave the editor
// as it was, closing during a recognition, and the PDF and text files it writes and appends to.

#include "app/AppSettings.h"
#include "app/ocr/ExtractTextFromScanWindow.h"
#include "app/support/AppTestMain.h"
#include "app/support/PDFReaders.h"
#include "app/support/RenderedScan.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/WindowTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextEdit>

namespace {

QTextEdit* Editor(QWidget& window)
{
    return Find<QTextEdit>(window, "editText");
}

void Click(QWidget& window, const char* button)
{
    Find<QPushButton>(window, button)->click();
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList Texts(const QList<ScriptedPrompts::Record>& records)
{
    QStringList texts;
    for (const ScriptedPrompts::Record& record : records)
        texts.append(record.text);
    return texts;
}

const int kRecognitionTimeout = 60000;

} // namespace

class ExtractTextFromScanWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir scratch;

    QString Scan(const QString& name, const QStringList& lines)
    {
        RenderedScan::Page page;
        page.lines = lines;
        page.widthPixels = 1800;
        const QString path = scratch.filePath(name);
        if (!RenderedScan::Write(path, page))
            qFatal("cannot render %s", qPrintable(name));
        return path;
    }

    // Chooses the scan through the window's dialog.
    void ChooseScan(ExtractTextFromScanWindow& window, ScriptedPrompts& prompts, const QString& path)
    {
        prompts.fileNameAnswers.append(path);
        Click(window, "buttonSelectScan");
    }

private slots:
    void recognisesTheChosenScan()
    {
        ScriptedPrompts prompts;
        ExtractTextFromScanWindow window;
        window.OpenWindow();
        const QStringList lines{QStringLiteral("Für Größe und Gewicht gilt:"), QStringLiteral("Übermäßig schöne Äpfel.")};
        const QString scan = Scan(QStringLiteral("german.png"), lines);

        ChooseScan(window, prompts, scan);
        QCOMPARE(prompts.records.first().title, QStringLiteral("Select Scanned Document"));
        QCOMPARE(prompts.records.first().filter, QStringLiteral("Scanned Document (*.jpg *.jpeg *.jpe *.png)"));
        QCOMPARE(Find<QLineEdit>(window, "editScannedDocument")->text(), QDir::toNativeSeparators(scan));
        QCOMPARE(AppSettings::Folder(QStringLiteral("SelectScannedDocumentLocation")), scratch.path());

        Find<QComboBox>(window, "comboLanguage")->setCurrentText(QStringLiteral("deu"));
        Click(window, "buttonExtractText");
        QVERIFY(window.IsExtracting());
        QVERIFY(!Find<QPushButton>(window, "buttonExtractText")->isEnabled());
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Extracting text. Please wait..."));

        QTRY_VERIFY_WITH_TIMEOUT(!window.IsExtracting(), kRecognitionTimeout);
        QCOMPARE(RenderedScan::TextLines(Editor(window)->toPlainText()), lines);
        // The text is set as plain text in the editor's own format.
        const QTextCharFormat format = QTextCursor(Editor(window)->document()).charFormat();
        QCOMPARE(format.fontFamily(), QStringLiteral("Times New Roman"));
        QCOMPARE(format.fontWeight(), 10);
        QVERIFY(Find<QPushButton>(window, "buttonExtractText")->isEnabled());
        QVERIFY(window.statusBar()->currentMessage().isEmpty());
        QCOMPARE(Texts(prompts.Of(QStringLiteral("information"))), QStringList{"Text extracted successfully."});
        QVERIFY(prompts.Of(QStringLiteral("warning")).isEmpty());
    }

    void failuresKeepTheEditorsText_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<bool>("withoutLanguageData");
        QTest::addColumn<QString>("warning");
        QTest::newRow("no scan chosen") << QString() << false << "Please select a scanned document first.";
        QTest::newRow("no image") << "notes.png" << false
                                  << "Could not read the scanned document: the image %1 is not a JPEG or PNG image.";
        QTest::newRow("no language data") << "fine.png" << true << "Could not read language data.";
    }

    void failuresKeepTheEditorsText()
    {
        QFETCH(QString, scan);
        QFETCH(bool, withoutLanguageData);
        QFETCH(QString, warning);
        ScriptedPrompts prompts;
        ExtractTextFromScanWindow window;
        window.OpenWindow();
        QTemporaryDir emptyFolder;
        if (withoutLanguageData)
            window.SetLanguageDataPath(emptyFolder.path());
        if (scan == QLatin1String("notes.png")) {
            scan = scratch.filePath(scan);
            QVERIFY(WriteFile(scan, "Notes, not a picture."));
        } else if (!scan.isEmpty()) {
            scan = Scan(scan, {QStringLiteral("Fine text")});
        }
        if (!scan.isEmpty())
            ChooseScan(window, prompts, scan);
        Editor(window)->setPlainText(QStringLiteral("What the user wrote"));

        Click(window, "buttonExtractText");
        QTRY_VERIFY_WITH_TIMEOUT(!window.IsExtracting(), kRecognitionTimeout);
        const bool refused = warning.contains(QLatin1String("%1"));
        if (refused)
            warning = warning.arg(QDir::toNativeSeparators(scan));
        QCOMPARE(Texts(prompts.Of(QStringLiteral("warning"))), QStringList{warning});
        QVERIFY(prompts.Of(QStringLiteral("information")).isEmpty());
        QCOMPARE(Editor(window)->toPlainText(), QStringLiteral("What the user wrote"));
        QVERIFY(Find<QPushButton>(window, "buttonExtractText")->isEnabled());
        // A refused scan's reason stays in the status bar.
        QCOMPARE(window.statusBar()->currentMessage(), refused ? warning : QString());
    }

    void closingDuringARecognition()
    {
        ScriptedPrompts prompts;
        ExtractTextFromScanWindow window;
        window.OpenWindow();
        ChooseScan(window, prompts, Scan(QStringLiteral("close.png"), {QStringLiteral("Closing time")}));

        // No: the window stays open and the recognition goes on to its report.
        Click(window, "buttonExtractText");
        prompts.questionAnswers.append(QMessageBox::No);
        QVERIFY(!window.close());
        const ScriptedPrompts::Record question = prompts.Of(QStringLiteral("question")).first();
        QCOMPARE(question.text, QStringLiteral("Exiting now will interrupt the text extracting process. Are you sure "
                                               "you want exit?"));
        QVERIFY(!question.hadParent);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.defaultButton, QMessageBox::Yes);
        QVERIFY(window.isVisible() && window.IsExtracting());
        QTRY_VERIFY_WITH_TIMEOUT(!window.IsExtracting(), kRecognitionTimeout);
        QCOMPARE(Editor(window)->toPlainText().trimmed(), QStringLiteral("Closing time"));

        // Yes: the recognition is cancelled and waited for; its end is reported nowhere.
        prompts.records.clear();
        Click(window, "buttonExtractText");
        prompts.questionAnswers.append(QMessageBox::Yes);
        QVERIFY(window.close());
        QVERIFY(!window.IsExtracting());
        QVERIFY(Find<QPushButton>(window, "buttonExtractText")->isEnabled());
        QVERIFY(window.statusBar()->currentMessage().isEmpty());
        QVERIFY(Editor(window)->toPlainText().isEmpty());
        QVERIFY(Find<QLineEdit>(window, "editScannedDocument")->text().isEmpty());
        QTest::qWait(100);
        QCOMPARE(prompts.records.size(), 1);

        // Opened again, it works with a new thread; destroying it mid-run waits for the thread.
        window.OpenWindow();
        ChooseScan(window, prompts, Scan(QStringLiteral("again.png"), {QStringLiteral("Once more")}));
        Click(window, "buttonExtractText");
        QVERIFY(window.IsExtracting());
    }

    void pdfExportIsA4WithTheSlidersMargin()
    {
        ScriptedPrompts prompts;
        ExtractTextFromScanWindow window;
        window.OpenWindow();
        const QString target = scratch.filePath(QStringLiteral("text.pdf"));
        QVERIFY(WriteFile(target, "an older file"));
        Click(window, "buttonExportToPDF");
        QCOMPARE(Texts(prompts.records), QStringList{"There is no text to export."});

        prompts.records.clear();
        Editor(window)->setPlainText(QStringLiteral("Größe und Gewicht\nÉlève à côté"));
        Find<QSlider>(window, "sliderDocumentMargin")->setValue(72);
        prompts.fileNameAnswers.append(target.chopped(4)); // the filter's extension is added
        Click(window, "buttonExportToPDF");
        QCOMPARE(prompts.records.first().title, QStringLiteral("Export PDF"));
        QCOMPARE(prompts.records.first().filter, QStringLiteral("PDF Document (*.pdf)"));
        QCOMPARE(Texts(prompts.Of(QStringLiteral("information"))), QStringList{"File exported successfully."});
        QCOMPARE(AppSettings::Folder(QStringLiteral("ExtractTextPDFOutputFolder")), scratch.path());

        QVERIFY(PDFReaders::Run(QStringLiteral("pdfinfo"), {target}).contains(QStringLiteral("595 x 842 pts (A4)")));
        const QList<PDFReaders::Word> words = PDFReaders::Words(target);
        QStringList texts;
        for (const PDFReaders::Word& word : words) {
            texts.append(word.text);
            QCOMPARE(word.page, 1);
            QVERIFY(word.xMin >= 71 && word.yMin >= 71);
        }
        QCOMPARE(texts, (QStringList{"Größe", "und", "Gewicht", "Élève", "à", "côté"}));
        QVERIFY(qAbs(words.first().xMin - 72) < 1);

        // An export that fails keeps the file that was there, and leaves nothing beside it.
        const QByteArray exported = Contents(target);
        const QString gone = scratch.filePath(QStringLiteral("gone.png"));
        Editor(window)->append(QStringLiteral("<img src=\"%1\">").arg(gone));
        prompts.fileNameAnswers.append(target);
        Click(window, "buttonExportToPDF");
        QCOMPARE(Texts(prompts.Of(QStringLiteral("warning"))),
                 QStringList{QStringLiteral("Could not export file.\nthe image %1 cannot be read: No such file or directory")
                                 .arg(gone)});
        QCOMPARE(Contents(target), exported);
        QCOMPARE(Files(scratch.path()).filter(QStringLiteral("text.pdf")), QStringList{"text.pdf"});

        // A target that is one of the text's own images is refused and stays as it was.
        const QString picture = scratch.filePath(QStringLiteral("picture.png"));
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::darkRed);
        QVERIFY(image.save(picture));
        const QByteArray pictureBytes = Contents(picture);
        Editor(window)->setHtml(QStringLiteral("<p>Caption</p><p><img src=\"%1\"></p>").arg(picture));
        prompts.records.clear();
        prompts.fileNameAnswers.append(picture);
        Click(window, "buttonExportToPDF");
        QCOMPARE(Texts(prompts.Of(QStringLiteral("warning"))), QStringList{"Could not export file."});
        QCOMPARE(Contents(picture), pictureBytes);
    }

    void textFilesGetCRLFLines()
    {
        ScriptedPrompts prompts;
        ExtractTextFromScanWindow window;
        window.OpenWindow();
        const QString exported = scratch.filePath(QStringLiteral("export.txt"));
        const QString appended = scratch.filePath(QStringLiteral("notes.txt"));
        QVERIFY(WriteFile(exported, "an older, longer text that must go entirely"));
        QVERIFY(WriteFile(appended, "Notes\r\n"));

        // Nothing to write yet: refused before any dialog.
        Click(window, "buttonExportToTXT");
        Click(window, "buttonAppendToTXT");
        QCOMPARE(Texts(prompts.records), (QStringList{"There is no text to export.", "There is no text to append."}));

        // A cancelled dialog writes nothing and remembers no folder.
        prompts.records.clear();
        Editor(window)->setPlainText(QStringLiteral("Größe\nzweite Zeile\n\nEnde"));
        Click(window, "buttonExportToTXT");
        Click(window, "buttonAppendToTXT");
        QCOMPARE(prompts.records.size(), 2);
        QCOMPARE(AppSettings::Folder(QStringLiteral("ExtractTextTXTOutputFolder")), AppSettings::DocumentsFolder());

        prompts.fileNameAnswers = QStringList{exported.chopped(4), appended}; // ".txt" is added
        Click(window, "buttonExportToTXT");
        QCOMPARE(Contents(exported), QByteArray("Gr\xc3\xb6\xc3\x9f" "e\r\nzweite Zeile\r\n\r\nEnde"));
        Click(window, "buttonAppendToTXT");
        QCOMPARE(Contents(appended), QByteArray("Notes\r\n\nGr\xc3\xb6\xc3\x9f" "e\r\nzweite Zeile\r\n\r\nEnde"));
        // A text with CR LF line ends keeps one CR per line end.
        Editor(window)->setPlainText(QStringLiteral("one\r\ntwo"));
        prompts.fileNameAnswers = QStringList{appended};
        Click(window, "buttonAppendToTXT");
        QCOMPARE(Contents(appended), QByteArray("Notes\r\n\nGr\xc3\xb6\xc3\x9f" "e\r\nzweite Zeile\r\n\r\nEnde\none\r\ntwo"));
        QCOMPARE(AppSettings::Folder(QStringLiteral("ExtractTextTXTOutputFolder")), scratch.path());

        const QList<ScriptedPrompts::Record> dialogs = prompts.Of(QStringLiteral("saveFileName")) +
                                                       prompts.Of(QStringLiteral("openFileName"));
        QCOMPARE(dialogs.first().title, QStringLiteral("Export Text File"));
        QCOMPARE(dialogs.first().saveOptions.defaultSuffix, QStringLiteral("txt"));
        QCOMPARE(dialogs.last().title, QStringLiteral("Select Text File"));
        QCOMPARE(dialogs.last().filter, QStringLiteral("Text File (*.txt)"));
        QCOMPARE(Texts(prompts.Of(QStringLiteral("information"))),
                 (QStringList{"File exported successfully.", "Text appended successfully.", "Text appended successfully."}));

        // A target that cannot be opened for writing is left alone.
        prompts.records.clear();
        const QString folder = scratch.filePath(QStringLiteral("folder.txt"));
        QVERIFY(QDir().mkpath(folder));
        prompts.fileNameAnswers = QStringList{folder, folder};
        Click(window, "buttonExportToTXT");
        Click(window, "buttonAppendToTXT");
        const QList<ScriptedPrompts::Record> warnings = prompts.Of(QStringLiteral("warning"));
        QCOMPARE(warnings.size(), 2);
        for (const ScriptedPrompts::Record& record : warnings) {
            QCOMPARE(record.title, QStringLiteral("Export failed"));
            QCOMPARE(record.text, QStringLiteral("The file you are trying to overwrite is opened in another application."));
        }
        QVERIFY(QFileInfo(folder).isDir());
    }
};

VELLORAN_APP_TEST_MAIN(ExtractTextFromScanWindowTest)
#include "ExtractTextFromScanWindowTest.moc"
