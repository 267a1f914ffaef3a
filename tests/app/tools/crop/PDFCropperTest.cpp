// The crop engine and its thread on files made here (classic and stream cross-references,
// inherited boxes, rotated pages, pages with a CropBox), judged by pdfinfo, qpdf and pdftoppm:
// the new MediaBox on exactly the chosen pages, the source's bytes kept as the output's prefix,
// the cropped area rendered, every failure named and leaving nothing behind, and the arithmetic
// of the rectangle and its preview.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/TestPDF.h"
#include "app/tools/crop/CropGeometry.h"
#include "app/tools/crop/CropThread.h"
#include "app/tools/crop/PDFCropper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSignalSpy>

#include <atomic>

using namespace ExternalReaders;

namespace {

QList<int> Values(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& arguments : spy)
        values.append(arguments.first().toInt());
    return values;
}

QStringList Files(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A document with one page per entry text: each page's own entries are given (a page without a
// MediaBox inherits the tree's), and each draws its number and a black 50-point square at
// 100,100 of its user space.
QByteArray MakeDocument(const QList<QByteArray>& pageEntries, const QByteArray& treeEntries = "")
{
    QByteArray kids;
    for (int i = 0; i < pageEntries.size(); ++i)
        kids += QByteArray::number(4 + 2 * i) + " 0 R ";
    QList<QByteArray> bodies{"<< /Type /Catalog /Pages 2 0 R >>",
                             "<< /Type /Pages /Kids [ " + kids + "] /Count " +
                                 QByteArray::number(pageEntries.size()) + " " + treeEntries + " >>",
                             "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    for (int i = 0; i < pageEntries.size(); ++i) {
        bodies << "<< /Type /Page /Parent 2 0 R " + pageEntries[i] +
                      " /Resources << /Font << /F1 3 0 R >> >> /Contents " + QByteArray::number(5 + 2 * i) + " 0 R >>";
        const QByteArray content =
            "0 g 100 100 50 50 re f BT /F1 24 Tf 200 300 Td (Page " + QByteArray::number(i + 1) + ") Tj ET";
        bodies << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream";
    }
    return TestPDF::Assemble(bodies);
}

// Six pages: an A4 first page, one that inherits the tree's box, a rotated one, one with a
// CropBox, one whose box does not start at 0, one that inherits its rotation.
const QList<QByteArray> kSixPages{"/MediaBox [0 0 595 842]",
                                  "",
                                  "/MediaBox [0 0 612 792] /Rotate 90",
                                  "/MediaBox [0 0 612 792] /CropBox [100 100 400 500]",
                                  "/MediaBox [-50 -50 500 700]",
                                  "/MediaBox [0 0 612 792]"};
const QByteArray kSixPagesTree = "/MediaBox [0 0 612 792] /Rotate 0";

// One box of what pdfinfo says of a page ("MediaBox", "CropBox"), as left, bottom, right, top.
QList<double> Box(const QString& pageBoxes, const QString& name)
{
    const QRegularExpression pattern(name + QStringLiteral(":\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)"));
    const QRegularExpressionMatch match = pattern.match(pageBoxes);
    if (!match.hasMatch())
        return {};
    return {match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3).toDouble(),
            match.captured(4).toDouble()};
}

QString Rotation(const QString& pageBoxes)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("rot:\\s*(\\d+)")).match(pageBoxes);
    return match.captured(1);
}

} // namespace

class PDFCropperTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    int freshNumber = 0;

    QString Input(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        if (!TestPDF::Write(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString Fresh()
    {
        const QString path = folder.filePath(QStringLiteral("out%1").arg(++freshNumber));
        QDir().mkpath(path);
        return path;
    }

    // The same document with a cross-reference stream and its pages in object streams.
    QString Packed(const QString& classic)
    {
        const QString packed = QFileInfo(classic).path() + "/packed-" + QFileInfo(classic).fileName();
        if (Run(QStringLiteral("qpdf"), {QStringLiteral("--object-streams=generate"), classic, packed}).isNull())
            qFatal("qpdf could not pack %s", qPrintable(classic));
        return packed;
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void cropsExactlyTheChosenPages_data()
    {
        QTest::addColumn<bool>("packed");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QString>("intervals"); // empty: every page
        QTest::addColumn<QList<QList<double>>>("boxes"); // by page
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QList<int>>("progress");
        const QList<int> every{1, 2, 3, 4, 5, 6};
        // 60 84 536 758 (10/10/80/80 of 595 x 842) and 20 30 320 430 from each page's shown
        // lower-left corner, upright as shown (page 3 turned), cut to the shown area.
        const QList<QList<double>> percentBox{{60, 84, 536, 758},   {60, 84, 536, 758}, {0, 60, 528, 536},
                                              {160, 184, 400, 500}, {10, 34, 486, 700}, {60, 84, 536, 758}};
        const QList<QList<double>> pointBox{{20, 30, 320, 430},   {20, 30, 320, 430},   {182, 20, 582, 320},
                                            {120, 130, 400, 500}, {-30, -20, 270, 380}, {20, 30, 320, 430}};
        for (bool packed : {false, true}) {
            const char* kind = packed ? "stream xref" : "classic xref";
            QTest::addRow("%s, all pages, percents", kind)
                << packed << 1 << QList<int>{10, 10, 80, 80} << QString() << percentBox << every << QList<int>{100};
            QTest::addRow("%s, all pages, points", kind)
                << packed << 0 << QList<int>{20, 30, 300, 400} << QString() << pointBox << every << QList<int>{100};
            QTest::addRow("%s, intervals, percents", kind)
                << packed << 1 << QList<int>{10, 10, 80, 80} << QStringLiteral("[1-3],5,[7-9]") << percentBox
                << QList<int>{1, 2, 3, 5} << QList<int>{33, 66, 100};
            // Skipped items keep their place and say nothing; a page named twice is written once;
            // a range beyond the document still counts.
            QTest::addRow("%s, intervals, points", kind)
                << packed << 0 << QList<int>{20, 30, 300, 400} << QStringLiteral("0,[4-6],x,6,[9-12]") << pointBox
                << QList<int>{4, 5, 6} << QList<int>{40, 80, 100};
        }
    }

    void cropsExactlyTheChosenPages()
    {
        QFETCH(bool, packed);
        QFETCH(int, unit);
        QFETCH(QList<int>, values);
        QFETCH(QString, intervals);
        QFETCH(QList<QList<double>>, boxes);
        QFETCH(QList<int>, pages);
        QFETCH(QList<int>, progress);
        QString source = Input(QStringLiteral("pages/six.pdf"), MakeDocument(kSixPages, kSixPagesTree));
        if (packed)
            source = Packed(source);
        const QByteArray before = TestPDF::Read(source);
        const QString out = Fresh();
        PDFCropper cropper;
        QSignalSpy spy(&cropper, &PDFCropper::UpdateProgress);
        const QList<FailedFile> failed =
            intervals.isEmpty()
                ? cropper.CropDocuments({source}, unit, values[0], values[1], values[2], values[3], out,
                                        QStringLiteral("[FileName]_Cropped"))
                : cropper.CropDocumentPageIntervals(source, intervals, unit, values[0], values[1], values[2], values[3],
                                                    out, QStringLiteral("[FileName]_Cropped"));
        QVERIFY2(failed.isEmpty(), qPrintable(FailedFilesText(QString(), failed)));
        QCOMPARE(Values(spy), progress);

        const QString output = out + "/" + QFileInfo(source).completeBaseName() + "_Cropped.pdf";
        QCOMPARE(Files(out), QStringList{QFileInfo(output).fileName()});
        QCOMPARE(TestPDF::Read(source), before);
        const QByteArray after = TestPDF::Read(output);
        QVERIFY(after.size() > before.size());
        QVERIFY2(after.startsWith(before), "the source's bytes are not a prefix of the output");
        QString report;
        QVERIFY2(QpdfAccepts(output, &report), qPrintable(report));

        const QStringList oldBoxes = PageBoxes(source);
        const QStringList newBoxes = PageBoxes(output);
        QCOMPARE(newBoxes.size(), 6);
        for (int page = 1; page <= 6; ++page) {
            const QString& was = oldBoxes[page - 1];
            const QString& is = newBoxes[page - 1];
            if (!pages.contains(page)) {
                QCOMPARE(is, was);
                continue;
            }
            QCOMPARE(Box(is, QStringLiteral("MediaBox")), boxes[page - 1]);
            QCOMPARE(Rotation(is), Rotation(was));
            // The new MediaBox lies within a CropBox that stays: readers show all of it.
            QCOMPARE(Box(is, QStringLiteral("CropBox")), boxes[page - 1]);
        }
        QCOMPARE(PageTexts(output), PageTexts(source));
    }

    // Percents are of the first page's size, also when that page takes its box from the tree.
    void percentsOfAnInheritedPageSize()
    {
        const QString source =
            Input(QStringLiteral("pages/inherited.pdf"), MakeDocument({"", ""}, "/MediaBox [0 0 612 792]"));
        const QString out = Fresh();
        PDFCropper cropper;
        const QList<FailedFile> failed =
            cropper.CropDocuments({source}, 1, 10, 10, 80, 80, out, QStringLiteral("[FileName]_Cropped"));
        QVERIFY2(failed.isEmpty(), qPrintable(FailedFilesText(QString(), failed)));
        const QStringList boxes = PageBoxes(out + "/inherited_Cropped.pdf");
        QCOMPARE(boxes.size(), 2);
        const double left = PercentToPoints(10, 612), bottom = PercentToPoints(10, 792);
        const QList<double> expected{left, bottom, left + PercentToPoints(80, 612), bottom + PercentToPoints(80, 792)};
        for (const QString& page : boxes)
            QCOMPARE(Box(page, QStringLiteral("MediaBox")), expected);
    }

    // A rectangle partly off the page keeps the part on each page, a page edge that is a real
    // number included.
    void theRectangleIsCutToEachPage()
    {
        const QString source = Input(QStringLiteral("cut/two.pdf"),
                                     MakeDocument({"/MediaBox [0 0 612 792]", "/MediaBox [0 0 595.5 842]"}));
        const QString out = Fresh();
        PDFCropper cropper;
        QVERIFY(cropper.CropDocuments({source}, 1, 90, 10, 80, 80, out, QStringLiteral("c")).isEmpty());
        const QStringList boxes = PageBoxes(out + "/c.pdf");
        QCOMPARE(Box(boxes.value(0), QStringLiteral("MediaBox")), (QList<double>{551, 79, 612, 713}));
        QCOMPARE(Box(boxes.value(1), QStringLiteral("MediaBox")), (QList<double>{551, 79, 595.5, 713}));
        // A box written from its upper-right corner is the same Letter page, not one of no size.
        const QString reversed = Input(QStringLiteral("cut/reversed.pdf"), MakeDocument({"/MediaBox [612 792 0 0]"}));
        QVERIFY(cropper.CropDocuments({reversed}, 1, 10, 10, 80, 80, out, QStringLiteral("r")).isEmpty());
        QCOMPARE(Box(PageBoxes(out + "/r.pdf").value(0), QStringLiteral("MediaBox")),
                 (QList<double>{61, 79, 551, 713}));
    }

    // What a reader draws is the cropped area: at 72 dpi one point is one pixel, so the picture
    // has the box's size (turned for a rotated page), and the square lies where the box puts it.
    void aRendererDrawsTheCroppedArea()
    {
        const QString source = Input(QStringLiteral("render/six.pdf"), MakeDocument(kSixPages, kSixPagesTree));
        const QString out = Fresh();
        PDFCropper cropper;
        QVERIFY(cropper.CropDocuments({source}, 1, 10, 10, 80, 80, out, QStringLiteral("c")).isEmpty());
        const QString prefix = out + "/page";
        QVERIFY(!Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                                                  QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("3"),
                                                  QStringLiteral("-png"), out + "/c.pdf", prefix})
                     .isNull());
        const QImage first(prefix + "-1.png");
        QCOMPARE(first.size(), QSize(476, 674));
        // The square spans 100-150 in page space: 40-90 from the box's left, 608-658 from its top.
        QCOMPARE(qGray(first.pixel(65, 633)), 0);
        QCOMPARE(qGray(first.pixel(30, 633)), 255);
        QCOMPARE(qGray(first.pixel(65, 600)), 255);
        // The turned page is cropped as shown: 476 wide, and 674 high cut to its 612 shown.
        QCOMPARE(QImage(prefix + "-3.png").size(), QSize(476, 528));
    }

    // A source fails with its reason, and nothing of it stays in the output folder: no copy, no
    // temporary file; an existing target stays as it was.
    void failuresLeaveNothingBehind_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("reason");
        const QByteArray six = MakeDocument(kSixPages, kSixPagesTree);
        QTest::newRow("no width in points") << six << 0 << QList<int>{0, 0, 0, 100} << true
                                            << "the crop rectangle has no area";
        QTest::newRow("no height in percents") << six << 1 << QList<int>{10, 10, 80, -5} << true
                                               << "the crop rectangle has no area";
        QTest::newRow("too small a page for the percents")
            << MakeDocument({"/MediaBox [0 0 4 4]"}) << 1 << QList<int>{0, 0, 10, 10} << true
            << "the crop rectangle has no area on pages of 4 x 4 points";
        QTest::newRow("unknown unit") << six << 5 << QList<int>{10, 10, 80, 80} << true
                                      << "the unit 5 of the crop rectangle is unknown";
        QTest::newRow("missing output folder") << six << 1 << QList<int>{10, 10, 80, 80} << false
                                               << "No such file or directory";
        QTest::newRow("not a PDF") << QByteArray("%PDF-1.4\nnothing here\n") << 1 << QList<int>{10, 10, 80, 80}
                                   << true << "";
        QTest::newRow("encrypted") << TestPDF::Make({"Secret"}, true) << 1 << QList<int>{10, 10, 80, 80} << true
                                   << "is encrypted";
        // The third kid is the font: listed as a page, it is none.
        QByteArray damaged = six;
        damaged.replace("/Kids [ 4 0 R 6 0 R 8 0 R", "/Kids [ 4 0 R 6 0 R 3 0 R");
        QTest::newRow("a kid that is no page") << damaged << 1 << QList<int>{10, 10, 80, 80} << true
                                               << "found Font";
    }

    void failuresLeaveNothingBehind()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, unit);
        QFETCH(QList<int>, values);
        QFETCH(bool, folderExists);
        QFETCH(QString, reason);
        const QString source = Input(QStringLiteral("failures/%1.pdf").arg(freshNumber), bytes);
        QString out = Fresh();
        if (!folderExists)
            out += QStringLiteral("/missing");
        // An existing target: a failure must not replace it, and the rectangle's refusal comes
        // before the question.
        const QString target = out + "/" + QFileInfo(source).completeBaseName() + ".pdf";
        if (folderExists)
            QVERIFY(TestPDF::Write(target, "old"));
        PDFCropper cropper;
        QStringList asked;
        connect(&cropper, &PDFCropper::ShowOverwriteDialog, this, [&](const QString& path) {
            asked.append(path);
            cropper.overwriteDecision.Store(OverwriteDecision::Yes);
        });
        QSignalSpy spy(&cropper, &PDFCropper::UpdateProgress);
        const QList<FailedFile> failed =
            cropper.CropDocuments({source}, unit, values[0], values[1], values[2], values[3], out, "[FileName]");
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0].path, source);
        QVERIFY2(failed[0].reason.contains(reason), qPrintable(failed[0].reason));
        // The library's reasons name the source, never the temporary copy.
        QVERIFY2(!failed[0].reason.contains(QStringLiteral(".part")), qPrintable(failed[0].reason));
        QVERIFY(!failed[0].reason.isEmpty());
        QCOMPARE(Values(spy), QList<int>{100});
        QCOMPARE(TestPDF::Read(source), bytes);
        if (folderExists) {
            QCOMPARE(Files(out), QStringList{QFileInfo(target).fileName()});
            QCOMPARE(TestPDF::Read(target), QByteArray("old"));
        }
        if (reason.startsWith(QStringLiteral("the crop rectangle has no area")) && values[2] <= 0)
            QVERIFY(asked.isEmpty());

        // The page-interval operation says the same.
        const QList<FailedFile> again =
            cropper.CropDocumentPageIntervals(source, "[1-6]", unit, values[0], values[1], values[2], values[3], out,
                                              "[FileName]");
        QCOMPARE(again.size(), 1);
        QCOMPARE(again[0].reason, failed[0].reason);
    }

    // An output that would be the source itself is refused before any question; the answers
    // decide the others, and a kept file is no failure and has no progress.
    void existingTargetsFollowTheAnswers()
    {
        const QString source = Input(QStringLiteral("answers/s.pdf"), MakeDocument(kSixPages, kSixPagesTree));
        const QByteArray bytes = TestPDF::Read(source);
        PDFCropper cropper;
        QList<int> answers;
        QStringList asked;
        connect(&cropper, &PDFCropper::ShowOverwriteDialog, this, [&](const QString& path) {
            asked.append(QFileInfo(path).fileName());
            cropper.overwriteDecision.Store(answers.isEmpty() ? OverwriteDecision::No : answers.takeFirst());
        });
        QList<FailedFile> failed =
            cropper.CropDocuments({source}, 1, 10, 10, 80, 80, QFileInfo(source).path(), QStringLiteral("[FileName]"));
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed[0].reason.contains(QStringLiteral("would replace a document of this job")));
        QVERIFY(asked.isEmpty());
        QCOMPARE(TestPDF::Read(source), bytes);

        const QString out = Fresh();
        QVERIFY(TestPDF::Write(out + "/a.pdf", "old"));
        QVERIFY(TestPDF::Write(out + "/b.pdf", "old"));
        const QString a = Input(QStringLiteral("answers/a.pdf"), bytes);
        const QString b = Input(QStringLiteral("answers/b.pdf"), bytes);
        const QString c = Input(QStringLiteral("answers/c.pdf"), bytes);
        QSignalSpy spy(&cropper, &PDFCropper::UpdateProgress);
        answers = {OverwriteDecision::No};
        QVERIFY(cropper.CropDocuments({a, b, c}, 1, 10, 10, 80, 80, out, QStringLiteral("[FileName]")).isEmpty());
        QCOMPARE(asked, (QStringList{"a.pdf", "b.pdf"}));
        QCOMPARE(TestPDF::Read(out + "/a.pdf"), QByteArray("old"));
        QCOMPARE(TestPDF::Read(out + "/b.pdf"), QByteArray("old"));
        QVERIFY(TestPDF::Read(out + "/c.pdf").startsWith(bytes));
        QCOMPARE(Values(spy), QList<int>{100});

        answers = {OverwriteDecision::YesToAll};
        asked.clear();
        QVERIFY(cropper.CropDocuments({a, b, c}, 1, 10, 10, 80, 80, out, QStringLiteral("[FileName]")).isEmpty());
        QCOMPARE(asked, QStringList{"a.pdf"});
        for (const char* name : {"a.pdf", "b.pdf", "c.pdf"}) {
            QVERIFY(TestPDF::Read(out + "/" + name).startsWith(bytes));
            QVERIFY(QpdfAccepts(out + "/" + name));
        }
        QCOMPARE(Files(out).size(), 3);
    }

    // The list goes on after a failure, with progress for every file it handled; a stop between
    // pages leaves no output; the thread crops only the first file with page intervals.
    void theJobGoesOnAfterFailuresAndEndsOnAStop()
    {
        const QByteArray six = MakeDocument(kSixPages, kSixPagesTree);
        const QString good = Input(QStringLiteral("job/good.pdf"), six);
        const QString bad = Input(QStringLiteral("job/bad.pdf"), "no PDF");
        const QString other = Input(QStringLiteral("job/other.pdf"), six);
        QString out = Fresh();
        PDFCropper cropper;
        QSignalSpy spy(&cropper, &PDFCropper::UpdateProgress);
        const QList<FailedFile> failed = cropper.CropDocuments({good, bad, other}, 0, 0, 0, 100, 100, out, "x[FileName]");
        QCOMPARE(FailedPaths(failed), QStringList{bad});
        QCOMPARE(Values(spy), (QList<int>{33, 66, 100}));
        QCOMPARE(Files(out), (QStringList{"xgood.pdf", "xother.pdf"}));

        out = Fresh();
        std::atomic<bool> stop{false};
        cropper.SetStopFlag(&stop);
        connect(&cropper, &PDFCropper::UpdateProgress, this, [&stop](int) { stop = true; });
        QVERIFY(cropper.CropDocumentPageIntervals(good, "1,2,3", 1, 10, 10, 80, 80, out, "[FileName]").isEmpty());
        QVERIFY(Files(out).isEmpty());
        stop = false;
        QVERIFY(cropper.CropDocuments({good, other}, 1, 10, 10, 80, 80, out, "[FileName]").isEmpty());
        QCOMPARE(Files(out), QStringList{"good.pdf"});
        cropper.SetStopFlag(nullptr);

        out = Fresh();
        CropThread thread;
        thread.files = QStringList{good, other};
        thread.usePageIntervals = true;
        thread.pageIntervals = QStringLiteral("2");
        thread.outputFolder = out;
        thread.outputNames = QStringLiteral("[FileName]_Cropped");
        thread.start();
        QVERIFY(thread.wait(30000));
        QVERIFY(thread.GetFailedFiles().isEmpty());
        QCOMPARE(Files(out), QStringList{"good_Cropped.pdf"});
        const QStringList boxes = PageBoxes(out + "/good_Cropped.pdf");
        QCOMPARE(Box(boxes[1], QStringLiteral("MediaBox")), (QList<double>{60, 84, 536, 758}));
        QCOMPARE(boxes[0], PageBoxes(good)[0]);

        thread.usePageIntervals = false;
        thread.files = QStringList{bad, other};
        thread.start();
        QVERIFY(thread.wait(30000));
        QCOMPARE(thread.GetFailedFiles(), QStringList{bad});
        QCOMPARE(Files(out), (QStringList{"good_Cropped.pdf", "other_Cropped.pdf"}));
    }

    void theRectangleAndItsPreviewFollowThePageSize_data()
    {
        QTest::addColumn<QSize>("page");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QList<int>>("box");        // x, y, width, height in points
        QTest::addColumn<QSize>("pixmap");
        QTest::addColumn<QRect>("rectangle");
        const QList<int> defaults{10, 10, 80, 80};
        QTest::newRow("A4 portrait") << QSize(595, 842) << 1 << defaults << QList<int>{60, 84, 476, 674}
                                     << QSize(141, 200) << QRect(14, 20, 113, 160);
        QTest::newRow("A4 landscape") << QSize(842, 595) << 1 << defaults << QList<int>{84, 60, 674, 476}
                                      << QSize(200, 141) << QRect(19, 13, 160, 113);
        QTest::newRow("square") << QSize(500, 500) << 1 << defaults << QList<int>{50, 50, 400, 400} << QSize(200, 200)
                                << QRect(20, 19, 160, 160);
        // A size that could not be read is A4, never a division by zero.
        QTest::newRow("no size") << QSize(0, -3) << 1 << defaults << QList<int>{60, 84, 476, 674} << QSize(141, 200)
                                 << QRect(14, 20, 113, 160);
        // Percents are held within 0-100.
        QTest::newRow("percents beyond the page") << QSize(595, 842) << 1 << QList<int>{-10, 0, 150, 100}
                                                  << QList<int>{0, 0, 595, 842} << QSize(141, 200)
                                                  << QRect(0, -1, 141, 200);
        // Points are taken as given, and the preview shows the part on the page, as the job writes it.
        QTest::newRow("points as given") << QSize(612, 792) << 0 << QList<int>{-20, 30, 10000, 400}
                                         << QList<int>{-20, 30, 10000, 400} << QSize(154, 200) << QRect(0, 91, 154, 101);
        QTest::newRow("points beside the page") << QSize(612, 792) << 0 << QList<int>{612, 30, 100, 400}
                                                << QList<int>{612, 30, 100, 400} << QSize(154, 200) << QRect();
    }

    void theRectangleAndItsPreviewFollowThePageSize()
    {
        QFETCH(QSize, page);
        QFETCH(int, unit);
        QFETCH(QList<int>, values);
        QFETCH(QList<int>, box);
        QFETCH(QSize, pixmap);
        QFETCH(QRect, rectangle);
        CropBox points;
        QVERIFY(CropBoxInPoints(unit, values[0], values[1], values[2], values[3], page, points));
        QCOMPARE((QList<long long>{points.x, points.y, points.width, points.height}),
                 (QList<long long>{box[0], box[1], box[2], box[3]}));
        const CropPreviewGeometry preview = ComputeCropPreview(page, points);
        QCOMPARE(preview.pixmapSize, pixmap);
        QCOMPARE(preview.rectangle, rectangle);
    }

    void theUnitsConvertBothWays()
    {
        const struct {
            int value;
            int side;
            int points;  // value taken as percents
            int percent; // value taken as points
        } cases[] = {{10, 595, 60, 2}, {80, 842, 674, 10}, {300, 595, 595, 50}, {50, 595, 298, 8},
                     {100, 0, 1, 100}, {-4, 842, 0, 0},   {0, 595, 0, 0}};
        for (const auto& c : cases) {
            QCOMPARE(PercentToPoints(c.value, c.side), c.points);
            QCOMPARE(PointsToPercent(c.value, c.side), c.percent);
        }
        QCOMPARE(UsablePageSize(QSize(0, 500)), QSize(595, 500));
    }
};

VELLORAN_APP_TEST_MAIN(PDFCropperTest)
#include "PDFCropperTest.moc"
