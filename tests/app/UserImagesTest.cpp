// Every image the user gives, driven through every place that decodes one: the watermark job,
// Insert Image, a project that shows it, that project's PDF export, the scan preview and the
// text recognition. Files whose header claims or that inflate to gigabytes, and files that are
// no JPEG or PNG image, are refused everywhere, naming the file, without the process's peak
// memory reaching 600 MB (no address-space limit hides a decoding); a JPEG, a PNG and a PNG under
// another name work everywhere. Rich text pasted into either editor brings its images through
// the same gate.

#include "app/create/CreateNewPDFWindow.h"
#include "app/create/EditorDocument.h"
#include "app/create/PDFPageSettingsDialog.h"
#include "app/create/ResizeImageDialog.h"
#include "app/ocr/ExtractTextFromScanWindow.h"
#include "app/support/AppTestMain.h"
#include "app/support/OversizedImage.h"
#include "app/support/RenderedScan.h"
#include "app/support/TestPDF.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/watermark/WatermarkThread.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QUrl>

namespace {

const int kRecognitionTimeout = 60000;
const long kPeakMegabytes = 600;
const QStringList kScanLines{QStringLiteral("Checked before decoding")};

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList Texts(const ScriptedPrompts& prompts, const QString& kind)
{
    QStringList texts;
    for (const ScriptedPrompts::Record& record : prompts.Of(kind))
        texts.append(record.text);
    return texts;
}

// Prompts that accept the program's dialogs as they open and note the image size dialog's start.
struct AcceptingPrompts : ScriptedPrompts {
    QList<QSize> startSizes;
    AcceptingPrompts()
    {
        dialogHandler = [this](QDialog& dialog) -> int {
            if (auto* resize = qobject_cast<ResizeImageDialog*>(&dialog)) {
                startSizes.append(QSize(resize->width, resize->height));
                return resize->ShowSize() ? QDialog::Accepted : QDialog::Rejected;
            }
            if (auto* page = qobject_cast<PDFPageSettingsDialog*>(&dialog))
                page->ShowSettings();
            return QDialog::Accepted;
        };
    }
};

// What the document shows for an image name.
QImage Shown(QTextEdit& editor, const QString& name)
{
    return qvariant_cast<QPixmap>(editor.document()->resource(QTextDocument::ImageResource, QUrl(name)))
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

QImage Missing()
{
    return EditorDocument::MissingImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class UserImagesTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;
    QByteArray greyPng; // 30000 x 30000 pixels

private slots:
    void initTestCase()
    {
        greyPng = OversizedImage::ZeroPng(30000, 30000, true);
        // The PNG that the SVG below names, beside it.
        QVERIFY(WriteFile(folder.filePath(QStringLiteral("bomb.png")), greyPng));
    }

    void everyEntryPoint_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal"); // after "the image <path> "; empty: the image works

        RenderedScan::Page page;
        page.lines = kScanLines;
        page.widthPixels = 900;
        const QImage scan = RenderedScan::Render(page);
        const QString tooLarge = QStringLiteral("is too large: %1 x %2 pixels take more than 1 GiB of memory once decoded");
        const QString foreign = QStringLiteral("is not a JPEG or PNG image");
        QTest::newRow("baseline JPEG") << "scan.jpg" << Encoded(scan, "JPEG") << QString();
        QTest::newRow("RGB PNG") << "scan.png" << Encoded(scan, "PNG") << QString();
        QTest::newRow("PNG named .bmp") << "png.bmp" << Encoded(scan, "PNG") << QString();
        for (bool progressive : {false, true}) {
            const QString path = folder.filePath(QStringLiteral("claim.jpg"));
            QVERIFY(OversizedImage::WriteJpeg(path, progressive));
            QFile claim(path);
            QVERIFY(claim.open(QIODevice::ReadOnly));
            QTest::newRow(progressive ? "progressive JPEG claiming 65500 px" : "JPEG claiming 65500 px")
                << (progressive ? "progressive.jpg" : "baseline.jpg") << claim.readAll() << tooLarge.arg(65500).arg(65500);
        }
        QTest::newRow("PNG of 20000 x 20000") << "large.png" << OversizedImage::ZeroPng(20000, 20000, false)
                                              << tooLarge.arg(20000).arg(20000);
        QTest::newRow("grey PNG of 30000 x 30000") << "grey.png" << greyPng
                                                   << tooLarge.arg(30000).arg(30000);
        QTest::newRow("icon holding a PNG of 30000 x 30000")
            << "icon.ico" << OversizedImage::IconHolding(greyPng) << foreign;
        QTest::newRow("SVG inflating to 1 GiB") << "blank.svgz" << OversizedImage::BlankSvgz(qint64(1) << 30) << foreign;
        QTest::newRow("SVG naming a PNG of 30000 x 30000")
            << "names.svg"
            << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                          "width=\"16\" height=\"16\"><image width=\"16\" height=\"16\" xlink:href=\"bomb.png\"/></svg>")
            << foreign;
        QImage small(16, 16, QImage::Format_RGB32);
        small.fill(Qt::darkGreen);
        QTest::newRow("BMP") << "small.bmp" << Encoded(small, "BMP") << foreign;
        // A TGA header gives no size that Qt reads without decoding.
        QByteArray tga("\0\0\x02\0\0\0\0\0\0\0\0\0\x10\0\x10\0\x18\0", 18);
        tga += QByteArray(16 * 16 * 3, '\x80');
        QTest::newRow("TGA") << "small.tga" << tga << foreign;
    }

