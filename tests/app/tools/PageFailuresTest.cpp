// A page that the watermark or crop tool cannot change is left as it is, the other pages are
// changed, the copy is written and sound for other readers, and the source is listed with the
// first failed page, named by one number counted from 1. A page that merge or split cannot copy
// is left out and the pages after it are copied, in order; a split part left with no page is not
// written. Judged by pdftotext, pdfimages, pdfinfo and qpdf.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/PDFReaders.h"
#include "app/support/PageRenders.h"
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
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace {

using Page = std::pair<QByteArray, QByteArray>; // its resources, and what it draws after its label

// Pages labelled P1, P2 ... in the font of object 3; the objects from 4 + 2 * count on are `shared`.
QByteArray PagesSharing(const QByteArray& font, const QList<Page>& pages, const QList<QByteArray>& shared)
{
    QList<QByteArray> bodies{"<< /Type /Catalog /Pages 2 0 R >>", "", font};
    QByteArray kids;
    for (int k = 1; k <= pages.size(); ++k) {
        kids += QByteArray::number(2 + 2 * k) + " 0 R ";
        bodies << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Resources << " + pages[k - 1].first +
                      " >> /Contents " + QByteArray::number(3 + 2 * k) + " 0 R >>"
               << TestPDF::Stream("BT /F1 24 Tf 20 250 Td (P" + QByteArray::number(k) + ") Tj ET " +
                                  pages[k - 1].second);
    }
    bodies[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages.size()) + " >>";
    return TestPDF::Assemble(bodies + shared);
}

const QByteArray kHelvetica = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
const QByteArray kFont = "/Font << /F1 3 0 R >>";
const QByteArray kRedImage = TestPDF::Stream(QByteArray("\xFF\x00\x00", 3).repeated(4),
                                             " /Type /XObject /Subtype /Image /Width 2 /Height 2 "
                                             "/ColorSpace /DeviceRGB /BitsPerComponent 8");

// The pages a failure reason counts: n of "(n pages failed in all)", else one; none without one.
int FailedCount(const QString& reason)
{
    const QRegularExpressionMatch all =
        QRegularExpression(QStringLiteral(" \\((\\d+) pages failed in all\\)$")).match(reason);
    return reason.isEmpty() ? 0 : all.hasMatch() ? all.captured(1).toInt() : 1;
}

} // namespace

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

    // Pages that share an object that cannot be read each fail, and no page kept refers to
    // anything a failed one began to copy: merge keeps the pages split writes, each whole.
    void aSharedObjectThatCannotBeReadFailsEveryPageThatNeedsIt_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QList<int>>("kept"); // pages from 1
        // Pages 2 and 3 draw one form whose resources name the image and an ExtGState whose table
        // entry points at the image's bytes.
        const Page plain(kFont, ""), drawsForm(kFont + " /XObject << /Fm 10 0 R >>", "q /Fm Do Q");
        for (bool imageFirst : {false, true}) {
            const QByteArray image = "/XObject << /Im 11 0 R >> ", state = "/ExtGState << /G 12 0 R >> ";
            const QByteArray resources = imageFirst ? image + state : state + image;
            const QByteArray form = TestPDF::Stream("q /G gs 200 0 0 200 50 20 cm /Im Do Q",
                                                    " /Type /XObject /Subtype /Form /BBox [0 0 300 300] "
                                                    "/Resources << " + resources + ">>");
            const QByteArray pdf = PagesSharing(kHelvetica, {plain, drawsForm, drawsForm},
                                                {form, kRedImage, "<< /Type /ExtGState /CA 1 >>"});
            QTest::newRow(imageFirst ? "form, image named first" : "form, image named last")
                << TestPDF::WithEntryOf(pdf, 12, 11) << QList<int>{1};
        }
        // The Widths, object 10, listed where the font is.
        const QByteArray font = PagesSharing("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar 32 "
                                             "/LastChar 126 /Widths 10 0 R >>",
                                             {plain, plain, plain}, {"[278]"});
        QTest::newRow("font") << TestPDF::WithEntryOf(font, 10, 3) << QList<int>{};
        // Every page draws one image; every third names a font whose descriptor's font program,
        // object 39, is listed where the descriptor is.
        QList<Page> pages;
        for (int k = 1; k <= 16; ++k)
            pages << Page((k % 3 ? kFont : "/Font << /F1 3 0 R /F2 37 0 R >>") + " /XObject << /Im 36 0 R >>",
                          "q 80 0 0 80 150 50 cm /Im Do Q");
        const QByteArray sixteen = PagesSharing(
            kHelvetica, pages,
            {kRedImage, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /FontDescriptor 38 0 R >>",
             "<< /Type /FontDescriptor /FontName /Courier /Flags 32 /FontBBox [0 0 600 600] /ItalicAngle 0 "
             "/Ascent 600 /Descent 0 /CapHeight 600 /StemV 80 /FontFile 39 0 R >>",
             TestPDF::Stream("")});
        QTest::newRow("16 pages") << TestPDF::WithEntryOf(sixteen, 39, 38)
                                  << QList<int>{1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 16};
    }

    void aSharedObjectThatCannotBeReadFailsEveryPageThatNeedsIt()
    {
        QFETCH(QByteArray, source);
        QFETCH(QList<int>, kept);
        const QString dir = folder.filePath(QStringLiteral("shared%1").arg(++fresh));
        const QString path = dir + QStringLiteral("/doc.pdf");
        const QString good = dir + QStringLiteral("/good.pdf");
        QVERIFY(QDir().mkpath(dir) && TestPDF::Write(path, source) && TestPDF::Write(good, TestPDF::Make({"Good"})));
        const QList<QImage> sourcePages = PageRenders::Render(path, dir + QStringLiteral("/source"));
        const int pages = source.count("/Type /Page ");
        // Sound, no reference to a free entry, and the pages (after `skip` others) as their source
        // shows them.
        auto expectPages = [&](const QString& output, const QList<int>& labels, int skip) {
            QString report;
            QVERIFY2(ExternalReaders::QpdfAccepts(output, &report), qPrintable(report));
            QCOMPARE(ExternalReaders::DanglingReferences(output), QStringList());
            const QStringList texts = ExternalReaders::PageTexts(output);
            const QList<QImage> shown = PageRenders::Render(output, output + QStringLiteral(".shown"));
            QCOMPARE(texts.size(), labels.size() + skip);
            for (int i = 0; i < labels.size(); ++i) {
                QCOMPARE(texts[skip + i], QStringLiteral("P%1").arg(labels[i]));
                QVERIFY(PageRenders::Changed(sourcePages[labels[i] - 1], shown[skip + i]).isNull());
            }
        };

        const MergeResult merged = PDFMerger().Merge({good, path}, dir + QStringLiteral("/merged.pdf"));
        QCOMPARE(FailedPaths(merged.failedFiles), QStringList{path});
        QCOMPARE(FailedCount(merged.failedFiles[0].reason), pages - kept.size());
        expectPages(dir + QStringLiteral("/merged.pdf"), kept, 1);

        // Split into single pages, and into parts that overlap; a part left with no page is not
        // written.
        QList<QList<int>> singles;
        for (int k = 1; k <= pages; ++k)
            singles << QList<int>{k};
        for (const QList<QList<int>>& parts : {singles, QList<QList<int>>{{3}, {2, 3}, {1, 2, 3}}}) {
            QStringList intervals;
            for (const QList<int>& part : parts)
                intervals << QStringLiteral("[%1-%2]").arg(part.first()).arg(part.last());
            const QString out = folder.filePath(QStringLiteral("split%1").arg(++fresh));
            QVERIFY(QDir().mkpath(out));
            const QList<FailedFile> failed = PDFSplitter().SplitByPageRanges(
                path, intervals.join(','), out, QStringLiteral("[FileName]-[IntervalIndex]"));
            QList<int> lost;
            for (int i = 0; i < parts.size(); ++i) {
                QList<int> written;
                for (int page : parts[i])
                    (kept.contains(page) ? written : lost) << page;
                const QString part = out + QStringLiteral("/doc-%1.pdf").arg(i + 1);
                QCOMPARE(QFile::exists(part), !written.isEmpty());
                if (!written.isEmpty())
                    expectPages(part, written, 0);
            }
            QCOMPARE(FailedCount(failed.value(0).reason), QSet<int>(lost.begin(), lost.end()).size());
        }
    }
};

VELLORAN_APP_TEST_MAIN(PageFailuresTest)
#include "PageFailuresTest.moc"
