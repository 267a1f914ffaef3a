// The split engine and its thread on files made here, judged by qpdf, pdftotext and pdfinfo:
// which pages each output holds and how it is named, the sources' rotation and boxes, outputs
// that are the bytes a per-output parse writes, every failure named with its reason, no input
// ever replaced, and nothing half-written left behind.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/FileSizeLimit.h"
#include "app/support/RunningProgramFile.h"
#include "app/support/TestPDF.h"
#include "app/tools/split/PDFSplitter.h"
#include "app/tools/split/SplitThread.h"

#include "pdf/copying/PageSelection.h"
#include "pdf/writing/PDFWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

using namespace ExternalReaders;

namespace {

QByteArray Contents(const QString& path)
{
    return TestPDF::Read(path);
}

QList<int> Values(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& arguments : spy)
        values.append(arguments.first().toInt());
    return values;
}

bool PinnedClock(Platform::LocalTime& outTime)
{
    outTime = Platform::LocalTime{2016, 3, 5, 9, 7, 3, true, 3600};
    return true;
}

const QStringList kTexts{"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot", "Golf"};

// Seven pages that differ in rotation and boxes: the tree gives a rotation that the pages without
// their own inherit.
QByteArray SevenPages()
{
    TestPDF::Extras extras;
    extras.pageTree = "/Rotate 270";
    extras.pages = {"",
                    "/Rotate 90",
                    "/MediaBox [0 0 300 800] /CropBox [10 20 290 790]",
                    "/Rotate 0",
                    "/MediaBox [-50 -50 500 700] /Rotate 180",
                    "",
                    "/CropBox [0 0 306 396]"};
    return TestPDF::Make(kTexts, false, extras);
}

} // namespace

class PDFSplitterTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    int freshNumber = 0;

    QString PathOf(const QString& name) const { return folder.filePath(name); }

    QString Input(const QString& name, const QByteArray& bytes)
    {
        const QString path = PathOf(name);
        QDir().mkpath(QFileInfo(path).path());
        if (!TestPDF::Write(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString Fresh()
    {
        const QString path = PathOf(QStringLiteral("out%1").arg(++freshNumber));
        QDir().mkpath(path);
        return path;
    }

    static QStringList Files(const QString& dir)
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Each output holds exactly the source's pages it names, with their text, rotation and
    // boxes, and passes qpdf's check.
    static void ExpectPages(const QString& output, const QString& source, const QList<int>& pages)
    {
        QString report;
        QVERIFY2(QpdfAccepts(output, &report), qPrintable(output + "\n" + report));
        static QMap<QString, QStringList> sourceBoxes;
        if (!sourceBoxes.contains(source))
            sourceBoxes.insert(source, PageBoxes(source));
        const QStringList outputBoxes = PageBoxes(output);
        const QStringList texts = PageTexts(output);
        QCOMPARE(outputBoxes.size(), pages.size());
        QCOMPARE(texts.size(), pages.size());
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(texts[i], kTexts.at(pages[i] - 1));
            QCOMPARE(outputBoxes[i], sourceBoxes[source].value(pages[i] - 1));
        }
    }

    // Each output of a split is the bytes that a writer appending its range from the file by its
    // path writes.
    void ExpectBytesOfAParsePerOutput(const QString& source)
    {
        const QString out = Fresh();
        PDFSplitter splitter;
        splitter.SetDocumentClock(&PinnedClock);
        QVERIFY(splitter.SplitByPageRanges(source, QStringLiteral("[1-3],[2-6],7,[1-7],4"), out,
                                           QStringLiteral("part[IntervalIndex]"))
                    .isEmpty());
        const QList<QPair<int, int>> ranges{{1, 3}, {2, 6}, {7, 7}, {1, 7}, {4, 4}};
        for (int i = 0; i < ranges.size(); ++i) {
            const QString path = out + QStringLiteral("/part%1.pdf").arg(i + 1);
            const QByteArray engine = Contents(path);
            QVERIFY(QFile::remove(path));
            PDFWriter writer;
            writer.GetDocumentContext().SetClock(&PinnedClock);
            QCOMPARE(writer.CreateNewPDF(path.toStdString(), 13), eSuccess);
            PageSelection selection;
            selection.mKind = PageSelection::ListedRanges;
            selection.mRanges.emplace_back(ranges[i].first - 1, ranges[i].second - 1);
            QCOMPARE(writer.AppendPDFPagesFromPDF(source.toStdString(), selection).mStatus, eSuccess);
            QCOMPARE(writer.EndPDF(), eSuccess);
            QVERIFY(!engine.isEmpty());
            QCOMPARE(Contents(path), engine);
        }
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void theSourceIsSoundForOtherReaders()
    {
        const QString source = Input(QStringLiteral("sound.pdf"), SevenPages());
        QVERIFY(QpdfAccepts(source));
        const QStringList boxes = PageBoxes(source);
        QCOMPARE(boxes.size(), 7);
        QVERIFY(boxes[0].contains(QStringLiteral("rot: 270")));
        QVERIFY(boxes[1].contains(QStringLiteral("rot: 90")));
        QVERIFY(boxes[2].contains(QStringLiteral("CropBox: 10.00 20.00 290.00 790.00")));
        QVERIFY(boxes[4].contains(QStringLiteral("MediaBox: -50.00 -50.00 500.00 700.00")));
    }

    void anIntervalSplitWritesOneFilePerIntervalNamedByItsTokens()
    {
        const QString source = Input(QStringLiteral("ranges/Report.v2.PDF"), SevenPages());
        const QString out = Fresh();
        PDFSplitter splitter;
        QSignalSpy progress(&splitter, &PDFSplitter::UpdateProgress);
        QSignalSpy questions(&splitter, &PDFSplitter::ShowOverwriteDialog);
        const QList<FailedFile> failed = splitter.SplitByPageRanges(
            source, QStringLiteral("[1-3],x,5,[6-2000000000],[2],[0-1]"), out,
            QStringLiteral("[FileName]_[IntervalIndex]_[IntervalStart]-[IntervalEnd]"));
        QVERIFY(failed.isEmpty());
        QCOMPARE(Files(out), (QStringList{"Report.v2_1_1-3.PDF", "Report.v2_3_5-5.PDF", "Report.v2_4_6-7.PDF",
                                          "Report.v2_5_2-2.PDF", "Report.v2_6_1-1.PDF"}));
        ExpectPages(out + "/Report.v2_1_1-3.PDF", source, {1, 2, 3});
        ExpectPages(out + "/Report.v2_3_5-5.PDF", source, {5});
        ExpectPages(out + "/Report.v2_4_6-7.PDF", source, {6, 7});
        ExpectPages(out + "/Report.v2_5_2-2.PDF", source, {2});
        ExpectPages(out + "/Report.v2_6_1-1.PDF", source, {1});
        // Counted over every item, the skipped one too, and only after an output was written.
        QCOMPARE(Values(progress), (QList<int>{16, 50, 66, 83, 100}));
        QCOMPARE(questions.count(), 0);
        QVERIFY(Contents(out + "/Report.v2_3_5-5.PDF").startsWith("%PDF-1.3\r\n"));
    }

    void aConsecutiveSplitCutsEveryFileIntoParts()
    {
        const QString seven = Input(QStringLiteral("parts/seven.pdf"), SevenPages());
        const QString two = Input(QStringLiteral("parts/two.pdf"), TestPDF::Make({"Alpha", "Bravo"}));
        const QString out = Fresh();
        PDFSplitter splitter;
        QSignalSpy progress(&splitter, &PDFSplitter::UpdateProgress);
        QVERIFY(splitter.SplitByPagesPerInterval({seven, two}, 3, out, QStringLiteral("[FileName](Page[IntervalIndex])[IntervalStart]-[IntervalEnd]"))
                    .isEmpty());
        QCOMPARE(Files(out), (QStringList{"seven(Page1)1-3.pdf", "seven(Page2)4-6.pdf", "seven(Page3)7-7.pdf",
                                          "two(Page1)1-2.pdf"}));
        ExpectPages(out + "/seven(Page1)1-3.pdf", seven, {1, 2, 3});
        ExpectPages(out + "/seven(Page2)4-6.pdf", seven, {4, 5, 6});
        ExpectPages(out + "/seven(Page3)7-7.pdf", seven, {7});
        ExpectPages(out + "/two(Page1)1-2.pdf", two, {1, 2});
        QCOMPARE(Values(progress), (QList<int>{50, 100}));

        // Single pages, the split's default.
        const QString singles = Fresh();
        QVERIFY(splitter.SplitByPagesPerInterval({seven}, 1, singles, QStringLiteral("[FileName](Page[IntervalIndex])"))
                    .isEmpty());
        QCOMPARE(Files(singles).size(), 7);
        ExpectPages(singles + "/seven(Page7).pdf", seven, {7});
    }

    // One parse per source serves every output, and each output is the very bytes that a writer
    // appending the range from the file by its path writes (the clock pinned: dates and IDs).
    void oneParseWritesTheBytesOfAParsePerOutput()
    {
        // Also with the page-tree nodes in object streams, as qpdf writes them: the nodes that one
        // parse keeps serve every output.
        const QString classic = Input(QStringLiteral("bytes/source.pdf"), SevenPages());
        const QString packed = PathOf(QStringLiteral("bytes/packed.pdf"));
        QVERIFY(!Run(QStringLiteral("qpdf"), {QStringLiteral("--object-streams=generate"), classic, packed}).isNull());
        for (const QString& source : {classic, packed})
            ExpectBytesOfAParsePerOutput(source);
    }

    // Each failure names the source and why; outputs written before it stay, nothing is left of
    // the one that failed, and no question is asked about a target that is one of the inputs.
    void failuresAreNamedWithTheirReasons()
    {
        const QString source = Input(QStringLiteral("fail/source.pdf"), SevenPages());
        const QString locked = Input(QStringLiteral("fail/locked.pdf"), TestPDF::Make({"Secret"}, true));
        const QString empty = Input(QStringLiteral("fail/empty.pdf"), TestPDF::Make({}));
        const QString notPDF = Input(QStringLiteral("fail/notes.pdf"), "Just some notes.\n");
        const QString missing = PathOf(QStringLiteral("fail/missing.pdf"));
        // The second page's content can be neither read by its Length nor found at its end.
        QByteArray damagedBytes = TestPDF::Make({"Whole", "Broken"});
        const int length = damagedBytes.lastIndexOf("/Length ") + 8;
        const int digits = damagedBytes.indexOf(' ', length) - length;
        damagedBytes.replace(length, digits, QByteArray("-1").rightJustified(digits, ' '));
        damagedBytes.replace(damagedBytes.lastIndexOf("endstream"), 9, "endstreaX");
        // A repeated key in the font that both outputs copy is read past (the last value counts),
        // and it is no reason for the failure.
        damagedBytes.replace("/Type /Font /Subtype /Type1 ", "/Subtype/Type1/Subtype/Type1");
        const QString damaged = Input(QStringLiteral("fail/damaged.pdf"), damagedBytes);
        struct Case {
            QString file;
            QString ranges;
            QString folder; // empty: a fresh one
            QString names;
            QString reason; // a trailing "*": the start of the reason
            QStringList written;
        };
        const QString sourceFolder = QFileInfo(source).path();
        const QList<Case> cases{
            {locked, "1", "", "x", "the document is encrypted", {}},
            {missing, "1", "", "x", "No such file or directory", {}},
            {empty, "1", "", "x", "the document has no pages", {}},
            {notPDF, "1", "", "x", "*", {}},
            // The part whose second page cannot be copied keeps its other pages, and says so.
            {damaged, "1,[1-2]", "", "p[IntervalIndex]", "*", {"p1.pdf", "p2.pdf"}},
            {source, "[1-2],[3-1],4", "", "p[IntervalIndex]", "the range 3-1 names no page of the document, which has 7",
             {"p1.pdf"}},
            {source, "[8-9]", "", "p", "the range 8-9 names no page of the document, which has 7", {}},
            {source, "abc", "", "p", "the page intervals \"abc\" name no page", {}},
            {source, "", "", "p", "the page intervals \"\" name no page", {}},
            {source, ",,", "", "p", "the page intervals \",,\" name no page", {}},
            {source, "[x-y]", "", "p", "the page intervals \"[x-y]\" name no page", {}},
            {source, "1", PathOf("fail/no such folder"), "p",
             PathOf("fail/no such folder") + "/p.pdf cannot be written: No such file or directory", {}},
            {source, "2,1", sourceFolder, "[FileName]", "the output " + source + " would replace a document of this job",
             {}},
        };
        for (Case c : cases) {
            const QString out = c.folder.isEmpty() ? Fresh() : c.folder;
            if (c.file == damaged)
                c.reason = "page 2 could not be copied: the stream at *";
            const QStringList before = Files(out);
            const QByteArray sourceBytes = Contents(source);
            PDFSplitter splitter;
            QSignalSpy questions(&splitter, &PDFSplitter::ShowOverwriteDialog);
            const QList<FailedFile> failed = splitter.SplitByPageRanges(c.file, c.ranges, out, c.names);
            QCOMPARE(failed.size(), 1);
            QCOMPARE(failed[0].path, c.file);
            if (c.reason.endsWith(QLatin1Char('*')))
                QVERIFY2(failed[0].reason.startsWith(c.reason.chopped(1)) && !failed[0].reason.contains("::"),
                         qPrintable(failed[0].reason));
            else
                QCOMPARE(failed[0].reason, c.reason);
            if (c.folder.isEmpty())
                QCOMPARE(Files(out), c.written);
            else
                QCOMPARE(Files(out), before);
            QCOMPARE(questions.count(), 0);
            QCOMPARE(Contents(source), sourceBytes);
        }

        // The consecutive split goes on with the next file, and a part size below 1 is refused.
        const QString out = Fresh();
        PDFSplitter splitter;
        QSignalSpy progress(&splitter, &PDFSplitter::UpdateProgress);
        QList<FailedFile> failed = splitter.SplitByPagesPerInterval({locked, source, empty}, 4, out, QStringLiteral("[FileName]-[IntervalIndex]"));
        QCOMPARE(FailedPaths(failed), (QStringList{locked, empty}));
        QCOMPARE(Files(out), (QStringList{"source-1.pdf", "source-2.pdf"}));
        QCOMPARE(Values(progress), (QList<int>{33, 66, 100}));
        failed = splitter.SplitByPagesPerInterval({source}, 0, out, QStringLiteral("x"));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0].reason, QStringLiteral("a part must hold at least one page"));

        // An output that would be another input of the job fails its source, not the input.
        const QString first = Input(QStringLiteral("inputs/a.pdf"), TestPDF::Make({"A1", "A2"}));
        const QString second = Input(QStringLiteral("inputs/a-1.pdf"), TestPDF::Make({"B1"}));
        const QByteArray secondBytes = Contents(second);
        failed = splitter.SplitByPagesPerInterval({first, second}, 5, QFileInfo(first).path(),
                                                  QStringLiteral("[FileName]-[IntervalIndex]"));
        QCOMPARE(FailedPaths(failed), QStringList{first});
        QCOMPARE(Contents(second), secondBytes);
        QVERIFY(QFile::exists(PathOf(QStringLiteral("inputs/a-1-1.pdf"))));
    }

    // A disk that fills up while an output is written names that output and the system's
    // reason, and keeps nothing of it; outputs written before stay.
    void aFullDiskNamesTheOutput()
    {
        const QString source = Input(QStringLiteral("full/s.pdf"), SevenPages());
        const QString out = Fresh();
        QList<FailedFile> ranges;
        QList<FailedFile> parts;
        PDFSplitter splitter;
        QVERIFY(splitter.SplitByPageRanges(source, QStringLiteral("1"), out, QStringLiteral("first")).isEmpty());
        {
            // An empty output and its header fit; its end does not.
            const FileSizeLimit full(200);
            QVERIFY(full.IsSet());
            ranges = splitter.SplitByPageRanges(source, QStringLiteral("[1-3]"), out, QStringLiteral("range"));
            parts = splitter.SplitByPagesPerInterval({source}, 4, out, QStringLiteral("part[IntervalIndex]"));
        }
        QCOMPARE(ranges.size(), 1);
        QCOMPARE(ranges[0].reason, out + QStringLiteral("/range.pdf cannot be written: File too large"));
        QCOMPARE(parts.size(), 1);
        QCOMPARE(parts[0].reason, out + QStringLiteral("/part1.pdf cannot be written: File too large"));
        QCOMPARE(Files(out), QStringList{"first.pdf"});
    }

    // Answers come from the window; here they are given at once. Yes replaces (after success),
    // No keeps, a "to all" answer holds for the rest of the operation and the next one asks
    // again; a target that a running program holds fails its source after Yes.
    void existingTargetsFollowTheAnswers()
    {
        const QString source = Input(QStringLiteral("answers/s.pdf"), SevenPages());
        const QString out = Fresh();
        for (int i = 1; i <= 4; ++i)
            QVERIFY(TestPDF::Write(out + QStringLiteral("/p%1.pdf").arg(i), "old"));
        PDFSplitter splitter;
        QList<int> answers;
        QStringList asked;
        connect(&splitter, &PDFSplitter::ShowOverwriteDialog, this, [&](const QString& path) {
            asked.append(QFileInfo(path).fileName());
            splitter.overwriteDecision.Store(answers.isEmpty() ? OverwriteDecision::No : answers.takeFirst());
        });
        answers = {OverwriteDecision::Yes, OverwriteDecision::No, OverwriteDecision::NoToAll};
        QVERIFY(splitter.SplitByPageRanges(source, QStringLiteral("1,2,3,4,5"), out, QStringLiteral("p[IntervalIndex]"))
                    .isEmpty());
        QCOMPARE(asked, (QStringList{"p1.pdf", "p2.pdf", "p3.pdf"}));
        QCOMPARE(PageText(out + "/p1.pdf", 1), QStringLiteral("Alpha"));
        QCOMPARE(Contents(out + "/p2.pdf"), QByteArray("old"));
        QCOMPARE(Contents(out + "/p3.pdf"), QByteArray("old"));
        QCOMPARE(Contents(out + "/p4.pdf"), QByteArray("old"));
        QCOMPARE(PageText(out + "/p5.pdf", 1), QStringLiteral("Echo"));

        asked.clear();
        // An engine that nobody answers keeps every existing file rather than wait for ever.
        PDFSplitter alone;
        QVERIFY(alone.SplitByPageRanges(source, QStringLiteral(",,4"), out, QStringLiteral("p[IntervalIndex]")).isEmpty());
        QCOMPARE(Contents(out + "/p3.pdf"), QByteArray("old"));

        answers = {OverwriteDecision::YesToAll};
        QVERIFY(splitter.SplitByPagesPerInterval({source}, 1, out, QStringLiteral("p[IntervalIndex]")).isEmpty());
        QCOMPARE(asked, QStringList{"p1.pdf"});
        for (int page = 1; page <= 7; ++page)
            QCOMPARE(PageText(out + QStringLiteral("/p%1.pdf").arg(page), 1), kTexts.at(page - 1));

        // The file of a running program cannot be replaced: said, not skipped in silence.
        const QString busy = out + QStringLiteral("/busy.pdf");
        QList<FailedFile> failed;
        {
            const RunningProgramFile program(busy);
            if (!program.Unavailable().isEmpty())
                QSKIP(qPrintable(program.Unavailable()));
            answers = {OverwriteDecision::Yes};
            failed = splitter.SplitByPageRanges(source, QStringLiteral("1"), out, QStringLiteral("busy"));
        }
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0].reason,
                 QStringLiteral("The file you are trying to overwrite is opened in another application."));
        QVERIFY(!Files(out).join(' ').contains(QStringLiteral(".part")));
    }

    // A stop between outputs ends the job: nothing more is written, nothing is reported, and no
    // temporary file stays; a stop while a question is open answers it No.
    void aStopEndsTheJobBetweenOutputs()
    {
        const QString source = Input(QStringLiteral("stop/s.pdf"), SevenPages());
        const QString out = Fresh();
        const QString other = Input(QStringLiteral("stop/t.pdf"), SevenPages());
        std::atomic<bool> stop{false};
        PDFSplitter splitter;
        splitter.SetStopFlag(&stop);
        const QMetaObject::Connection afterOne =
            connect(&splitter, &PDFSplitter::UpdateProgress, this, [&stop](int) { stop = true; });
        // Progress comes after each file: the second one is not begun.
        QVERIFY(splitter.SplitByPagesPerInterval({source, other}, 2, out, QStringLiteral("[FileName][IntervalIndex]"))
                    .isEmpty());
        QCOMPARE(Files(out), (QStringList{"s1.pdf", "s2.pdf", "s3.pdf", "s4.pdf"}));
        // In an interval split it comes after each output.
        stop = false;
        QVERIFY(splitter.SplitByPageRanges(source, QStringLiteral("1,2,3"), out, QStringLiteral("[IntervalIndex]")).isEmpty());
        QCOMPARE(Files(out), (QStringList{"1.pdf", "s1.pdf", "s2.pdf", "s3.pdf", "s4.pdf"}));
        disconnect(afterOne);
        QVERIFY(QFile::remove(out + "/1.pdf"));
        for (const char* name : {"s1.pdf", "s2.pdf", "s3.pdf", "s4.pdf"})
            QVERIFY(QFile::remove(out + "/" + name));
        QVERIFY(TestPDF::Write(out + "/1.pdf", "written"));

        stop = false;
        QVERIFY(TestPDF::Write(out + "/2.pdf", "old"));
        connect(&splitter, &PDFSplitter::ShowOverwriteDialog, this, [&stop](const QString&) { stop = true; });
        QVERIFY(splitter.SplitByPageRanges(source, QStringLiteral("[3-4],5"), out, QStringLiteral("[IntervalIndex]"))
                    .isEmpty());
        QCOMPARE(Files(out), (QStringList{"1.pdf", "2.pdf"}));
        QCOMPARE(Contents(out + "/2.pdf"), QByteArray("old"));
        QCOMPARE(Contents(out + "/1.pdf"), QByteArray("written"));
    }

    void theThreadRunsItsModeAndReportsAnUnknownOne()
    {
        const QString source = Input(QStringLiteral("thread/s.pdf"), SevenPages());
        const QString locked = Input(QStringLiteral("thread/locked.pdf"), TestPDF::Make({"Secret"}, true));
        const QString out = Fresh();
        SplitThread thread;
        thread.mode = IntervalSplit;
        thread.sourceFile = source;
        thread.pageIntervals = QStringLiteral("[2-3]");
        thread.outputFolder = out;
        thread.outputNames = QStringLiteral("[FileName]-[IntervalStart]");
        thread.start();
        QVERIFY(thread.wait(30000));
        QVERIFY(thread.GetFailedFiles().isEmpty());
        QCOMPARE(Files(out), QStringList{"s-2.pdf"});

        thread.mode = ConsecutivePageSplit;
        thread.SetFiles({locked, source});
        thread.pagesPerInterval = 7;
        thread.start();
        QVERIFY(thread.wait(30000));
        QCOMPARE(thread.GetFailedFiles(), QStringList{locked});
        QCOMPARE(thread.GetFailures()[0].reason, QStringLiteral("the document is encrypted"));
        QCOMPARE(Files(out), (QStringList{"s-1.pdf", "s-2.pdf"}));

        thread.mode = 7;
        thread.start();
        QVERIFY(thread.wait(30000));
        QCOMPARE(thread.GetFailedFiles(), (QStringList{locked, source}));
        QCOMPARE(thread.GetFailures()[0].reason, QStringLiteral("unknown split mode 7"));
    }
};

VELLORAN_APP_TEST_MAIN(PDFSplitterTest)
#include "PDFSplitterTest.moc"