    void everyEntryPoint()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        const QString image = folder.filePath(fileName);
        QVERIFY(WriteFile(image, bytes));
        const bool works = refusal.isEmpty();
        const QString reason = QStringLiteral("the image %1 %2").arg(image, refusal);
        const QSize size = works ? QImage(image).size() : QSize(16, 16);

        // The watermark job.
        {
            const QTemporaryDir output;
            WatermarkThread thread;
            thread.files = QStringList{folder.filePath(QStringLiteral("page.pdf"))};
            QVERIFY(TestPDF::Write(thread.files.first(), TestPDF::Make({QStringLiteral("Page")})));
            thread.mode = ImageWatermark;
            thread.imagePath = image;
            thread.outputFolder = output.path();
            thread.outputNames = QStringLiteral("[FileName]");
            thread.start();
            QVERIFY(thread.wait(30000));
            QCOMPARE(Files(thread.outputFolder).size(), works ? 1 : 0);
            QCOMPARE(thread.GetFailures().size(), works ? 0 : 1);
            if (!works)
                QCOMPARE(thread.GetFailures().first().reason, reason);
        }

        // Insert Image.
        {
            AcceptingPrompts prompts;
            CreateNewPDFWindow window;
            window.show();
            prompts.fileNameAnswers << image;
            Find<QPushButton>(window, "buttonInsertImage")->click();
            QCOMPARE(prompts.startSizes, works ? QList<QSize>{size} : QList<QSize>());
            QCOMPARE(Texts(prompts, QStringLiteral("warning")),
                     works ? QStringList() : QStringList{QStringLiteral("Could not insert the image: %1.").arg(reason)});
            if (works) {
                // Kept in the store as JPEG or PNG whatever its name, so it shows.
                const QString stored = Find<QTextEdit>(window, "editNewPDF")->toHtml();
                QVERIFY2(!stored.contains(QLatin1String(".bmp")), qPrintable(stored));
            }
        }

        // A project that shows the image, and its PDF export.
        {
            AcceptingPrompts prompts;
            CreateNewPDFWindow window;
            window.show();
            const QString project = folder.filePath(QStringLiteral("shows.cnp"));
            QVERIFY(WriteFile(project, QStringLiteral("<html><body><p><img src=\"%1\" width=\"%2\" height=\"%3\" />"
                                                      "</p></body></html>")
                                           .arg(image)
                                           .arg(size.width())
                                           .arg(size.height())
                                           .toUtf8()));
            prompts.fileNameAnswers << project;
            Find<QAction>(window, "actionLoad")->trigger();
            QCOMPARE(Texts(prompts, QStringLiteral("warning")),
                     works ? QStringList()
                           : QStringList{QStringLiteral("Some images of the project cannot be shown:\n") + reason});
            window.grab(); // painted as a user sees it
            auto& editor = *Find<QTextEdit>(window, "editNewPDF");
            if (works)
                QCOMPARE(Shown(editor, image).size(), size);
            else
                QCOMPARE(Shown(editor, image), Missing());

            prompts.records.clear();
            const QTemporaryDir output;
            const QString pdf = output.filePath(QStringLiteral("shows.pdf"));
            prompts.fileNameAnswers << pdf;
            Find<QPushButton>(window, "buttonExportPDF")->click();
            QCOMPARE(QFile::exists(pdf), works);
            QCOMPARE(Texts(prompts, works ? QStringLiteral("information") : QStringLiteral("warning")),
                     QStringList{works ? QStringLiteral("File exported successfully.")
                                       : QStringLiteral("Could not export file.\n") + reason});
        }

