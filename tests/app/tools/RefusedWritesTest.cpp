// A disk that fills up while pages are copied or rewritten, long before the output's end: each
// file tool names the output and the system's reason, whichever step of the library met the
// refusal, keeps the file it would have replaced and leaves nothing of its own behind. The limit
// is a file-size limit, whose signal the program's start-up ignores (the test programs start the
// same way): the job fails, and the process goes on to the next row.

#include "app/support/AppTestMain.h"
#include "app/support/FileSizeLimit.h"
#include "app/support/TestPDF.h"
#include "app/FontCatalog.h"
#include "app/tools/crop/CropGeometry.h"
#include "app/tools/crop/PDFCropper.h"
#include "app/tools/merge/PDFMerger.h"
#include "app/tools/split/PDFSplitter.h"
#include "app/tools/watermark/PDFWatermarker.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>

namespace {

// Enough pages that their copies, or their rewritten objects, outgrow the library's output
// buffer: the refusal comes while pages are written.
constexpr int kPages = 3000;

} // namespace

class RefusedWritesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    QString source;
    QString image;
    qint64 sourceSize = 0;
    int number = 0;

    static void AnswerYes(FileToolEngine& engine)
    {
        connect(&engine, &FileToolEngine::ShowOverwriteDialog, &engine,
                [&engine](QString) { engine.overwriteDecision.Store(OverwriteDecision::YesToAll); });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        QStringList texts;
        for (int i = 1; i <= kPages; ++i)
            texts << QStringLiteral("Page %1").arg(i);
        const QByteArray bytes = TestPDF::Make(texts);
        source = folder.filePath(QStringLiteral("big.pdf"));
        QVERIFY(TestPDF::Write(source, bytes));
        QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("damaged"))) &&
                TestPDF::Write(folder.filePath(QStringLiteral("damaged/big.pdf")),
                               TestPDF::WithUnreadableResources(bytes, {1})));
        sourceSize = bytes.size();
        QImage mark(64, 32, QImage::Format_RGB32);
        mark.fill(Qt::darkRed);
        image = folder.filePath(QStringLiteral("mark.jpg"));
        QVERIFY(mark.save(image, "JPG"));
    }

    void eachToolNamesTheOutput_data()
    {
        QTest::addColumn<QString>("tool");
        // The reason before the output's path: a page is known where pages are rewritten.
        QTest::addColumn<QString>("lead");
        // A first page that cannot be changed: the refusal still decides, the count stays.
        QTest::addColumn<bool>("firstPageDamaged");
        QTest::newRow("split") << "split" << "" << false;
        QTest::newRow("merge") << "merge" << "" << false;
        QTest::newRow("text watermark") << "watermark" << "page (\\d+) could not be watermarked: " << false;
        QTest::newRow("image watermark") << "image" << "page (\\d+) could not be watermarked: " << false;
        QTest::newRow("crop") << "crop" << "page (\\d+) could not be cropped: " << false;
        QTest::newRow("text watermark, first page damaged")
            << "watermark" << "page (\\d+) could not be watermarked: " << true;
    }

    void eachToolNamesTheOutput()
    {
        QFETCH(QString, tool);
        QFETCH(QString, lead);
        QFETCH(bool, firstPageDamaged);
        const QString source = firstPageDamaged ? folder.filePath(QStringLiteral("damaged/big.pdf")) : this->source;
        const QString out = folder.filePath(QStringLiteral("out%1").arg(++number));
        QVERIFY(QDir().mkpath(out));
        const QString name = tool == QLatin1String("merge") ? QStringLiteral("merged.pdf") : QStringLiteral("big.pdf");
        const QString target = out + QLatin1Char('/') + name;
        QVERIFY(TestPDF::Write(target, "old"));

        QStringList reasons;
        {
            // A third of the source for the new documents; the copy and a little more for the
            // tools that update a copy of it.
            const FileSizeLimit full(static_cast<rlim_t>(lead.isEmpty() ? sourceSize / 3 : sourceSize + 20000));
            QVERIFY(full.IsSet());
            const QString names = QStringLiteral("[FileName]");
            QList<FailedFile> failed;
            if (tool == QLatin1String("split")) {
                PDFSplitter splitter;
                AnswerYes(splitter);
                failed = splitter.SplitByPagesPerInterval({source}, kPages, out, names);
            } else if (tool == QLatin1String("merge")) {
                PDFMerger merger;
                const MergeResult result = merger.Merge({source}, target);
                QVERIFY(!result.written);
                reasons << result.failure;
                failed = result.failedFiles;
            } else if (tool == QLatin1String("watermark")) {
                const FontCatalog fonts(QStringList{QStringLiteral("/usr/share/fonts/truetype/dejavu")});
                PDFWatermarker watermarker;
                watermarker.SetFontCatalog(&fonts);
                AnswerYes(watermarker);
                failed = watermarker.AddTextWatermark({source}, QStringLiteral("Draft [PgNo]"),
                                                      QStringLiteral("DejaVuSans"), 12, 0, 2, 0, 5, 5, out, names);
            } else if (tool == QLatin1String("image")) {
                PDFWatermarker watermarker;
                AnswerYes(watermarker);
                failed = watermarker.AddImageWatermark({source}, image, 50, 4, 0, 0, 0, out, names);
            } else {
                PDFCropper cropper;
                AnswerYes(cropper);
                failed = cropper.CropDocuments({source}, CropUnitPoints, 10, 10, 200, 200, out, names);
            }
            QCOMPARE(failed.size(), 1);
            QCOMPARE(failed[0].path, source);
            reasons << failed[0].reason;
        }

        const QString refusal = QDir::toNativeSeparators(target) + QStringLiteral(" cannot be written: File too large");
        const QString count = firstPageDamaged ? QStringLiteral(" (2 pages failed in all)") : QString();
        const QRegularExpression expected(QStringLiteral("^") + lead + QRegularExpression::escape(refusal + count) +
                                          QStringLiteral("$"));
        for (const QString& reason : reasons) {
            const QRegularExpressionMatch match = expected.match(reason);
            QVERIFY2(match.hasMatch(), qPrintable(reason));
            // Neither the first page nor the end: the refusal came while pages were rewritten.
            if (!lead.isEmpty())
                QVERIFY2(match.captured(1).toInt() > 1 && match.captured(1).toInt() < kPages, qPrintable(reason));
        }
        QCOMPARE(TestPDF::Read(target), QByteArray("old"));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }
};

VELLORAN_APP_TEST_MAIN(RefusedWritesTest)
#include "RefusedWritesTest.moc"
