// The split window's road through its slots, offscreen, with the real engine on small files made
// here: the defaults, the settings widgets and their members, both split modes with their
// reports, the overwrite question answered across threads, the failed-file report with reasons,
// the project's exact bytes and the checks when one is loaded, and a close during a job.

#include "app/AppIdentity.h"
#include "app/AppSettings.h"
#include "app/SetModifiedMarker.h"
#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/TestPDF.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/ListPDFFiles.h"
#include "app/tools/OverwriteDecision.h"
#include "app/tools/split/SplitPDFFilesWindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>

namespace {

QByteArray Contents(const QString& path)
{
    return TestPDF::Read(path);
}

const QString kTitle = QStringLiteral("Split PDF Documents");

} // namespace

class SplitPDFFilesWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    int number = 0;

    QString Pdf(const QString& name, const QStringList& pages, bool encrypted = false)
    {
        const QString path = folder.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        if (!TestPDF::Write(path, TestPDF::Make(pages, encrypted)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString Fresh()
    {
        const QString path = folder.filePath(QStringLiteral("out%1").arg(++number));
        QDir().mkpath(path);
        return path;
    }

    // Chooses the output folder through Browse.
    static void UseFolder(ScriptedPrompts& prompts, SplitPDFFilesWindow& window, const QString& out)
    {
        prompts.folderAnswers = QStringList{out};
        Find<QPushButton>(window, "buttonBrowse")->click();
    }

    static void Start(SplitPDFFilesWindow& window) { Find<QPushButton>(window, "buttonSplitFiles")->click(); }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void init()
    {
        AppIdentity::Instance();
        QSettings().clear();
        QSettings().sync();
    }

    void aFreshWindowShowsTheDefaultsAndItsWidgetsSetTheMembers()
    {
        ScriptedPrompts prompts;
        SplitPDFFilesWindow window;
        window.OpenWindow();
        QCOMPARE(window.windowTitle(), kTitle);
        QVERIFY(Find<QRadioButton>(window, "radioPageSplit")->isChecked());
        QVERIFY(!Find<QRadioButton>(window, "radioIntervalSplit")->isChecked());
        QCOMPARE(Find<QSpinBox>(window, "spinPagesPerInterval")->value(), 1);
        QCOMPARE(Find<QSpinBox>(window, "spinPagesPerInterval")->maximum(), 1000);
        QCOMPARE(Find<QLineEdit>(window, "editIntervals")->text(), QStringLiteral("[1-4],5,[6-9]"));
        auto* names = Find<QLineEdit>(window, "editOutputNames");
        QCOMPARE(names->text(), QStringLiteral("[FileName](Page[IntervalIndex])"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputFolder")->text(), QDir::toNativeSeparators(AppSettings::DocumentsFolder()));
        QCOMPARE(Find<QLabel>(window, "labelDocInfo")->text(), QStringLiteral("Number of Pages:\nEncrypted:\nFile Size:"));

        // Each widget marks the window; both modes stay editable.
        Find<QRadioButton>(window, "radioIntervalSplit")->click();
        QVERIFY(!Find<QRadioButton>(window, "radioPageSplit")->isChecked());
        QCOMPARE(window.windowTitle(), kTitle + "*");
        QVERIFY(Find<QSpinBox>(window, "spinPagesPerInterval")->isEnabled());

        // A forbidden character is refused with a warning and taken out.
        SetModifiedMarker(&window, false);
        names->setText(QStringLiteral("a:b"));
        QCOMPARE(names->text(), QStringLiteral("ab"));
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("Please note that you cannot use the following symbols in your file name template: "
                                "\\ / : * ? \" < > |"));
        QCOMPARE(window.windowTitle(), kTitle + "*");

        // The token menu inserts at the cursor.
        names->setCursorPosition(1);
        Find<QAction>(window, "actionIntervalIndex")->trigger();
        QCOMPARE(names->text(), QStringLiteral("a[IntervalIndex]b"));
        Find<QPushButton>(window, "buttonAddToken")->click();
        auto* menu = qobject_cast<QMenu*>(Find<QAction>(window, "actionFileName")->parent());
        QVERIFY(menu && menu->isVisible());
        menu->hide();

        // Browse remembers the folder and shows it.
        const QString out = Fresh();
        UseFolder(prompts, window, out);
        QCOMPARE(Find<QLineEdit>(window, "editOutputFolder")->text(), QDir::toNativeSeparators(out));
        QCOMPARE(AppSettings::Folder(QLatin1String(SettingsKey::SplitPDFOutputFolder)), out);
        QCOMPARE(prompts.Of(QStringLiteral("existingFolder")).last().title, QStringLiteral("Select folder"));

        prompts.questionAnswers = {QMessageBox::No}; // the changes discarded
        Find<QAction>(window, "actionNew")->trigger();
        QCOMPARE(window.windowTitle(), kTitle);
        QCOMPARE(names->text(), QStringLiteral("[FileName](Page[IntervalIndex])"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputFolder")->text(), QDir::toNativeSeparators(out));
    }

    void bothModesSplitAndReport()
    {
        ScriptedPrompts prompts;
        SplitPDFFilesWindow window;
        window.OpenWindow();
        Start(window);
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text, QStringLiteral("There are no files to split."));

        const QString report = Pdf(QStringLiteral("modes/report.pdf"), {"One", "Two", "Three"});
        const QString other = Pdf(QStringLiteral("modes/other.pdf"), {"Solo"});
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({report, other});
        const QString out = Fresh();
        UseFolder(prompts, window, out);
        QSignalSpy progress(Find<QProgressBar>(window, "progressSplit"), &QProgressBar::valueChanged);

        // Consecutive pages, one per part: every file.
        Start(window);
        QVERIFY(window.IsWorking());
        QVERIFY(!Find<QPushButton>(window, "buttonSplitFiles")->isEnabled());
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Splitting documents. Please wait..."));
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("information"))[0].text, QStringLiteral("Documents split successfully."));
        QCOMPARE(Files(out), (QStringList{"other(Page1).pdf", "report(Page1).pdf", "report(Page2).pdf",
                                          "report(Page3).pdf"}));
        QCOMPARE(ExternalReaders::PageText(out + "/report(Page2).pdf", 1), QStringLiteral("Two"));
        QVERIFY(Find<QPushButton>(window, "buttonSplitFiles")->isEnabled());
        QCOMPARE(window.statusBar()->currentMessage(), QString());
        QCOMPARE(progress.last().first().toInt(), 0);

        // Page intervals: the first file only, after saying so.
        Find<QRadioButton>(window, "radioIntervalSplit")->click();
        Find<QLineEdit>(window, "editIntervals")->setText(QStringLiteral("[2-3],1"));
        Find<QLineEdit>(window, "editOutputNames")->setText(QStringLiteral("[FileName]_[IntervalStart]-[IntervalEnd]"));
        Start(window);
        QCOMPARE(prompts.Of(QStringLiteral("information")).last().text,
                 QStringLiteral("You can only split a single document using page intervals. Note that only the first "
                                "document will be split."));
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 3);
        QVERIFY(Files(out).contains(QStringLiteral("report_2-3.pdf")));
        QVERIFY(Files(out).contains(QStringLiteral("report_1-1.pdf")));
        QCOMPARE(Files(out).size(), 6);
    }

    // Page intervals that name no page are refused before the job, quoted; items that name
    // nothing beside valid ones are named in the report.
    void pageIntervalsThatNameNothing()
    {
        const QString refusal = QStringLiteral("The page intervals \"%1\" name no page. Please give page numbers or "
                                               "ranges separated by commas, such as [1-4],5,[6-9].");
        const QString skipped = QStringLiteral("Documents split successfully.\n\nThese items of the page intervals "
                                               "name no page and were skipped: \"x\", \"\", \"[y-z]\"");
        const struct {
            QString intervals, kind, text;
            int written;
        } cases[] = {{"abc", "warning", refusal.arg("abc"), 0},     {"", "warning", refusal.arg(""), 0},
                     {",,", "warning", refusal.arg(",,"), 0},       {"[x-y]", "warning", refusal.arg("[x-y]"), 0},
                     {"2,x,,[y-z]", "information", skipped, 1}};
        const QString source = Pdf(QStringLiteral("none/doc.pdf"), {"A", "B"});
        for (const auto& c : cases) {
            ScriptedPrompts prompts;
            SplitPDFFilesWindow window;
            window.OpenWindow();
            emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({source});
            const QString out = Fresh();
            UseFolder(prompts, window, out);
            Find<QRadioButton>(window, "radioIntervalSplit")->click();
            Find<QLineEdit>(window, "editIntervals")->setText(c.intervals);
            Start(window);
            QTRY_COMPARE(prompts.Of(c.kind).size(), 1);
            QCOMPARE(prompts.Of(c.kind)[0].text, c.text);
            QCOMPARE(Files(out).size(), c.written);
        }
    }

    // The engine asks from its thread; the window shows the question and hands the answer back.
    void theOverwriteQuestionIsAnsweredAcrossThreads()
    {
        ScriptedPrompts prompts;
        SplitPDFFilesWindow window;
        window.OpenWindow();
        const QString source = Pdf(QStringLiteral("answers/doc.pdf"), {"A", "B", "C", "D", "E"});
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({source});
        const QString out = Fresh();
        UseFolder(prompts, window, out);
        for (int page = 1; page <= 5; ++page)
            QVERIFY(TestPDF::Write(out + QStringLiteral("/doc(Page%1).pdf").arg(page), "old"));

        prompts.overwriteAnswers = {OverwriteDecision::No, OverwriteDecision::Yes, OverwriteDecision::NoToAll};
        Start(window);
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        const QList<ScriptedPrompts::Record> asked = prompts.Of(QStringLiteral("overwrite"));
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[0].text, out + "/doc(Page1).pdf");
        QCOMPARE(asked[0].parent.data(), static_cast<QWidget*>(&window));
        QCOMPARE(Contents(out + "/doc(Page1).pdf"), QByteArray("old"));
        QCOMPARE(ExternalReaders::PageText(out + "/doc(Page2).pdf", 1), QStringLiteral("B"));
        for (int page = 3; page <= 5; ++page)
            QCOMPARE(Contents(out + QStringLiteral("/doc(Page%1).pdf").arg(page)), QByteArray("old"));

        // The next job asks again; Yes to All replaces the rest without a question.
        prompts.overwriteAnswers = {OverwriteDecision::YesToAll};
        Start(window);
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 2);
        QCOMPARE(prompts.Of(QStringLiteral("overwrite")).size(), 4);
        for (int page = 1; page <= 5; ++page)
            QCOMPARE(ExternalReaders::PageText(out + QStringLiteral("/doc(Page%1).pdf").arg(page), 1),
                     QString(QChar('A' + page - 1)));
        QCOMPARE(Files(out).size(), 5);
    }

    // A source that failed is named with its reason; an output that would replace an input is
    // refused before any question.
    void failedSourcesAreReportedWithTheirReasons()
    {
        ScriptedPrompts prompts;
        SplitPDFFilesWindow window;
        window.OpenWindow();
        const QString good = Pdf(QStringLiteral("report/good.pdf"), {"G"});
        const QString locked = Pdf(QStringLiteral("report/locked.pdf"), {"L"}, true);
        // An encrypted file cannot be added, but a project can still list it.
        const QString project = folder.filePath(QStringLiteral("report/list.spf"));
        QVERIFY(TestPDF::Write(project, (locked + "\n" + good + "\nEndOfList\n1\n1\n[1-4],5,[6-9]\n[FileName]\n" +
                                         QFileInfo(good).path())
                                            .toUtf8()));
        prompts.fileNameAnswers = QStringList{project};
        Find<QAction>(window, "actionLoad")->trigger();
        Start(window);
        QTRY_COMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("The following PDF documents could not be split:\n\n") + locked +
                     " (the document is encrypted)\n" + good + " (the output " + good +
                     " would replace a document of this job)\n");
        QVERIFY(prompts.Of(QStringLiteral("overwrite")).isEmpty());
        QCOMPARE(ExternalReaders::PageText(good, 1), QStringLiteral("G"));

        // A file refused while adding says why.
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({Pdf(QStringLiteral("report/more.pdf"), {"M"}, true)});
        QVERIFY(prompts.Of(QStringLiteral("warning")).last().text.endsWith(QStringLiteral("more.pdf (the document is encrypted)\n")));
    }

    void projectsHoldTheSettingsAndLoadingChecksThem()
    {
        ScriptedPrompts prompts;
        SplitPDFFilesWindow window;
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("project/Ünïcødé a.pdf"), {"A"});
        const QString b = Pdf(QStringLiteral("project/b.pdf"), {"B"});
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({a, b});
        Find<QRadioButton>(window, "radioIntervalSplit")->click();
        Find<QSpinBox>(window, "spinPagesPerInterval")->setValue(12);
        Find<QLineEdit>(window, "editIntervals")->setText(QStringLiteral("[1-2],x"));
        Find<QLineEdit>(window, "editOutputNames")->setText(QStringLiteral("[FileName]-[IntervalEnd]"));
        const QString out = Fresh();
        UseFolder(prompts, window, out);

        const QString bare = folder.filePath(QStringLiteral("project/settings"));
        prompts.fileNameAnswers = QStringList{bare};
        Find<QAction>(window, "actionSave")->trigger();
        const QString project = bare + ".spf";
        QCOMPARE(prompts.Of(QStringLiteral("saveFileName")).last().filter, QStringLiteral("Split PDF Project (*.spf)"));
        QCOMPARE(Contents(project),
                 (a + "\n" + b + "\nEndOfList\n2\n12\n[1-2],x\n[FileName]-[IntervalEnd]\n" + out).toUtf8());
        QCOMPARE(window.windowTitle(), kTitle + " - settings");

        Find<QAction>(window, "actionNew")->trigger();
        prompts.fileNameAnswers = QStringList{project};
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(window.windowTitle(), kTitle + " - settings");
        QCOMPARE(Find<ListPDFFiles>(window, "listPDFFiles")->FilePaths(), (QStringList{a, b}));
        QVERIFY(Find<QRadioButton>(window, "radioIntervalSplit")->isChecked());
        QVERIFY(!Find<QRadioButton>(window, "radioPageSplit")->isChecked());
        QCOMPARE(Find<QSpinBox>(window, "spinPagesPerInterval")->value(), 12);
        QCOMPARE(Find<QLineEdit>(window, "editIntervals")->text(), QStringLiteral("[1-2],x"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputNames")->text(), QStringLiteral("[FileName]-[IntervalEnd]"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputFolder")->text(), QDir::toNativeSeparators(out));
        // Saved again unchanged, the bytes are the same.
        Find<QAction>(window, "actionSave")->trigger();
        QCOMPARE(Contents(project), (a + "\n" + b + "\nEndOfList\n2\n12\n[1-2],x\n[FileName]-[IntervalEnd]\n" + out).toUtf8());
        QVERIFY(prompts.Of(QStringLiteral("warning")).isEmpty());

        // Values that cannot be used keep their defaults, with a warning; a file without its
        // list's end is no project and changes nothing.
        const QString odd = folder.filePath(QStringLiteral("project/odd.spf"));
        QVERIFY(TestPDF::Write(odd, (a + "\nEndOfList\n5\n0\n7\na:b\n").toUtf8()));
        prompts.fileNameAnswers = QStringList{odd};
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("Some settings of the project could not be used:\n\n"
                                "The split mode \"5\" is unknown; consecutive page split is used.\n"
                                "Pages per interval must be a number from 1 to 1000, not \"0\"; 1 is used.\n"
                                "The output names held characters that a file name cannot hold; they were removed."));
        QVERIFY(Find<QRadioButton>(window, "radioPageSplit")->isChecked());
        QCOMPARE(Find<QSpinBox>(window, "spinPagesPerInterval")->value(), 1);
        QCOMPARE(Find<QLineEdit>(window, "editIntervals")->text(), QStringLiteral("7"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputNames")->text(), QStringLiteral("ab"));
        // An empty folder line leaves the remembered folder.
        QCOMPARE(Find<QLineEdit>(window, "editOutputFolder")->text(), QDir::toNativeSeparators(out));
        QCOMPARE(window.windowTitle(), kTitle + " - odd");

        const QString cut = folder.filePath(QStringLiteral("project/cut.spf"));
        QVERIFY(TestPDF::Write(cut, (a + "\n" + b + "\n").toUtf8()));
        prompts.fileNameAnswers = QStringList{cut};
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text, QStringLiteral("Could not load file."));
        QCOMPARE(window.windowTitle(), kTitle + " - odd");
        QCOMPARE(Find<ListPDFFiles>(window, "listPDFFiles")->FilePaths(), QStringList{a});
        // Nor is one whose output names or folder hold a control character (the system would cut
        // a name at a NUL).
        for (const QString& output : {QStringLiteral("a") + QChar(0) + "b\n/f", QStringLiteral("ab\n/f\t")}) {
            QVERIFY(TestPDF::Write(cut, (QStringLiteral("EndOfList\n1\n1\n1\n") + output).toUtf8()));
            prompts.fileNameAnswers = QStringList{cut};
            prompts.records.clear();
            Find<QAction>(window, "actionLoad")->trigger();
            QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
            QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text, QStringLiteral("Could not load file."));
            QCOMPARE(Find<ListPDFFiles>(window, "listPDFFiles")->FilePaths(), QStringList{a});
        }
    }

    // Closing while the job waits for an answer: the job stops, the thread is waited for, nothing
    // is reported and no partial output is left.
    void closingDuringAJobStopsIt()
    {
        HookedPrompts prompts;
        SplitPDFFilesWindow window;
        window.OpenWindow();
        const QString source = Pdf(QStringLiteral("closing/doc.pdf"), {"A", "B", "C"});
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({source});
        const QString out = Fresh();
        UseFolder(prompts, window, out);
        SetModifiedMarker(&window, false);
        QVERIFY(TestPDF::Write(out + "/doc(Page2).pdf", "old"));

        bool closed = false;
        prompts.beforeOverwriteAnswer = [&]() {
            QVERIFY(window.IsWorking());
            prompts.questionAnswers = {QMessageBox::Yes};
            closed = window.close();
        };
        Start(window);
        QTRY_VERIFY(closed);
        QCOMPARE(prompts.Of(QStringLiteral("question")).last().text,
                 QStringLiteral("Exiting now will interrupt the splitting process and could lead to corrupt output "
                                "files. Are you sure you want exit?"));
        QVERIFY(!window.IsWorking());
        QTest::qWait(100);
        QVERIFY(prompts.Of(QStringLiteral("information")).isEmpty());
        QCOMPARE(Files(out), (QStringList{"doc(Page1).pdf", "doc(Page2).pdf"}));
        QCOMPARE(Contents(out + "/doc(Page2).pdf"), QByteArray("old"));

        // Opened again, it splits with a fresh thread.
        prompts.beforeOverwriteAnswer = nullptr;
        window.OpenWindow();
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({source});
        prompts.overwriteAnswers = {OverwriteDecision::YesToAll};
        Start(window);
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        QCOMPARE(Files(out).size(), 3);
    }
};

VELLORAN_APP_TEST_MAIN(SplitPDFFilesWindowTest)
#include "SplitPDFFilesWindowTest.moc"
