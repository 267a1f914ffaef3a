// Which cross-reference sections a file is read from. A file whose newest update ends after
// "startxref" and its number, with or without a "%%EOF" of its own: merge, split and watermark
// take the newest revision (pdftotext, qpdf), and the watermark's update chains back to it. An
// update cut right after "startxref" refuses the file. A "startxref" after the marker that is not
// the keyword (in a comment or a string, glued to a word, in the bytes of an update cut inside a
// stream) is passed over, as qpdf passes it over. A /Prev of 0 names no earlier section.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/TestPDF.h"
#include "app/FontCatalog.h"
#include "app/tools/crop/CropGeometry.h"
#include "app/tools/crop/PDFCropper.h"
#include "app/tools/merge/PDFMerger.h"
#include "app/tools/split/PDFSplitter.h"
#include "app/tools/watermark/PDFWatermarker.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

struct ToolRun {
    QString source; // the source's path
    QString target; // the tool's (first) output
    QList<FailedFile> failed;
};

// Writes the source into the folder and runs the tool on it, writing into the folder's "out".
ToolRun RunTool(const QString& tool, const QByteArray& bytes, const QTemporaryDir& dir)
{
    ToolRun run{dir.filePath(QStringLiteral("doc.pdf")), dir.filePath(QStringLiteral("out/doc.pdf")), {}};
    const QString out = dir.filePath(QStringLiteral("out"));
    if (!TestPDF::Write(run.source, bytes) || !QDir().mkpath(out)) {
        run.failed = {{run.source, QStringLiteral("not written")}};
    } else if (tool == QLatin1String("merge")) {
        run.failed = PDFMerger().Merge({run.source}, run.target).failedFiles;
    } else if (tool == QLatin1String("split")) {
        run.target = out + QStringLiteral("/doc-1.pdf");
        run.failed =
            PDFSplitter().SplitByPagesPerInterval({run.source}, 1, out, QStringLiteral("[FileName]-[IntervalIndex]"));
    } else if (tool == QLatin1String("crop")) {
        run.failed = PDFCropper().CropDocuments({run.source}, CropUnitPoints, 50, 650, 300, 100, out,
                                                QStringLiteral("[FileName]"));
    } else {
        const FontCatalog fonts(QStringList{QStringLiteral("/usr/share/fonts/truetype/dejavu")});
        PDFWatermarker watermarker;
        watermarker.SetFontCatalog(&fonts);
        run.failed = watermarker.AddTextWatermark({run.source}, QStringLiteral("Stamp"), QStringLiteral("DejaVuSans"),
                                                  20, 0xFF0000, 4, 0, 0, 0, out, QStringLiteral("[FileName]"));
    }
    return run;
}

// The one-page file with its classic table replaced by a cross-reference stream that lists the
// same objects, its dictionary holding `entries` after /Root.
QByteArray WithXrefStream(const QByteArray& pdf, const QByteArray& entries)
{
    const int table = pdf.lastIndexOf("\nxref\n") + 1;
    const QList<QByteArray> rows = pdf.mid(table).split('\n').mid(2); // row n: object n
    const int size = TestPDF::LastNumberAfter(pdf, "/Size").toInt();
    QByteArray data("\0\0\0\0\0\xFF\xFF", 7);
    for (int id = 1; id <= size; ++id) {
        const quint32 offset = id < size ? rows[id].left(10).toUInt() : static_cast<quint32>(table);
        data += '\1';
        for (int shift = 24; shift >= 0; shift -= 8)
            data += static_cast<char>(offset >> shift & 0xFF);
        data += QByteArray(2, '\0');
    }
    return "%PDF-1.5" + pdf.mid(8, table - 8) + QByteArray::number(size) + " 0 obj\n" +
           TestPDF::Stream(data, " /Type /XRef /Size " + QByteArray::number(size + 1) + " /W [1 4 2] /Root 1 0 R" +
                                     entries) +
           "\nendobj\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
}

} // namespace

