// A file whose newest update ends after "startxref" and its number, with or without a "%%EOF" of
// its own: merge, split and watermark take the newest revision (pdftotext, qpdf), and the
// watermark's update chains back to it. An update cut right after "startxref" refuses the file.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/TestPDF.h"
#include "app/FontCatalog.h"
#include "app/tools/merge/PDFMerger.h"
#include "app/tools/split/PDFSplitter.h"
#include "app/tools/watermark/PDFWatermarker.h"

#include <QDir>
#include <QTemporaryDir>

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
        const QString path = dir.filePath(QStringLiteral("doc.pdf"));
        const QString out = dir.filePath(QStringLiteral("out"));
        QVERIFY(TestPDF::Write(path, source) && QDir().mkpath(out));
        QString target = out + QStringLiteral("/doc.pdf");
        QList<FailedFile> failed;
        if (tool == QLatin1String("merge")) {
            failed = PDFMerger().Merge({path}, target).failedFiles;
        } else if (tool == QLatin1String("split")) {
            target = out + QStringLiteral("/doc-1.pdf");
            failed = PDFSplitter().SplitByPagesPerInterval({path}, 1, out, QStringLiteral("[FileName]-[IntervalIndex]"));
        } else {
            const FontCatalog fonts(QStringList{QStringLiteral("/usr/share/fonts/truetype/dejavu")});
            PDFWatermarker watermarker;
            watermarker.SetFontCatalog(&fonts);
            failed = watermarker.AddTextWatermark({path}, QStringLiteral("Stamp"), QStringLiteral("DejaVuSans"), 20,
                                                  0xFF0000, 4, 0, 0, 0, out, QStringLiteral("[FileName]"));
        }
        QCOMPARE(FailedPaths(failed), refused ? QStringList{path} : QStringList());
        if (refused) {
            QCOMPARE(failed[0].reason, QStringLiteral("syntax error in reading xref position"));
            QVERIFY(QDir(out).isEmpty());
            return;
        }
        QString report;
        QVERIFY2(ExternalReaders::QpdfAccepts(target, &report), qPrintable(report));
        const QString text = ExternalReaders::PageTexts(target).join(' ');
        QVERIFY2(text.contains(QLatin1String("New")) && !text.contains(QLatin1String("Old")), qPrintable(text));
        if (tool != QLatin1String("watermark"))
            return;
        QVERIFY2(text.contains(QLatin1String("Stamp")), qPrintable(text));
        // The last /Prev is the watermark's own update's.
        QCOMPARE(TestPDF::LastNumberAfter(TestPDF::Read(target), "/Prev"),
                 TestPDF::LastNumberAfter(source, "startxref"));
    }
};

VELLORAN_APP_TEST_MAIN(NewestRevisionTest)
#include "NewestRevisionTest.moc"
