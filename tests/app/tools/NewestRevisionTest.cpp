// A file whose newest incremental update ends after "startxref" and its number, with a "%%EOF" of
// its own or without one (the older revision's marker then being the last): merge, split and
// watermark take the newest revision, and the watermark's update chains back to its section. An
// update cut right after "startxref" refuses the file; the older revision never stands in for it.
// Judged by pdftotext and qpdf.

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

private:
    QTemporaryDir folder;
    int fresh = 0;

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void theNewestRevisionIsTaken_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<bool>("refused");
        const QByteArray content = "BT /F1 24 Tf 72 700 Td (New) Tj ET";
        const QByteArray body =
            "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream";
        const QByteArray old = TestPDF::Make({"Old"});
        const QByteArray unmarked = TestPDF::WithUpdate(old, 5, body, false);
        const QByteArray cut = unmarked.left(unmarked.lastIndexOf("startxref") + 10);
        for (const char* tool : {"merge", "split", "watermark"}) {
            QTest::addRow("%s, update with its %%%%EOF", tool) << tool << TestPDF::WithUpdate(old, 5, body) << false;
            QTest::addRow("%s, update without %%%%EOF", tool) << tool << unmarked << false;
            QTest::addRow("%s, update cut after startxref", tool) << tool << cut << true;
        }
    }

    void theNewestRevisionIsTaken()
    {
        QFETCH(QString, tool);
        QFETCH(QByteArray, source);
        QFETCH(bool, refused);
        const QString in = folder.filePath(QStringLiteral("in%1").arg(++fresh));
        const QString out = folder.filePath(QStringLiteral("out%1").arg(fresh));
        QVERIFY(QDir().mkpath(in) && QDir().mkpath(out));
        const QString path = in + QStringLiteral("/doc.pdf");
        QVERIFY(TestPDF::Write(path, source));
        QString target = out + QStringLiteral("/doc.pdf");

        QList<FailedFile> failed;
        if (tool == QLatin1String("merge")) {
            failed = PDFMerger().Merge({path}, target).failedFiles;
        } else if (tool == QLatin1String("split")) {
            failed = PDFSplitter().SplitByPagesPerInterval({path}, 1, out, QStringLiteral("[FileName]-[IntervalIndex]"));
            target = out + QStringLiteral("/doc-1.pdf");
        } else {
            const FontCatalog fonts(QStringList{QStringLiteral("/usr/share/fonts/truetype/dejavu")});
            PDFWatermarker watermarker;
            watermarker.SetFontCatalog(&fonts);
            failed = watermarker.AddTextWatermark({path}, QStringLiteral("Stamp"), QStringLiteral("DejaVuSans"), 20,
                                                  0xFF0000, 4, 0, 0, 0, out, QStringLiteral("[FileName]"));
        }
        if (refused) {
            QCOMPARE(FailedPaths(failed), QStringList{path});
            QCOMPARE(failed[0].reason, QStringLiteral("syntax error in reading xref position"));
            QVERIFY(QDir(out).isEmpty());
            return;
        }
        QCOMPARE(FailedPaths(failed), QStringList());
        QString report;
        QVERIFY2(ExternalReaders::QpdfAccepts(target, &report), qPrintable(report));
        const QString text = ExternalReaders::PageTexts(target).join(' ');
        QVERIFY2(text.contains(QLatin1String("New")) && !text.contains(QLatin1String("Old")), qPrintable(text));
        if (tool != QLatin1String("watermark"))
            return;
        QVERIFY2(text.contains(QLatin1String("Stamp")), qPrintable(text));
        const QByteArray written = TestPDF::Read(target);
        QVERIFY(written.startsWith(source));
        QCOMPARE(TestPDF::LastNumberAfter(written.mid(source.size()), "/Prev"),
                 TestPDF::LastNumberAfter(source, "startxref"));
    }
};

VELLORAN_APP_TEST_MAIN(NewestRevisionTest)
#include "NewestRevisionTest.moc"