class NewestRevisionTest : public QObject {
    Q_OBJECT

private slots:
    void theNewestRevisionIsTaken_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<bool>("refused");
        const QByteArray body = TestPDF::Stream("BT /F1 24 Tf 72 700 Td (New) Tj ET");
        const QByteArray old = TestPDF::Make({"Old"});
        const QByteArray unmarked = TestPDF::WithUpdate(old, 5, body, false);
        for (const char* tool : {"merge", "split", "watermark"}) {
            QTest::addRow("%s, update with its %%%%EOF", tool) << tool << TestPDF::WithUpdate(old, 5, body) << false;
            QTest::addRow("%s, update without %%%%EOF", tool) << tool << unmarked << false;
            QTest::addRow("%s, update cut after startxref", tool)
                << tool << unmarked.left(unmarked.lastIndexOf("startxref") + 10) << true;
        }
    }

    void theNewestRevisionIsTaken()
    {
        QFETCH(QString, tool);
        QFETCH(QByteArray, source);
        QFETCH(bool, refused);
        const QTemporaryDir dir;
        const ToolRun run = RunTool(tool, source, dir);
        QCOMPARE(FailedPaths(run.failed), refused ? QStringList{run.source} : QStringList());
        if (refused) {
            QCOMPARE(run.failed[0].reason, QStringLiteral("syntax error in reading xref position"));
            QVERIFY(QDir(dir.filePath(QStringLiteral("out"))).isEmpty());
            return;
        }
        QString report;
        QVERIFY2(ExternalReaders::QpdfAccepts(run.target, &report), qPrintable(report));
        const QString text = ExternalReaders::PageTexts(run.target).join(' ');
        QVERIFY2(text.contains(QLatin1String("New")) && !text.contains(QLatin1String("Old")), qPrintable(text));
        if (tool != QLatin1String("watermark"))
            return;
        QVERIFY2(text.contains(QLatin1String("Stamp")), qPrintable(text));
        // The last /Prev is the watermark's own update's.
        QCOMPARE(TestPDF::LastNumberAfter(TestPDF::Read(run.target), "/Prev"),
                 TestPDF::LastNumberAfter(source, "startxref"));
    }

    void aStartxrefThatIsNoKeywordIsPassedOver_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("pages"); // 0: refused
        const QByteArray one = TestPDF::Make({"One"});
        auto secondPage = [&](const QByteArray& content, bool endMarker) {
            return TestPDF::WithUpdate(
                one,
                {{2, "<< /Type /Pages /Kids [ 4 0 R 6 0 R ] /Count 2 >>"},
                 {6, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
                     "/Contents 7 0 R >>"},
                 {7, TestPDF::Stream(content)}},
                endMarker);
        };
        const QByteArray two = secondPage("BT /F1 24 Tf 72 700 Td (Two) Tj ET", true);
        const QByteArray keyword = two.left(two.lastIndexOf("startxref"));
        QTest::newRow("a comment after %%EOF") << two + "% written by X; startxref lies above\n" << 2;
        QTest::newRow("a string after %%EOF") << two + "<< /Note (startxref) >>\n" << 2;
        QTest::newRow("xstartxref after %%EOF") << two + "xstartxref\n" << 2;
        const QByteArray binary = secondPage("BT /F1 24 Tf 72 700 Td (Two) Tj ET startxref\x9C\x01\xFF\x80" +
                                                 QByteArray(40, '\xE7'),
                                             true);
        QTest::newRow("update cut inside a stream") << binary.left(binary.indexOf("startxref\x9C") + 20) << 1;
        QTest::newRow(">>startxref") << keyword.left(keyword.size() - 1) + two.mid(keyword.size()) << 2;
        QTest::newRow("startxref, then abc") << keyword + "startxref\nabc\n%%EOF\n" << 0;
        QTest::newRow("cut after startxref and its number")
            << secondPage("BT /F1 24 Tf 72 700 Td (Two) Tj ET", false) << 2;
    }

    // Merge keeps the pages qpdf reads.
    void aStartxrefThatIsNoKeywordIsPassedOver()
    {
        QFETCH(QByteArray, source);
        QFETCH(int, pages);
        const QTemporaryDir dir;
        const ToolRun run = RunTool(QStringLiteral("merge"), source, dir);
        if (pages == 0) {
            QCOMPARE(FailedPaths(run.failed), QStringList{run.source});
            QCOMPARE(run.failed[0].reason, QStringLiteral("syntax error in reading xref position"));
            return;
        }
        QCOMPARE(ExternalReaders::Run(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), run.source}).trimmed(),
                 QByteArray::number(pages));
        QCOMPARE(FailedPaths(run.failed), QStringList());
        QString report;
        QVERIFY2(ExternalReaders::QpdfAccepts(run.target, &report), qPrintable(report));
        QCOMPARE(ExternalReaders::PageCount(run.target), pages);
    }

    void prevZeroNamesNoEarlierSection_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QByteArray>("source");
        const QByteArray one = TestPDF::Make({"Only"});
        const QByteArray classic = QByteArray(one).replace("/Root 1 0 R >>", "/Root 1 0 R /Prev 0 >>");
        const QByteArray stream = WithXrefStream(one, " /Prev 0");
        for (const char* tool : {"merge", "split", "watermark", "crop"}) {
            QTest::addRow("%s, classic trailer", tool) << tool << classic;
            QTest::addRow("%s, cross-reference stream", tool) << tool << stream;
        }
    }

    void prevZeroNamesNoEarlierSection()
    {
        QFETCH(QString, tool);
        QFETCH(QByteArray, source);
        const QTemporaryDir dir;
        const ToolRun run = RunTool(tool, source, dir);
        QCOMPARE(FailedPaths(run.failed), QStringList());
        QString report;
        QVERIFY2(ExternalReaders::QpdfAccepts(run.source, &report), qPrintable(report));
        QVERIFY2(ExternalReaders::QpdfAccepts(run.target, &report), qPrintable(report));
        const QString text = ExternalReaders::PageTexts(run.target).join(' ');
        QVERIFY2(text.contains(QLatin1String("Only")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("Stamp")) == (tool == QLatin1String("watermark")), qPrintable(text));
    }
};

VELLORAN_APP_TEST_MAIN(NewestRevisionTest)
#include "NewestRevisionTest.moc"
