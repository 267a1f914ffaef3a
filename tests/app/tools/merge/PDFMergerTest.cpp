// The merge engine and its thread: what reaches the output, which inputs are reported, the
// progress values, stopping, and what is left on disk when a merge cannot be completed. The
// cases at the end merge real PDF files through the library's writer and check the result with
// other readers; they run once the writer is part of the build.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/FakeMergeOutput.h"
#include "app/support/TestPDF.h"
#include "app/tools/merge/MergeThread.h"
#include "app/tools/merge/PDFMerger.h"
#include "app/tools/merge/PDFWriterMergeOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>

namespace {

QByteArray Contents(const QString& path)
{
    return TestPDF::Read(path);
}

QList<int> ProgressValues(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& arguments : spy)
        values.append(arguments.first().toInt());
    return values;
}

using ExternalReaders::PageCount;
using ExternalReaders::PageText;
using ExternalReaders::Run;

} // namespace

class PDFMergerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

    QString PathOf(const QString& name) const { return folder.filePath(name); }

    QString Input(const QString& name, const QByteArray& bytes)
    {
        const QString path = PathOf(name);
        if (!TestPDF::Write(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void inputsGoToTheOutputInListOrderWithProgressAfterEach()
    {
        FakeMergeScript script;
        PDFMerger merger(script.Factory());
        QSignalSpy progress(&merger, &PDFMerger::UpdateProgress);
        const QString a = Input(QStringLiteral("a.pdf"), "A\n");
        const QString b = Input(QStringLiteral("b.pdf"), "B\n");
        const QString c = Input(QStringLiteral("c.pdf"), "C\n");
        const QString output = PathOf(QStringLiteral("order.pdf"));

        const MergeResult result = merger.Merge({c, a, b, a}, output);
        QVERIFY(result.written);
        QVERIFY(result.failedFiles.isEmpty());
        QVERIFY(!result.stopped);
        QCOMPARE(Contents(output), QByteArray("%FAKE\nC\nA\nB\nA\n%END\n"));
        QCOMPARE(ProgressValues(progress), (QList<int>{25, 50, 75, 100}));
        QCOMPARE(script.Calls(), (QStringList{"start " + output, "append " + c, "append " + a, "append " + b,
                                              "append " + a, "end", "close"}));
        QCOMPARE(Contents(a), QByteArray("A\n"));
    }

    void progressIsTruncatedSinglePrecisionPercent_data()
    {
        QTest::addColumn<int>("inputs");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("one") << 1 << QList<int>{100};
        QTest::newRow("three") << 3 << QList<int>{33, 66, 100};
        QTest::newRow("seven") << 7 << QList<int>{14, 28, 42, 57, 71, 85, 100};
    }

    void progressIsTruncatedSinglePrecisionPercent()
    {
        QFETCH(int, inputs);
        QFETCH(QList<int>, expected);
        FakeMergeScript script;
        PDFMerger merger(script.Factory());
        QSignalSpy progress(&merger, &PDFMerger::UpdateProgress);
        const QString input = Input(QStringLiteral("p.pdf"), "P\n");
        QStringList files;
        for (int i = 0; i < inputs; ++i)
            files.append(input);
        QVERIFY(merger.Merge(files, PathOf(QStringLiteral("progress.pdf"))).written);
        QCOMPARE(ProgressValues(progress), expected);
    }

    void inputsThatCannotBeAddedAreReportedAndTheMergeGoesOn()
    {
        FakeMergeScript script;
        PDFMerger merger(script.Factory());
        QSignalSpy progress(&merger, &PDFMerger::UpdateProgress);
        const QString a = Input(QStringLiteral("a.pdf"), "A\n");
        const QString broken = Input(QStringLiteral("BROKEN.pdf"), "X\n");
        const QString missing = PathOf(QStringLiteral("missing BROKEN.pdf"));
        const QString output = PathOf(QStringLiteral("partial.pdf"));

        const MergeResult result = merger.Merge({broken, a, missing}, output);
        QVERIFY(result.written);
        QCOMPARE(FailedPaths(result.failedFiles), (QStringList{broken, missing}));
        QCOMPARE(result.failedFiles[0].reason, QStringLiteral("cannot read BROKEN"));
        QCOMPARE(Contents(output), QByteArray("%FAKE\nA\n%END\n"));
        QCOMPARE(ProgressValues(progress), (QList<int>{33, 66, 100}));
    }

    void anOutputThatCannotBeCreatedReadsNoInputAndLeavesTheFileAlone()
    {
        FakeMergeScript script;
        script.failStart = true;
        PDFMerger merger(script.Factory());
        QSignalSpy progress(&merger, &PDFMerger::UpdateProgress);
        const QString a = Input(QStringLiteral("a.pdf"), "A\n");
        const QString output = Input(QStringLiteral("someone else's.pdf"), "keep\n");

        const MergeResult result = merger.Merge({a}, output);
        QVERIFY(!result.written);
        QCOMPARE(script.Calls(), (QStringList{"start " + output, "close"}));
        QCOMPARE(progress.count(), 0);
        QCOMPARE(Contents(output), QByteArray("keep\n"));
    }

    // An output that is one of the inputs, by whatever path leads to it, is refused before
    // anything is written, whoever calls the engine.
    void anOutputThatIsAnInputIsRefused()
    {
        FakeMergeScript script;
        PDFMerger merger(script.Factory());
        const QString a = Input(QStringLiteral("self.pdf"), "A\n");
        const QString b = Input(QStringLiteral("other.pdf"), "B\n");
        const QString link = PathOf(QStringLiteral("self-link.pdf"));
        QVERIFY(QFile::link(a, link));
        for (const QString& output : {a, link}) {
            const MergeResult result = merger.Merge({b, a}, output);
            QCOMPARE(result.failure, "the output " + output + " would replace a document of this job");
            QVERIFY(!result.written && script.Calls().isEmpty());
            QCOMPARE(Contents(a), QByteArray("A\n"));
        }
    }

    void aFailedEndIsAFailedMergeAndRemovesTheOutput()
    {
        FakeMergeScript script;
        script.failEnd = true;
        PDFMerger merger(script.Factory());
        const QString a = Input(QStringLiteral("a.pdf"), "A\n");
        const QString output = PathOf(QStringLiteral("unfinished.pdf"));

        const MergeResult result = merger.Merge({a, a}, output);
        QVERIFY(!result.written);
        QCOMPARE(result.failure, QStringLiteral("end failed"));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(Contents(a), QByteArray("A\n"));
    }

    // The user answered Yes to replacing a file, and the merge then fails, is stopped, or its
    // document does not read back: the file is still there as it was, and no temporary file is
    // left beside it. Only a finished merge replaces it, keeping its permissions.
    void anExistingOutputIsReplacedOnlyAfterSuccess()
    {
        const QString a = Input(QStringLiteral("a.pdf"), "A\n");
        const QString broken = Input(QStringLiteral("BROKEN-only.pdf"), "X\n");
        const QDir dir(PathOf(QStringLiteral("replace")));
        QVERIFY(QDir().mkpath(dir.path()));
        const QString output = dir.filePath(QStringLiteral("users-file.pdf"));
        QVERIFY(TestPDF::Write(output, "the user's own document\n"));
        QVERIFY(QFile::setPermissions(output, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFileDevice::Permissions permissions = QFile::permissions(output);

        std::atomic<bool> stop{false};
        struct Case {
            bool failStart, failEnd, stopAfterFirst, unreadable;
            QStringList inputs;
        };
        for (const Case& c : {Case{true, false, false, false, {a}}, Case{false, true, false, false, {a}},
                              Case{false, false, true, false, {a, a}}, Case{false, false, false, true, {a}},
                              Case{false, false, false, false, {broken}}}) {
            FakeMergeScript script;
            script.failStart = c.failStart;
            script.failEnd = c.failEnd;
            stop = false;
            if (c.stopAfterFirst) {
                script.stopFlag = &stop;
                script.stopAfterAppends = 1;
            }
            PDFMerger merger(script.Factory());
            const MergeResult result =
                merger.Merge(c.inputs, output, &stop, [&c](const QString&) { return !c.unreadable; });
            QVERIFY(!result.written);
            QCOMPARE(result.stopped, c.stopAfterFirst);
            QVERIFY(c.stopAfterFirst || !result.failure.isEmpty());
            QCOMPARE(Contents(output), QByteArray("the user's own document\n"));
            QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("users-file.pdf")});
        }

        FakeMergeScript script;
        PDFMerger merger(script.Factory());
        QStringList checked;
        QVERIFY(merger.Merge({a}, output, nullptr, [&checked](const QString& path) {
                          checked.append(path);
                          return Contents(path) == "%FAKE\nA\n%END\n";
                      }).written);
        QCOMPARE(Contents(output), QByteArray("%FAKE\nA\n%END\n"));
        // The check read the finished document beside the output, before it took its place.
        QCOMPARE(checked.size(), 1);
        QCOMPARE(QFileInfo(checked[0]).path(), dir.path());
        QVERIFY(checked[0] != output);
        QCOMPARE(QFile::permissions(output), permissions);
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("users-file.pdf")});
    }

    void aMergeToWhichNoInputCouldBeAddedLeavesNoOutput()
    {
        FakeMergeScript script;
        PDFMerger merger(script.Factory());
        const QString broken = Input(QStringLiteral("BROKEN-1.pdf"), "X\n");
        const QString output = PathOf(QStringLiteral("empty.pdf"));

        const MergeResult result = merger.Merge({broken, broken}, output);
        QVERIFY(!result.written);
        QCOMPARE(FailedPaths(result.failedFiles), (QStringList{broken, broken}));
        QCOMPARE(result.failure, QStringLiteral("none of the documents could be added"));
        QVERIFY(!QFile::exists(output));
    }

    void aStopBetweenInputsEndsTheJobAndRemovesItsOutput()
    {
        FakeMergeScript script;
        std::atomic<bool> stop{false};
        script.stopFlag = &stop;
        script.stopAfterAppends = 2;
        PDFMerger merger(script.Factory());
        QSignalSpy progress(&merger, &PDFMerger::UpdateProgress);
        const QString a = Input(QStringLiteral("a.pdf"), "A\n");
        const QString output = PathOf(QStringLiteral("stopped.pdf"));

        const MergeResult result = merger.Merge({a, a, a, a}, output, &stop);
        QVERIFY(result.stopped);
        QVERIFY(!result.written);
        QCOMPARE(script.appends.load(), 2);
        QVERIFY(!script.Calls().contains(QStringLiteral("end")));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(ProgressValues(progress), (QList<int>{25, 50}));

        // Stopped before it began: nothing is touched at all.
        FakeMergeScript idle;
        PDFMerger second(idle.Factory());
        QVERIFY(second.Merge({a}, output, &stop).stopped);
        QVERIFY(idle.Calls().isEmpty());
    }

    void theThreadMergesItsFieldsAndReportsAfterFinishing()
    {
        FakeMergeScript script;
        MergeThread thread(script.Factory());
        thread.outputCheck = [](const QString&) { return true; };
        QSignalSpy progress(&thread.engine, &PDFMerger::UpdateProgress);
        const QString a = Input(QStringLiteral("a.pdf"), "A\n");
        const QString b = Input(QStringLiteral("BROKEN-b.pdf"), "B\n");
        const QString output = PathOf(QStringLiteral("threaded.pdf"));
        thread.SetFiles({a, b});
        thread.outputPath = output;
        thread.start();
        QVERIFY(thread.wait(10000));
        QCOMPARE(thread.GetOutputPath(), output);
        QVERIFY(thread.GetResult().written);
        QCOMPARE(FailedPaths(thread.GetResult().failedFiles), QStringList{b});
        QCOMPARE(ProgressValues(progress), (QList<int>{50, 100}));

        // The same object runs the next job with the fields as they are then.
        thread.SetFiles({a});
        thread.outputPath = PathOf(QStringLiteral("second.pdf"));
        thread.start();
        QVERIFY(thread.wait(10000));
        QVERIFY(thread.GetResult().failedFiles.isEmpty());
        QCOMPARE(Contents(PathOf(QStringLiteral("second.pdf"))), QByteArray("%FAKE\nA\n%END\n"));
    }

    // Reading a large output back takes a while, so the worker does it, not the window; only a
    // written output is read, and one that does not read back is no usable result.
    void theThreadReadsAWrittenOutputBackOnItsOwnThread()
    {
        FakeMergeScript script;
        MergeThread thread(script.Factory());
        const QString output = PathOf(QStringLiteral("read-back.pdf"));
        thread.SetFiles({Input(QStringLiteral("read-back-input.pdf"), "A\n")});
        thread.outputPath = output;
        // Without a check of its own the thread asks the library, which takes the stand-in's
        // output for no PDF: it is not put in place.
        thread.start();
        QVERIFY(thread.wait(10000));
        QVERIFY(!thread.GetResult().written);
        QVERIFY(!thread.OutputReadable());
        QVERIFY(!QFile::exists(output));

        QStringList checked;
        QThread* checkingThread = nullptr;
        bool answer = true;
        thread.outputCheck = [&](const QString& path) {
            checked.append(path);
            checkingThread = QThread::currentThread();
            return answer;
        };
        thread.start();
        QVERIFY(thread.wait(10000));
        QCOMPARE(checked.size(), 1);
        QCOMPARE(QFileInfo(checked[0]).path(), QFileInfo(output).path()); // the document before it takes its place
        QCOMPARE(checkingThread, static_cast<QThread*>(&thread));
        QVERIFY(thread.OutputReadable());

        // A document that does not read back does not replace the one before it.
        answer = false;
        const QByteArray before = Contents(output);
        thread.start();
        QVERIFY(thread.wait(10000));
        QVERIFY(!thread.GetResult().written);
        QVERIFY(!thread.OutputReadable());
        QCOMPARE(Contents(output), before);

        checked.clear();
        answer = true;
        script.failEnd = true;
        thread.start();
        QVERIFY(thread.wait(10000));
        QVERIFY(checked.isEmpty());
        QVERIFY(!thread.OutputReadable());
    }

    void destroyingARunningThreadStopsItsJobFirst()
    {
        FakeMergeScript script;
        script.appendDelayMs = 2;
        const QString a = Input(QStringLiteral("a.pdf"), "A\n");
        const QString output = PathOf(QStringLiteral("destroyed.pdf"));
        {
            MergeThread thread(script.Factory());
            QStringList files;
            for (int i = 0; i < 5000; ++i)
                files.append(a);
            thread.SetFiles(files);
            thread.outputPath = output;
            thread.start();
            QTRY_VERIFY(script.appends.load() > 0);
        }
        QVERIFY(script.appends.load() < 5000);
        QVERIFY(!QFile::exists(output));
    }

    // ---- Through the library's writer ----

    void theTestInputsAreSoundForOtherReaders()
    {
        const QString input = Input(QStringLiteral("sound.pdf"), TestPDF::Make({"First", "Second"}));
        QVERIFY(!Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), input}).isNull());
        QCOMPARE(PageCount(input), 2);
        QCOMPARE(PageText(input, 2), QStringLiteral("Second"));
        const QString locked = Input(QStringLiteral("sound-locked.pdf"), TestPDF::Make({"Secret"}, true));
        QVERIFY(Run(QStringLiteral("qpdf"), {QStringLiteral("--show-encryption"), locked}).contains("R = 2"));
    }

    void oneInputGivesAPDF13FileWithItsPages()
    {
        const QString input = Input(QStringLiteral("two.pdf"), TestPDF::Make({"Alpha", "Beta"}));
        const QString output = PathOf(QStringLiteral("one-input.pdf"));
        PDFMerger merger;
        QSignalSpy progress(&merger, &PDFMerger::UpdateProgress);
        const MergeResult result = merger.Merge({input}, output);
        QVERIFY(result.written);
        QVERIFY(result.failedFiles.isEmpty());
        QCOMPARE(ProgressValues(progress), QList<int>{100});
        QVERIFY(Contents(output).startsWith("%PDF-1.3\r\n%\xBD\xBE\xBC\r\n"));
        QVERIFY(!Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), output}).isNull());
        QCOMPARE(PageCount(output), 2);
        QCOMPARE(PageText(output, 1), QStringLiteral("Alpha"));
        QCOMPARE(PageText(output, 2), QStringLiteral("Beta"));
    }

    void theThreadReadsTheLibrarysOutputBack()
    {
        MergeThread thread;
        thread.SetFiles({Input(QStringLiteral("real-read-back.pdf"), TestPDF::Make({"Real"}))});
        thread.outputPath = PathOf(QStringLiteral("real-read-back-merged.pdf"));
        thread.start();
        QVERIFY(thread.wait(30000));
        QVERIFY(thread.GetResult().written);
        QVERIFY(thread.OutputReadable());
    }

    void anEncryptedInputIsLeftOutAndReported()
    {
        const QString first = Input(QStringLiteral("first.pdf"), TestPDF::Make({"One", "Two"}));
        const QString locked = Input(QStringLiteral("locked.pdf"), TestPDF::Make({"Secret"}, true));
        const QString third = Input(QStringLiteral("third.pdf"), TestPDF::Make({"Three", "Four", "Five"}));
        const QString output = PathOf(QStringLiteral("three-inputs.pdf"));
        PDFMerger merger;
        QSignalSpy progress(&merger, &PDFMerger::UpdateProgress);
        const MergeResult result = merger.Merge({first, locked, third}, output);
        QVERIFY(result.written);
        QCOMPARE(FailedPaths(result.failedFiles), QStringList{locked});
        QCOMPARE(result.failedFiles[0].reason,
                 QStringLiteral("Document contains an encryption dictionary. Library does not support embedding of "
                                "encrypted PDF"));
        QCOMPARE(ProgressValues(progress), (QList<int>{33, 66, 100}));
        QVERIFY(!Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), output}).isNull());
        QCOMPARE(PageCount(output), 5);
        const QStringList expected{"One", "Two", "Three", "Four", "Five"};
        for (int page = 1; page <= 5; ++page)
            QCOMPARE(PageText(output, page), expected.at(page - 1));
    }

    // An input whose second page cannot be copied after its first one was, first, in the middle
    // or last among good inputs: its first page stays, the merge goes on, the document is sound
    // for another reader, and the input is listed with what became of it.
    void anInputThatFailsPartWayKeepsThePagesBefore_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("reason");
        QByteArray noEnd = TestPDF::Make({"Whole", "Broken"});
        const int length = noEnd.lastIndexOf("/Length ") + 8;
        const int digits = noEnd.indexOf(' ', length) - length;
        noEnd.replace(length, digits, QByteArray("-1").rightJustified(digits, ' ')); // offsets stay valid
        noEnd.replace(noEnd.lastIndexOf("endstream"), 9, "endstreaX"); // nor can its end be found
        const QByteArray misplaced = TestPDF::WithMisplacedContent(TestPDF::Make({"Whole", "Broken"}), {2});
        for (int at = 0; at < 3; ++at) {
            QTest::addRow("no end of content, at %d", at) << noEnd << at << "the stream at";
            QTest::addRow("misplaced content, at %d", at) << misplaced << at << "failed to read object declaration";
        }
    }

    void anInputThatFailsPartWayKeepsThePagesBefore()
    {
        QFETCH(QByteArray, damaged);
        QFETCH(int, at);
        QFETCH(QString, reason);
        const QString good = Input(QStringLiteral("good.pdf"), TestPDF::Make({"Fine", "Also fine"}));
        const QString broken = Input(QStringLiteral("half.pdf"), damaged);
        QStringList inputs{good, good};
        inputs.insert(at, broken);
        QStringList expected{"Fine", "Also fine", "Fine", "Also fine"};
        expected.insert(2 * at, QStringLiteral("Whole"));
        const QString output = PathOf(QStringLiteral("part-way.pdf"));
        PDFMerger merger;
        const MergeResult result = merger.Merge(inputs, output);
        QVERIFY(result.written);
        QCOMPARE(FailedPaths(result.failedFiles), QStringList{broken});
        const QString lead = QStringLiteral("page 2 could not be copied: ");
        QVERIFY2(result.failedFiles[0].reason.startsWith(lead + reason), qPrintable(result.failedFiles[0].reason));
        QString report;
        QVERIFY2(ExternalReaders::QpdfAccepts(output, &report), qPrintable(report));
        QCOMPARE(ExternalReaders::PageTexts(output), expected);
    }

    void anInputListedTwiceGivesItsPagesTwice()
    {
        const QString input = Input(QStringLiteral("twice.pdf"), TestPDF::Make({"Again"}));
        const QString output = PathOf(QStringLiteral("twice-merged.pdf"));
        PDFMerger merger;
        QVERIFY(merger.Merge({input, input}, output).written);
        QVERIFY(!Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), output}).isNull());
        QCOMPARE(PageCount(output), 2);
        QCOMPARE(PageText(output, 2), QStringLiteral("Again"));
    }

    void noCopyableInputLeavesNoOutput()
    {
        const QString locked = Input(QStringLiteral("locked-only.pdf"), TestPDF::Make({"Secret"}, true));
        const QString output = PathOf(QStringLiteral("nothing.pdf"));
        PDFMerger merger;
        const MergeResult result = merger.Merge({locked, PathOf(QStringLiteral("gone.pdf"))}, output);
        QVERIFY(!result.written);
        QCOMPARE(result.failedFiles.size(), 2);
        QVERIFY(!QFile::exists(output));
    }
};

VELLORAN_APP_TEST_MAIN(PDFMergerTest)
#include "PDFMergerTest.moc"
