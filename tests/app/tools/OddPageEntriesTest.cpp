// Pages with entries that other readers read past: Kids entries that are no page, a Contents
// array holding an item that is no stream, a "]" where a page's value belongs. Judged by qpdf and
// pdftotext.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/TestPDF.h"
#include "app/FontCatalog.h"
#include "app/tools/crop/PDFCropper.h"
#include "app/tools/merge/PDFMerger.h"
#include "app/tools/split/PDFSplitter.h"
#include "app/tools/watermark/PDFWatermarker.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

const QByteArray kResources = "/Resources << /Font << /F1 3 0 R >> >>";

// Two pages showing "One" and "Two" (objects 4 and 6, their content 5 and 7, the font 3, object 8
// a null), `between` standing between them in Kids; page 1 given whole unless `page1` is empty.
QByteArray TwoPages(const QByteArray& between, const QByteArray& page1 = QByteArray())
{
    return TestPDF::Assemble(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [4 0 R " + between + " 6 0 R] /Count 2 >>",
         "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
         page1.isEmpty() ? "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] " + kResources + " /Contents 5 0 R >>"
                         : page1,
         TestPDF::Stream("BT /F1 24 Tf 72 700 Td (One) Tj ET"),
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] " + kResources + " /Contents 7 0 R >>",
         TestPDF::Stream("BT /F1 24 Tf 72 700 Td (Two) Tj ET"), "null"});
}

// Runs the tool on the file into a new folder; `written` gets the file it wrote (split: the first
// part).
QList<FailedFile> RunTool(const QString& tool, const QString& path, const QString& folder, QString* written = nullptr)
{
    QDir().mkpath(folder);
    const QString name = QFileInfo(path).completeBaseName();
    QString target = folder + QLatin1Char('/') + name + QStringLiteral(".pdf");
    QList<FailedFile> failed;
    if (tool == QLatin1String("merge")) {
        failed = PDFMerger().Merge({path}, target).failedFiles;
    } else if (tool == QLatin1String("split")) {
        target = folder + QLatin1Char('/') + name + QStringLiteral("-1.pdf");
        failed = PDFSplitter().SplitByPagesPerInterval({path}, 1, folder, QStringLiteral("[FileName]-[IntervalIndex]"));
    } else if (tool == QLatin1String("crop")) {
        failed = PDFCropper().CropDocuments({path}, 1, 10, 10, 80, 80, folder, QStringLiteral("[FileName]"));
    } else {
        const FontCatalog fonts(QStringList{QStringLiteral("/usr/share/fonts/truetype/dejavu")});
        PDFWatermarker watermarker;
        watermarker.SetFontCatalog(&fonts);
        failed = watermarker.AddTextWatermark({path}, QStringLiteral("Stamp"), QStringLiteral("DejaVuSans"), 20,
                                              0xFF0000, 4, 0, 0, 0, folder, QStringLiteral("[FileName]"));
    }
    if (written)
        *written = target;
    return failed;
}

} // namespace

class OddPageEntriesTest : public QObject {
    Q_OBJECT

private slots:
    void kidsThatAreNoPagesArePassedOver_data()
    {
        QTest::addColumn<QByteArray>("between");
        QTest::newRow("a string") << QByteArray("(x)");
        QTest::newRow("a number") << QByteArray("7");
        QTest::newRow("null") << QByteArray("null");
        QTest::newRow("a reference to null") << QByteArray("8 0 R");
    }

    void kidsThatAreNoPagesArePassedOver()
    {
        QFETCH(QByteArray, between);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.pdf"));
        QVERIFY(TestPDF::Write(path, TwoPages(between)));
        QString merged;
        QVERIFY(RunTool(QStringLiteral("merge"), path, dir.filePath(QStringLiteral("out")), &merged).isEmpty());
        QString report;
        QVERIFY2(ExternalReaders::QpdfAccepts(merged, &report), qPrintable(report));
        QCOMPARE(ExternalReaders::PageTexts(merged), QStringList({QStringLiteral("One"), QStringLiteral("Two")}));
    }

    void onlyContentStreamsAreMarked_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("marked");
        // The font dictionary stands where a content stream belongs.
        QTest::newRow("[stream dictionary]") << QByteArray("[5 0 R 3 0 R]") << true;
        QTest::newRow("[dictionary stream]") << QByteArray("[3 0 R 5 0 R]") << true;
        // Contents that is a dictionary itself: the page is left as it is, and the file listed.
        QTest::newRow("a dictionary") << QByteArray("3 0 R") << false;
    }

    void onlyContentStreamsAreMarked()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, marked);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.pdf"));
        QVERIFY(TestPDF::Write(path, TwoPages(QByteArray(), "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] " +
                                                               kResources + " /Contents " + contents + " >>")));
        QString target;
        const QList<FailedFile> failed =
            RunTool(QStringLiteral("watermark"), path, dir.filePath(QStringLiteral("out")), &target);
        QCOMPARE(FailedPaths(failed), marked ? QStringList() : QStringList{path});
        if (marked) {
            QString report;
            QVERIFY2(ExternalReaders::QpdfAccepts(target, &report), qPrintable(report));
        } else {
            QCOMPARE(failed[0].reason, QStringLiteral("page 1 could not be watermarked: error copying page content, "
                                                      "expected either array or stream, getting Dictionary"));
        }
        const QStringList texts = ExternalReaders::PageTexts(target);
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], marked ? QStringLiteral("One\n\nStamp") : QString());
        QCOMPARE(texts[1], QStringLiteral("Two\n\nStamp"));
    }

    void aClosingTokenWhereAValueBelongsIsNull_data()
    {
        QTest::addColumn<QByteArray>("page1");
        QTest::addColumn<QString>("tool");
        const QByteArray rest = "/Parent 2 0 R /MediaBox [0 0 612 792] " + kResources + " /Contents 5 0 R >>";
        const QByteArray after = "<< /Type /Page /Foo ] " + rest;
        QTest::newRow("after Type, merge") << after << "merge";
        QTest::newRow("before Type, merge") << "<< /Foo ] /Type /Page " + rest << "merge";
        QTest::newRow("after Type, watermark") << after << "watermark";
        QTest::newRow("after Type, crop") << after << "crop";
    }

    void aClosingTokenWhereAValueBelongsIsNull()
    {
        QFETCH(QByteArray, page1);
        QFETCH(QString, tool);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.pdf"));
        QVERIFY(TestPDF::Write(path, TwoPages(QByteArray(), page1)));
        QString written;
        QVERIFY(RunTool(tool, path, dir.filePath(QStringLiteral("out")), &written).isEmpty());
        QString report;
        QVERIFY2(ExternalReaders::QpdfAccepts(written, &report), qPrintable(report));
        if (tool == QLatin1String("merge")) {
            QCOMPARE(ExternalReaders::PageTexts(written), QStringList({QStringLiteral("One"), QStringLiteral("Two")}));
            return;
        }
        // The page written again holds a null in its place, and the file opens in every tool.
        const QByteArray update = TestPDF::Read(written).mid(TestPDF::Read(path).size());
        QVERIFY2(update.contains("/Foo null"), update.constData());
        for (const char* next : {"merge", "split", "watermark", "crop"}) {
            const QList<FailedFile> failed =
                RunTool(QLatin1String(next), written, dir.filePath(QStringLiteral("again-") + next));
            QVERIFY2(failed.isEmpty(), next);
        }
    }
};

VELLORAN_APP_TEST_MAIN(OddPageEntriesTest)
#include "OddPageEntriesTest.moc"
