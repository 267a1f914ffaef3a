// A page that the watermark or crop tool cannot change is left as it is, the other pages are
// changed, the copy is written and sound for other readers, and the source is listed with the
// first failed page, named by one number counted from 1. A page that merge or split cannot copy
// is left out and the pages after it are copied, in order; a split part left with no page is not
// written. Judged by pdftotext, pdfimages, pdfinfo and qpdf.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/PDFReaders.h"
#include "app/support/TestPDF.h"
#include "app/FontCatalog.h"
#include "app/tools/crop/CropGeometry.h"
#include "app/tools/crop/PDFCropper.h"
#include "app/tools/merge/PDFMerger.h"
#include "app/tools/split/PDFSplitter.h"
#include "app/tools/watermark/PDFWatermarker.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

class PageFailuresTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    int fresh = 0;

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void theOtherPagesAreChanged_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QByteArray>("source");
        // Which pages show the change afterwards; none: nothing may be written.
        QTest::addColumn<QList<bool>>("changed");
        QTest::addColumn<QString>("reason");
        const QStringList texts{"Body1", "Body2", "Body3"};
        const QByteArray second = TestPDF::WithUnreadableResources(TestPDF::Make(texts), {2});
        const QString unreadable = QStringLiteral("the Resources of the page cannot be read, nothing written");
        QTest::newRow("text mark") << "text" << second << QList<bool>{true, false, true}
                                   << "page 2 could not be watermarked: " + unreadable;
        QTest::newRow("image mark") << "image" << second << QList<bool>{true, false, true}
                                    << "page 2 could not be watermarked: " + unreadable;
        QTest::newRow("two pages") << "text" << TestPDF::WithUnreadableResources(TestPDF::Make(texts), {1, 3})
                                   << QList<bool>{false, true, false}
                                   << "page 1 could not be watermarked: " + unreadable + " (2 pages failed in all)";
        QTest::newRow("every page") << "image" << TestPDF::WithUnreadableResources(TestPDF::Make({"Only"}), {1})
                                    << QList<bool>{} << "page 1 could not be watermarked: " + unreadable;
        TestPDF::Extras away;
        away.pages = {QByteArray(), "/MediaBox [1000 1000 1005 1005]"};
        // Sides whose area is beyond a double, and a box of no height: nothing could be seen there.
        const QByteArray huge = "1" + QByteArray(200, '0') + ".0";
        TestPDF::Extras endless, flat;
        endless.pages = {QByteArray(), "/MediaBox [0 0 " + huge + " " + huge + "]"};
        flat.pages = {QByteArray(), "/MediaBox [5 5 300 5]"};
        const QList<bool> middle{true, false, true};
        const QString noSize = QStringLiteral("the MediaBox of the page has no finite size");
        QTest::newRow("text mark, endless box") << "text" << TestPDF::Make(texts, false, endless) << middle
                                                << "page 2 could not be watermarked: " + noSize;
        QTest::newRow("image mark, box of no height")
            << "image" << TestPDF::Make(texts, false, flat) << middle
            << "page 2 could not be watermarked: the page shows no area to draw on";
        QTest::newRow("crop, endless box") << "crop" << TestPDF::Make(texts, false, endless) << middle
                                           << "page 2 could not be cropped: " + noSize;
        const QByteArray secondAndFourth = TestPDF::WithMisplacedContent(
            TestPDF::Make({"Body1", "Body2", "Body3", "Body4", "Body5"}), {2, 4});
        const QString notCopied = QStringLiteral("page 2 could not be copied: failed to read object declaration, "
                                                 "exepected ID = 7, found 3 (2 pages failed in all)");
        QTest::newRow("merge after a good file") << "merge" << secondAndFourth << QList<bool>{true} << notCopied;
        QTest::newRow("split into single pages") << "split" << secondAndFourth << QList<bool>{true} << notCopied;
        QTest::newRow("crop beside a page") << "crop" << TestPDF::Make(texts, false, away)
                                            << QList<bool>{true, false, true}
                                            << "page 2 could not be cropped: nothing of the crop rectangle "
                                               "[10 10 210 210] lies on its shown area of 5 x 5 points";
    }

    void theOtherPagesAreChanged()
    {
        QFETCH(QString, tool);
        QFETCH(QByteArray, source);
        QFETCH(QList<bool>, changed);
        QFETCH(QString, reason);
        const QString in = folder.filePath(QStringLiteral("in%1").arg(++fresh));
        const QString out = folder.filePath(QStringLiteral("out%1").arg(fresh));
        QVERIFY(QDir().mkpath(in) && QDir().mkpath(out));
        const QString path = in + QStringLiteral("/doc.pdf");
        QVERIFY(TestPDF::Write(path, source));
        const QString target = out + QStringLiteral("/doc.pdf");

        QList<FailedFile> failed;
        if (tool == QLatin1String("merge")) {
            const QString good = in + QStringLiteral("/good.pdf");
            QVERIFY(TestPDF::Write(good, TestPDF::Make({"Good"})));
            failed = PDFMerger().Merge({good, path}, target).failedFiles;
        } else if (tool == QLatin1String("split")) {
            failed = PDFSplitter().SplitByPagesPerInterval({path}, 1, out, QStringLiteral("[FileName]-[IntervalIndex]"));
        } else if (tool == QLatin1String("crop")) {
            PDFCropper cropper;
            failed = cropper.CropDocuments({path}, CropUnitPoints, 10, 10, 200, 200, out, QStringLiteral("[FileName]"));
        } else if (tool == QLatin1String("text")) {
            const FontCatalog fonts(QStringList{QStringLiteral("/usr/share/fonts/truetype/dejavu")});
            PDFWatermarker watermarker;
            watermarker.SetFontCatalog(&fonts);
            failed = watermarker.AddTextWatermark({path}, QStringLiteral("Stamp"), QStringLiteral("DejaVuSans"), 20,
                                                  0xFF0000, 4, 0, 0, 0, out, QStringLiteral("[FileName]"));
        } else {
            QImage mark(40, 20, QImage::Format_RGB32);
            mark.fill(Qt::darkBlue);
            const QString image = in + QStringLiteral("/mark.jpg");
            QVERIFY(mark.save(image, "JPG"));
            PDFWatermarker watermarker;
            failed = watermarker.AddImageWatermark({path}, image, 100, 4, 0, 0, 0, out, QStringLiteral("[FileName]"));
        }
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0].path, path);
        QCOMPARE(failed[0].reason, reason);
        if (changed.isEmpty()) {
            QVERIFY(!QFile::exists(target));
            return;
        }
        QString report;
        if (tool == QLatin1String("merge") || tool == QLatin1String("split")) {
            // Pages 1, 3 and 5 copied, in order; the parts of pages 2 and 4 are not written.
            const bool merge = tool == QLatin1String("merge");
            const QStringList outputs = QDir(out).entryList(QDir::Files, QDir::Name);
            QCOMPARE(outputs.join(' '), QLatin1String(merge ? "doc.pdf" : "doc-1.pdf doc-3.pdf doc-5.pdf"));
            QStringList texts;
            for (const QString& output : outputs) {
                QVERIFY2(ExternalReaders::QpdfAccepts(out + QLatin1Char('/') + output, &report), qPrintable(report));
                texts << ExternalReaders::PageTexts(out + QLatin1Char('/') + output);
            }
            QCOMPARE(texts.join(' '), QLatin1String(merge ? "Good Body1 Body3 Body5" : "Body1 Body3 Body5"));
            return;
        }
        QVERIFY2(ExternalReaders::QpdfAccepts(target, &report), qPrintable(report));
        QList<bool> shown;
        if (tool == QLatin1String("text")) {
            for (const QString& text : ExternalReaders::PageTexts(target))
                shown << text.contains(QLatin1String("Stamp"));
        } else if (tool == QLatin1String("image")) {
            shown = {false, false, false};
            for (const QStringList& row : PDFReaders::ImageRows(target))
                shown[row.value(0).toInt() - 1] = true;
        } else {
            for (const QString& boxes : ExternalReaders::PageBoxes(target))
                shown << boxes.contains(QLatin1String("MediaBox: 10.00 10.00 210.00 210.00;"));
        }
        QCOMPARE(shown, changed);
        // A marked page keeps its own content.
        if (tool != QLatin1String("crop")) {
            const QStringList texts = ExternalReaders::PageTexts(target);
            QCOMPARE(texts.size(), changed.size());
            for (int page = 0; page < texts.size(); ++page)
                QVERIFY2(!changed[page] || texts[page].contains(QStringLiteral("Body%1").arg(page + 1)),
                         qPrintable(texts[page]));
        }
    }
};

VELLORAN_APP_TEST_MAIN(PageFailuresTest)
#include "PageFailuresTest.moc"