        // The scan preview and the recognition.
        {
            ScriptedPrompts prompts;
            ExtractTextFromScanWindow window;
            window.OpenWindow();
            prompts.fileNameAnswers << image;
            Find<QPushButton>(window, "buttonSelectScan")->click();
            QCOMPARE(Find<QLabel>(window.Preview(), "labelImagePreview")->pixmap(Qt::ReturnByValue).isNull(), !works);
            Find<QPushButton>(window, "buttonExtractText")->click();
            QTRY_VERIFY_WITH_TIMEOUT(!window.IsExtracting(), kRecognitionTimeout);
            if (works) {
                QCOMPARE(Texts(prompts, QStringLiteral("information")), QStringList{"Text extracted successfully."});
                QCOMPARE(RenderedScan::TextLines(Find<QTextEdit>(window, "editText")->toPlainText()), kScanLines);
            } else {
                const QString refused = QStringLiteral("Could not read the scanned document: %1.").arg(reason);
                QCOMPARE(Texts(prompts, QStringLiteral("warning")), QStringList{refused});
                QCOMPARE(window.statusBar()->currentMessage(), refused);
            }
        }

        QVERIFY2(OversizedImage::PeakMegabytes() < kPeakMegabytes,
                 qPrintable(QStringLiteral("peak memory %1 MB").arg(OversizedImage::PeakMegabytes())));
    }

    // Both editors show pasted images through the gate: a PNG carried in a "data:" URL shows, one
    // that is no JPEG or PNG and one at a web address show as missing, and a style sheet still
    // applies.
    void pastedRichText()
    {
        QImage small(12, 8, QImage::Format_RGB32);
        small.fill(Qt::darkBlue);
        const QString dataUrl =
            QStringLiteral("data:image/png;base64,") + QString::fromLatin1(Encoded(small, "PNG").toBase64());
        const QString icon = QUrl::fromLocalFile(folder.filePath(QStringLiteral("pasted.ico"))).toString();
        QVERIFY(WriteFile(QUrl(icon).toLocalFile(), OversizedImage::IconHolding(greyPng)));
        const QString style = folder.filePath(QStringLiteral("pasted.css"));
        QVERIFY(WriteFile(style, ".strong { font-weight: bold }"));
        const QString web = QStringLiteral("http://example.invalid/picture.png");
        const QString html = QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"%1\"/>"
                                            "<p class=\"strong\">Pasted<img src=\"%2\"/><img src=\"%3\"/>"
                                            "<img src=\"%4\"/></p>")
                                 .arg(QUrl::fromLocalFile(style).toString(), dataUrl, icon, web);
        CreateNewPDFWindow create;
        ExtractTextFromScanWindow extract;
        for (QTextEdit* editor : {Find<QTextEdit>(create, "editNewPDF"), Find<QTextEdit>(extract, "editText")}) {
            auto* mime = new QMimeData;
            mime->setHtml(html);
            QApplication::clipboard()->setMimeData(mime);
            editor->paste();
            QCOMPARE(Shown(*editor, dataUrl).size(), small.size());
            QCOMPARE(Shown(*editor, icon), Missing());
            QCOMPARE(Shown(*editor, web), Missing());
            QTextCursor cursor(editor->document());
            cursor.movePosition(QTextCursor::NextCharacter);
            QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
        }
        QVERIFY(OversizedImage::PeakMegabytes() < kPeakMegabytes);
    }
};

VELLORAN_APP_TEST_MAIN(UserImagesTest)
#include "UserImagesTest.moc"
