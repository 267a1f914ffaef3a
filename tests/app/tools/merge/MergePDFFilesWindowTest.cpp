// The merge window's road through its slots: adding files, folders and drops, reordering and
// removing, document information and opening, merging with its reports, the remembered
// folders, the "*" marker and the unsaved-changes question, projects with their exact bytes,
// and closing or opening the window while a merge runs. The PDF checks and the merge output are
// stand-ins: a file is a readable PDF when it starts with "%PDF" (or is a fake merge output)
// and does not say ENCRYPTED.

#include "app/AppIdentity.h"
#include "app/AppSettings.h"
#include "app/SetModifiedMarker.h"
#include "app/support/AppTestMain.h"
#include "app/support/FakeMergeOutput.h"
#include "app/support/RunningProgramFile.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/TestPDF.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/ListPDFFiles.h"
#include "app/tools/merge/MergePDFFilesWindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QUrl>

#include <unistd.h>

namespace {

QByteArray Contents(const QString& path)
{
    return TestPDF::Read(path);
}

class TestableMergeWindow : public MergePDFFilesWindow {
public:
    explicit TestableMergeWindow(FakeMergeScript& script) : script(script) {}

    FakeMergeScript& script;
    QList<QUrl> openedUrls;
    // Folders whose merged documents the check pretends cannot be read.
    QStringList unreadable;
    // Runs once, inside the add loop, at the next file check.
    mutable std::function<void()> duringCheck;

    using FileToolWindow::IsAdding;

protected:
    bool IsReadablePDF(const QString& path) const override
    {
        if (duringCheck) {
            const std::function<void()> action = std::move(duringCheck);
            duringCheck = nullptr;
            action();
        }
        const QByteArray bytes = Contents(path);
        return !unreadable.contains(QFileInfo(path).path()) && (bytes.startsWith("%PDF") || bytes.startsWith("%FAKE")) &&
               !bytes.contains("ENCRYPTED");
    }
    QString UnreadableReason(const QString& path) const override
    {
        if (IsReadablePDF(path))
            return QString();
        return Contents(path).contains("ENCRYPTED") ? QStringLiteral("encrypted") : QStringLiteral("unknown format");
    }
    int PDFPageCount(const QString& path) const override { return Contents(path).count("PAGE"); }
    bool IsEncryptedPDF(const QString& path) const override { return Contents(path).contains("ENCRYPTED"); }
    void OpenUrl(const QUrl& url) override { openedUrls.append(url); }
    MergeOutputFactory OutputFactory() const override { return script.Factory(); }
};

QAction* Action(QWidget& window, const char* name)
{
    return Find<QAction>(window, name);
}

ListPDFFiles* List(QWidget& window)
{
    return Find<ListPDFFiles>(window, "listPDFFiles");
}

QStringList Rows(QWidget& window)
{
    return List(window)->FilePaths();
}

QString Status(QMainWindow& window)
{
    return window.statusBar()->currentMessage();
}

void Click(QWidget& window, const char* button)
{
    Find<QPushButton>(window, button)->click();
}

QString Folder(const char* key)
{
    return AppSettings::Folder(QLatin1String(key));
}

const QString kTitle = QStringLiteral("Merge PDF Documents");
const QString kBlankInfo = QStringLiteral("Number of Pages:\nEncrypted:\nFile Size:");
const QString kInterruption = QStringLiteral(
    "Exiting now will interrupt the merging process and could lead to a corrupt output file. Are you sure you want "
    "exit?");

} // namespace

class MergePDFFilesWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    int fileNumber = 0;

    QString Make(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // A stand-in PDF file with its pages, padded to the size.
    QString Pdf(const QString& name, int pages = 1, int size = 0)
    {
        QByteArray bytes = "%PDF-1.4 " + name.toUtf8() + '\n' + QByteArray("PAGE\n").repeated(pages);
        if (bytes.size() < size)
            bytes += QByteArray(size - bytes.size(), ' ');
        return Make(name, bytes);
    }

    // A folder of its own for one test.
    QString Fresh(const QString& name)
    {
        const QString path = folder.filePath(name + QString::number(++fileNumber));
        QDir().mkpath(path);
        return path;
    }

    QString ProjectsFolder() const { return AppSettings::DocumentsFolder() + QStringLiteral("/Velloran/Merge PDF Projects"); }

    // Drops the files on the list and clears the marker, as after a save.
    void Fill(TestableMergeWindow& window, const QStringList& paths)
    {
        emit List(window)->FilesDropped(paths);
        SetModifiedMarker(&window, false);
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void init()
    {
        AppIdentity::Instance();
        QSettings().clear();
        QSettings().sync();
    }

    // ---- Adding ----

    void addingFilesKeepsReadablePDFsOnceAndReportsTheRest()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        QCOMPARE(window.windowTitle(), kTitle);

        const QString upper = Pdf(QStringLiteral("add/A.PDF"));
        const QString lower = Pdf(QStringLiteral("add/b.pdf"));
        const QString text = Make(QStringLiteral("add/notes.txt"), "%PDF");
        const QString twice = Make(QStringLiteral("add/report.pdf.txt"), "%PDF");
        const QString noDot = Make(QStringLiteral("add/nodot"), "%PDF");
        const QString locked = Make(QStringLiteral("add/locked.pdf"), "%PDF ENCRYPTED");
        const QString damaged = Make(QStringLiteral("add/damaged.pdf"), "garbage");
        const QString addFolder = QFileInfo(upper).path();

        // What the window looks like while the loop runs.
        QString status;
        QList<bool> enabled;
        window.duringCheck = [&]() {
            status = Status(window);
            for (const char* name : {"buttonAdd", "buttonRemove", "buttonMoveUp", "buttonMoveDown", "buttonMergeFiles"})
                enabled.append(Find<QPushButton>(window, name)->isEnabled());
            enabled.append(List(window)->isEnabled());
        };
        QSignalSpy progress(Find<QProgressBar>(window, "progressMerge"), &QProgressBar::valueChanged);

        prompts.openFileNamesAnswers = {{upper, lower, text, twice, noDot, locked, lower, damaged}};
        Action(window, "actionAddFiles")->trigger();

        QCOMPARE(Rows(window), (QStringList{upper, lower}));
        QCOMPARE(List(window)->item(0)->text(), QDir::toNativeSeparators(upper));
        QVERIFY(!List(window)->item(0)->icon().isNull());
        QCOMPARE(status, QStringLiteral("Updating PDF file list. Please wait..."));
        QCOMPARE(enabled, (QList<bool>{false, false, false, false, false, false}));
        QCOMPARE(Status(window), QString());
        for (const char* name : {"buttonAdd", "buttonRemove", "buttonMoveUp", "buttonMoveDown", "buttonMergeFiles"})
            QVERIFY2(Find<QPushButton>(window, name)->isEnabled(), name);
        QVERIFY(List(window)->isEnabled());
        // A step for each PDF path checked (not for the skipped ones), then back to 0.
        QList<int> steps;
        for (const QList<QVariant>& value : progress)
            steps.append(value.first().toInt());
        QCOMPARE(steps, (QList<int>{12, 25, 75, 100, 0}));

        const QList<ScriptedPrompts::Record> dialogs = prompts.Of(QStringLiteral("openFileNames"));
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs[0].title, QStringLiteral("Select PDF Documents"));
        QCOMPARE(dialogs[0].text, AppSettings::DocumentsFolder());
        QCOMPARE(dialogs[0].filter, QStringLiteral("PDF Documents (*.pdf)"));
        QCOMPARE(Folder(SettingsKey::AddPDFDocumentsLocation), addFolder);

        const QList<ScriptedPrompts::Record> warnings = prompts.Of(QStringLiteral("warning"));
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings[0].title, QString());
        QCOMPARE(warnings[0].text, QStringLiteral("The following PDF documents are either encrypted or have an unknown "
                                                  "format and could not be loaded:\n\n") +
                                       locked + " (encrypted)\n" + damaged + " (unknown format)\n");
        QCOMPARE(window.windowTitle(), kTitle + "*");

        // Again: the file already listed is skipped, the dialog starts in the remembered folder.
        const QString third = Pdf(QStringLiteral("add/c.pdf"));
        prompts.openFileNamesAnswers = {{lower, third}};
        Action(window, "actionAddFiles")->trigger();
        QCOMPARE(Rows(window), (QStringList{upper, lower, third}));
        QCOMPARE(prompts.Of(QStringLiteral("openFileNames"))[1].text, addFolder);
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);

        // Only files that cannot be loaded: the list stays, the marker comes all the same.
        prompts.questionAnswers = {QMessageBox::No};
        Action(window, "actionNew")->trigger();
        QCOMPARE(window.windowTitle(), kTitle);
        prompts.openFileNamesAnswers = {{locked}};
        Action(window, "actionAddFiles")->trigger();
        QVERIFY(Rows(window).isEmpty());
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 2);
        QCOMPARE(window.windowTitle(), kTitle + "*");

        // A cancelled dialog changes nothing.
        prompts.questionAnswers = {QMessageBox::No};
        Action(window, "actionNew")->trigger();
        Action(window, "actionAddFiles")->trigger();
        QCOMPARE(window.windowTitle(), kTitle);
        QCOMPARE(Folder(SettingsKey::AddPDFDocumentsLocation), addFolder);
    }

    void addingAFolderTakesItsOwnFilesSmallestFirst()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString dir = Fresh(QStringLiteral("scan"));
        const QString big = Pdf(QStringLiteral("scan%1/big.pdf").arg(fileNumber), 1, 3000);
        const QString small = Pdf(QStringLiteral("scan%1/small.pdf").arg(fileNumber), 1, 100);
        const QString hidden = Pdf(QStringLiteral("scan%1/.hidden.pdf").arg(fileNumber), 1, 500);
        Make(QStringLiteral("scan%1/other.txt").arg(fileNumber), "%PDF");
        Pdf(QStringLiteral("scan%1/sub/inner.pdf").arg(fileNumber));
        QVERIFY(QFile::link(small, dir + QStringLiteral("/link.pdf")));

        prompts.folderAnswers = QStringList{dir};
        Action(window, "actionAddFolder")->trigger();
        QCOMPARE(Rows(window), (QStringList{small, hidden, big}));
        const QList<ScriptedPrompts::Record> dialogs = prompts.Of(QStringLiteral("existingFolder"));
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs[0].title, QStringLiteral("Select folder"));
        QCOMPARE(dialogs[0].text, AppSettings::DocumentsFolder());
        QCOMPARE(Folder(SettingsKey::AddFolderPDFDocumentsLocation), dir);
        QCOMPARE(window.windowTitle(), kTitle + "*");
        QVERIFY(prompts.Of(QStringLiteral("warning")).isEmpty());
    }

    void addingAFolderWithSubfoldersWalksTheTreeOnce()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString tree = Fresh(QStringLiteral("tree"));
        const QString prefix = QStringLiteral("tree%1/").arg(fileNumber);
        const QString top = Pdf(prefix + QStringLiteral("top.pdf"), 1, 5000);
        const QString one = Pdf(prefix + QStringLiteral("one/b.pdf"));
        const QString two = Pdf(prefix + QStringLiteral("two/c.pdf"));
        const QString deeper = Pdf(prefix + QStringLiteral("two/deeper/d.pdf"));
        const QString locked = Make(prefix + QStringLiteral("two/locked.pdf"), "%PDF ENCRYPTED");
        // A link back up the tree must not send the walk round in circles.
        QVERIFY(QFile::link(tree, tree + QStringLiteral("/one/loop")));

        prompts.folderAnswers = QStringList{tree};
        Action(window, "actionAddFolderWithSubfolders")->trigger();
        const QStringList rows = Rows(window);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.first(), top);
        QVERIFY(rows.contains(one));
        QVERIFY(rows.indexOf(two) < rows.indexOf(deeper));
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QVERIFY(prompts.Of(QStringLiteral("warning"))[0].text.endsWith("\n\n" + locked + " (encrypted)\n"));
        QCOMPARE(Folder(SettingsKey::AddFolderPDFDocumentsLocation), tree);
        QCOMPARE(window.windowTitle(), kTitle + "*");
        QCOMPARE(Status(window), QString());
        QVERIFY(Find<QPushButton>(window, "buttonMergeFiles")->isEnabled());
    }

    void droppedFilesAreAddedLikeChosenOnes()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("drop/a.pdf"));
        const QString locked = Make(QStringLiteral("drop/locked.pdf"), "%PDF ENCRYPTED");
        emit List(window)->FilesDropped({a, locked, a});
        QCOMPARE(Rows(window), QStringList{a});
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(window.windowTitle(), kTitle + "*");
    }

    // ---- The list ----

    void movingFilesReordersTheListAndMarksTheWindow()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("move/a.pdf"));
        const QString b = Pdf(QStringLiteral("move/b.pdf"));
        const QString c = Pdf(QStringLiteral("move/c.pdf"));
        Fill(window, {a, b, c});
        ListPDFFiles* list = List(window);

        list->setCurrentRow(0);
        Click(window, "buttonMoveUp");
        QCOMPARE(Rows(window), (QStringList{a, b, c}));
        QCOMPARE(window.windowTitle(), kTitle + "*"); // also when nothing moved

        SetModifiedMarker(&window, false);
        Click(window, "buttonMoveDown");
        QCOMPARE(Rows(window), (QStringList{b, a, c}));
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(list->item(1)->text(), QDir::toNativeSeparators(a));
        QCOMPARE(window.windowTitle(), kTitle + "*");
        Click(window, "buttonMoveDown");
        Click(window, "buttonMoveDown"); // at the last row: stays
        QCOMPARE(Rows(window), (QStringList{b, c, a}));
        QCOMPARE(list->currentRow(), 2);
        Click(window, "buttonMoveUp");
        QCOMPARE(Rows(window), (QStringList{b, a, c}));

        // Without a current item neither button does anything.
        SetModifiedMarker(&window, false);
        list->setCurrentItem(nullptr);
        QCOMPARE(list->currentRow(), -1);
        Click(window, "buttonMoveDown");
        Click(window, "buttonMoveUp");
        QCOMPARE(Rows(window), (QStringList{b, a, c}));
        QCOMPARE(window.windowTitle(), kTitle);

        // The saved project holds the new order.
        const QString project = folder.filePath(QStringLiteral("move/order.mpf"));
        prompts.fileNameAnswers = QStringList{project};
        Action(window, "actionSave_As")->trigger();
        QCOMPARE(Contents(project), (b + "\n" + a + "\n" + c + "\n").toUtf8());
    }

    void removingAsksFirstAndNoKeepsTheList()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("remove/a.pdf"));
        const QString b = Pdf(QStringLiteral("remove/b.pdf"));
        const QString c = Pdf(QStringLiteral("remove/c.pdf"));
        Fill(window, {a, b, c});
        ListPDFFiles* list = List(window);
        auto* info = Find<QLabel>(window, "labelDocInfo");

        list->setCurrentItem(nullptr);
        Action(window, "actionRemoveSelected")->trigger();
        QVERIFY(prompts.Of(QStringLiteral("question")).isEmpty());

        list->setCurrentRow(1);
        prompts.questionAnswers = {QMessageBox::No};
        Action(window, "actionRemoveSelected")->trigger();
        QCOMPARE(Rows(window), (QStringList{a, b, c}));
        QCOMPARE(window.windowTitle(), kTitle);
        const ScriptedPrompts::Record question = prompts.Of(QStringLiteral("question")).first();
        QCOMPARE(question.text, QStringLiteral("Are you sure you want to remove the selected file?"));
        QCOMPARE(question.title, QString());
        QVERIFY(!question.hadParent);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.defaultButton, QMessageBox::Yes);

        info->setText(QStringLiteral("something"));
        prompts.questionAnswers = {QMessageBox::Yes};
        Action(window, "actionRemoveSelected")->trigger();
        QCOMPARE(Rows(window), (QStringList{a, c}));
        QCOMPARE(info->text(), kBlankInfo);
        QCOMPARE(window.windowTitle(), kTitle + "*");

        // The context menu's Remove does the same.
        list->setCurrentRow(0);
        prompts.questionAnswers = {QMessageBox::Yes};
        Action(window, "actionRemove")->trigger();
        QCOMPARE(Rows(window), QStringList{c});

        SetModifiedMarker(&window, false);
        prompts.questionAnswers = {QMessageBox::No};
        Action(window, "actionRemoveAll")->trigger();
        QCOMPARE(Rows(window), QStringList{c});
        QCOMPARE(prompts.Of(QStringLiteral("question")).last().text,
                 QStringLiteral("Are you sure you want to remove all the files in the list?"));
        prompts.questionAnswers = {QMessageBox::Yes};
        Action(window, "actionRemoveAll")->trigger();
        QVERIFY(Rows(window).isEmpty());
        QCOMPARE(window.windowTitle(), kTitle + "*");
        const int asked = prompts.Of(QStringLiteral("question")).size();
        Action(window, "actionRemoveAll")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("question")).size(), asked);
    }

    void aClickedFileShowsItsInformationAndOpensThroughItsFileUrl()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString path = Pdf(QStringLiteral("info/a #1 ü.pdf"), 3, 5000);
        Fill(window, {path});
        ListPDFFiles* list = List(window);
        auto* info = Find<QLabel>(window, "labelDocInfo");
        QCOMPARE(info->text(), kBlankInfo);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
        QCOMPARE(info->text(), QStringLiteral("Number of Pages: 3\nEncrypted: NO\nFile Size: 4 KB"));

        // The keyboard moves the information with the current row.
        const QString second = Pdf(QStringLiteral("info/second.pdf"), 2, 1000);
        emit list->FilesDropped({second});
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(info->text(), QStringLiteral("Number of Pages: 2\nEncrypted: NO\nFile Size: 0 KB"));
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(info->text(), QStringLiteral("Number of Pages: 3\nEncrypted: NO\nFile Size: 4 KB"));

        // The context menu shows the information too and pops up over the item.
        list->setCurrentRow(-1);
        QCOMPARE(info->text(), kBlankInfo);
        emit list->customContextMenuRequested(list->visualItemRect(list->item(0)).center());
        QCOMPARE(info->text(), QStringLiteral("Number of Pages: 3\nEncrypted: NO\nFile Size: 4 KB"));
        auto* menu = qobject_cast<QMenu*>(Action(window, "actionOpen")->parent());
        QVERIFY(menu && menu->isVisible());
        menu->hide();
        // Away from any item: no menu.
        emit list->customContextMenuRequested(QPoint(5, list->viewport()->height() - 5));
        QVERIFY(!menu->isVisible());

        list->setCurrentRow(0);
        Action(window, "actionOpen")->trigger();
        QCOMPARE(window.openedUrls, QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(window.openedUrls[0].toLocalFile(), path);

        Action(window, "actionOnline_Help")->trigger();
        QCOMPARE(window.openedUrls.last(), QUrl(AppIdentity::WebSite() + QStringLiteral("/support-merge.php")));

        // A file that is gone: 0 KB.
        QVERIFY(QFile::remove(path));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
        QCOMPARE(info->text(), QStringLiteral("Number of Pages: 0\nEncrypted: NO\nFile Size: 0 KB"));
        QVERIFY(prompts.records.isEmpty());
    }

    // ---- Merging ----

    void aMergeWritesTheListInOrderAndReportsSuccess()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("merge/a.pdf"));
        const QString b = Pdf(QStringLiteral("merge/b.pdf"));
        Fill(window, {b, a});
        const QString outFolder = Fresh(QStringLiteral("out"));
        const QString output = outFolder + QStringLiteral("/merged.pdf");
        auto* button = Find<QPushButton>(window, "buttonMergeFiles");
        QSignalSpy progress(Find<QProgressBar>(window, "progressMerge"), &QProgressBar::valueChanged);

        prompts.fileNameAnswers = QStringList{output};
        button->click();
        QVERIFY(window.IsWorking());
        QVERIFY(!button->isEnabled());
        QVERIFY(Find<QPushButton>(window, "buttonAdd")->isEnabled()); // the rest stays usable
        QCOMPARE(Status(window), QStringLiteral("Merging documents. Please wait..."));
        const ScriptedPrompts::Record dialog = prompts.Of(QStringLiteral("saveFileName")).first();
        QCOMPARE(dialog.title, QStringLiteral("Save PDF"));
        QCOMPARE(dialog.text, AppSettings::DocumentsFolder());
        QCOMPARE(dialog.filter, QStringLiteral("PDF Document (*.pdf)"));
        QCOMPARE(Folder(SettingsKey::MergePDFOutputFolder), outFolder);

        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        const ScriptedPrompts::Record report = prompts.Of(QStringLiteral("information")).first();
        QCOMPARE(report.title, QString());
        QCOMPARE(report.text, QStringLiteral("Documents merged successfully."));
        QCOMPARE(Contents(output), "%FAKE\n" + Contents(b) + Contents(a) + "%END\n");
        QVERIFY(!window.IsWorking());
        QVERIFY(button->isEnabled());
        QCOMPARE(Status(window), QString());
        QList<int> steps;
        for (const QList<QVariant>& value : progress)
            steps.append(value.first().toInt());
        QCOMPARE(steps, (QList<int>{50, 100, 0}));
        QVERIFY(prompts.Of(QStringLiteral("warning")).isEmpty());

        // The next merge starts in the remembered folder and replaces the old output, once the
        // window (not the dialog) has asked.
        QVERIFY(!dialog.saveOptions.confirmOverwrite);
        QVERIFY(prompts.Of(QStringLiteral("question")).isEmpty());
        prompts.fileNameAnswers = QStringList{output};
        prompts.questionAnswers = {QMessageBox::Yes};
        List(window)->setCurrentRow(1);
        Click(window, "buttonMoveUp");
        button->click();
        QCOMPARE(prompts.Of(QStringLiteral("saveFileName"))[1].text, outFolder);
        const ScriptedPrompts::Record question = prompts.Of(QStringLiteral("question")).first();
        QCOMPARE(question.text, output + QStringLiteral(" already exists.\nDo you want to replace it?"));
        QCOMPARE(question.defaultButton, QMessageBox::No);
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 2);
        QCOMPARE(Contents(output), "%FAKE\n" + Contents(a) + Contents(b) + "%END\n");

        // A name typed without an extension gets ".pdf"; one with an extension keeps it.
        prompts.fileNameAnswers = QStringList{outFolder + "/bare", outFolder + "/b.BIN"};
        button->click();
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 3);
        button->click();
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 4);
        QCOMPARE(prompts.Of(QStringLiteral("saveFileName")).last().saveOptions.defaultSuffix, QStringLiteral("pdf"));
        QCOMPARE(Files(outFolder), (QStringList{"b.BIN", "bare.pdf", "merged.pdf"}));
    }

    void aMergeNamesTheInputsItCouldNotAdd()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("partial/a.pdf"));
        const QString broken = Pdf(QStringLiteral("partial/BROKEN.pdf"));
        Fill(window, {broken, a});
        const QString output = Fresh(QStringLiteral("out")) + QStringLiteral("/partial.pdf");
        prompts.fileNameAnswers = QStringList{output};
        Click(window, "buttonMergeFiles");
        QTRY_COMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("The documents were merged, but the following PDF documents could not be added:\n\n") +
                     broken + " (cannot read BROKEN)\n");
        QVERIFY(prompts.Of(QStringLiteral("information")).isEmpty());
        QCOMPARE(Contents(output), "%FAKE\n" + Contents(a) + "%END\n");
    }

    // A merge that fails says why, and leaves the output path as it was: nothing where nothing
    // was, and a file the user agreed to replace unchanged.
    void aFailedMergeIsReportedAndLeavesNoOutput_data()
    {
        QTest::addColumn<bool>("failEnd");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<bool>("allBroken");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("why");
        for (bool existing : {false, true}) {
            const QByteArray suffix = existing ? " over an existing file" : "";
            QTest::newRow("end fails" + suffix) << true << false << false << existing << "\n\nend failed";
            QTest::newRow("first page unreadable" + suffix)
                << false << true << false << existing << "\n\nthe merged document cannot be read back";
            QTest::newRow("no input added" + suffix)
                << false << false << true << existing
                << "\n\nnone of the documents could be added\n\nThe following PDF documents could not be added:\n\n%1 "
                   "(cannot read BROKEN)\n";
        }
    }

    void aFailedMergeIsReportedAndLeavesNoOutput()
    {
        QFETCH(bool, failEnd);
        QFETCH(bool, unreadable);
        QFETCH(bool, allBroken);
        QFETCH(bool, existing);
        QFETCH(QString, why);
        ScriptedPrompts prompts;
        FakeMergeScript script;
        script.failEnd = failEnd;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString input = Pdf(allBroken ? QStringLiteral("failed/BROKEN.pdf") : QStringLiteral("failed/a.pdf"));
        Fill(window, {input});
        const QString outFolder = Fresh(QStringLiteral("out"));
        const QString output = outFolder + QStringLiteral("/failed.pdf");
        if (existing) {
            Make(output.mid(folder.path().size() + 1), "the user's own file");
            prompts.questionAnswers = {QMessageBox::Yes};
        }
        if (unreadable)
            window.unreadable.append(outFolder);
        prompts.fileNameAnswers = QStringList{output};
        Click(window, "buttonMergeFiles");
        QTRY_COMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("Could not merge documents.") + (allBroken ? why.arg(input) : why));
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].title, QString());
        QCOMPARE(QFile::exists(output), existing);
        if (existing)
            QCOMPARE(Contents(output), QByteArray("the user's own file"));
        QCOMPARE(QDir(outFolder).entryList(QDir::Files | QDir::Hidden).size(), existing ? 1 : 0);
        QVERIFY(QFile::exists(input));
        QVERIFY(Find<QPushButton>(window, "buttonMergeFiles")->isEnabled());
    }

    void aMergeThatCannotStartSaysWhy()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();

        Click(window, "buttonMergeFiles");
        QCOMPARE(prompts.records.size(), 1);
        QCOMPARE(prompts.records[0].kind, QStringLiteral("warning"));
        QCOMPARE(prompts.records[0].text, QStringLiteral("There are no files to merge."));

        Fill(window, {Pdf(QStringLiteral("nostart/a.pdf"))});
        Click(window, "buttonMergeFiles"); // the save dialog is cancelled
        QCOMPARE(prompts.Of(QStringLiteral("saveFileName")).size(), 1);
        QCOMPARE(Folder(SettingsKey::MergePDFOutputFolder), AppSettings::DocumentsFolder());
        QVERIFY(!window.IsWorking());

        // A target that cannot be opened for writing: the folder is remembered all the same.
        const QString missingFolder = folder.filePath(QStringLiteral("nostart/no such folder"));
        prompts.fileNameAnswers = QStringList{missingFolder + QStringLiteral("/out.pdf")};
        Click(window, "buttonMergeFiles");
        const ScriptedPrompts::Record warning = prompts.Of(QStringLiteral("warning")).last();
        QCOMPARE(warning.title, QStringLiteral("Export failed"));
        QCOMPARE(warning.text, missingFolder + QStringLiteral("/out.pdf cannot be written: No such file or directory"));
        QCOMPARE(Folder(SettingsKey::MergePDFOutputFolder), missingFolder);
        QVERIFY(!window.IsWorking());
        QVERIFY(script.Calls().isEmpty());

        // Only a file that a running program holds is "opened in another application": here the
        // file of a program that runs.
        const QString busy = Fresh(QStringLiteral("busy")) + QStringLiteral("/busy.pdf");
        const RunningProgramFile program(busy);
        if (!program.Unavailable().isEmpty())
            QSKIP(qPrintable(program.Unavailable()));
        prompts.fileNameAnswers = QStringList{busy};
        prompts.questionAnswers = {QMessageBox::Yes};
        Click(window, "buttonMergeFiles");
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text,
                 QStringLiteral("The file you are trying to overwrite is opened in another application."));
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().title, QStringLiteral("Export failed"));
        QVERIFY(!window.IsWorking());
        QVERIFY(script.Calls().isEmpty());
    }

    void anOutputThatIsOneOfTheInputsIsRefused_data()
    {
        QTest::addColumn<QString>("spelling");
        QTest::newRow("same path") << "same";
        QTest::newRow("another spelling") << "spelling";
        QTest::newRow("hard link") << "hard";
        QTest::newRow("symbolic link") << "symbolic";
    }

    void anOutputThatIsOneOfTheInputsIsRefused()
    {
        QFETCH(QString, spelling);
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString dir = Fresh(QStringLiteral("self"));
        const QString other = Pdf(QStringLiteral("self%1/other.pdf").arg(fileNumber));
        const QString input = Pdf(QStringLiteral("self%1/input.pdf").arg(fileNumber), 2);
        const QByteArray before = Contents(input);
        QString output = input;
        if (spelling == QLatin1String("spelling"))
            output = dir + QStringLiteral("/./sub/../input.pdf");
        if (spelling == QLatin1String("hard")) {
            output = dir + QStringLiteral("/hard.pdf");
            QCOMPARE(::link(QFile::encodeName(input).constData(), QFile::encodeName(output).constData()), 0);
        }
        if (spelling == QLatin1String("symbolic")) {
            output = dir + QStringLiteral("/symbolic.pdf");
            QVERIFY(QFile::link(input, output));
        }
        QDir().mkpath(dir + QStringLiteral("/sub"));
        Fill(window, {other, input});

        prompts.fileNameAnswers = QStringList{output};
        Click(window, "buttonMergeFiles");
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("The merged document cannot replace one of the documents to merge. Please choose "
                                "another file."));
        // Refused before anyone is asked whether to replace it: neither the dialog nor the window asks.
        QVERIFY(!prompts.Of(QStringLiteral("saveFileName"))[0].saveOptions.confirmOverwrite);
        QVERIFY(prompts.Of(QStringLiteral("question")).isEmpty());
        QVERIFY(!window.IsWorking());
        QTest::qWait(50);
        QVERIFY(script.Calls().isEmpty());
        QVERIFY(prompts.Of(QStringLiteral("information")).isEmpty());
        QCOMPARE(Contents(input), before);
        QVERIFY(QFileInfo::exists(output));
    }

    // ---- Projects ----

    void projectsSaveAndLoadTheListAsUTF8Lines()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("project/Ünïcødé €.pdf"));
        const QString b = Pdf(QStringLiteral("project/b.pdf"));
        emit List(window)->FilesDropped({a, b});
        QCOMPARE(window.windowTitle(), kTitle + "*");

        // Save without a project is Save As; cancelling it saves nothing and keeps the marker.
        QDir(ProjectsFolder()).removeRecursively();
        Action(window, "actionSave")->trigger();
        const ScriptedPrompts::Record dialog = prompts.Of(QStringLiteral("saveFileName")).first();
        QCOMPARE(dialog.title, QStringLiteral("Save Project"));
        QCOMPARE(dialog.text, ProjectsFolder());
        QCOMPARE(dialog.filter, QStringLiteral("Merge PDF Project (*.mpf)"));
        QVERIFY(QFileInfo(ProjectsFolder()).isDir());
        QCOMPARE(window.windowTitle(), kTitle + "*");

        const QString project = folder.filePath(QStringLiteral("project/list one.mpf"));
        prompts.fileNameAnswers = QStringList{project};
        Action(window, "actionSave_As")->trigger();
        QCOMPARE(Contents(project), (a + "\n" + b + "\n").toUtf8());
        QCOMPARE(window.windowTitle(), kTitle + " - list one");
        QCOMPARE(prompts.Of(QStringLiteral("saveFileName")).last().saveOptions.defaultSuffix, QStringLiteral("mpf"));

        // A name without an extension gets the project's, so that Load lists it.
        const QString bare = folder.filePath(QStringLiteral("project/proj1"));
        prompts.fileNameAnswers = QStringList{bare};
        Action(window, "actionSave_As")->trigger();
        QVERIFY(!QFile::exists(bare));
        QCOMPARE(Contents(bare + ".mpf"), (a + "\n" + b + "\n").toUtf8());
        QCOMPARE(window.windowTitle(), kTitle + " - proj1");
        prompts.fileNameAnswers = QStringList{project};
        Action(window, "actionSave_As")->trigger();

        // Save writes to the project's path without a dialog.
        List(window)->setCurrentRow(1);
        Click(window, "buttonMoveUp");
        QCOMPARE(window.windowTitle(), kTitle + " - list one*");
        Action(window, "actionSave")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("saveFileName")).size(), 4);
        QCOMPARE(Contents(project), (b + "\n" + a + "\n").toUtf8());
        QCOMPARE(window.windowTitle(), kTitle + " - list one");

        // New asks first; No discards the changes.
        emit List(window)->FilesDropped({Pdf(QStringLiteral("project/c.pdf"))});
        prompts.questionAnswers = {QMessageBox::No};
        Action(window, "actionNew")->trigger();
        QVERIFY(Rows(window).isEmpty());
        QCOMPARE(window.windowTitle(), kTitle);
        QCOMPARE(prompts.Of(QStringLiteral("question")).size(), 1);

        prompts.fileNameAnswers = QStringList{project};
        Action(window, "actionLoad")->trigger();
        const ScriptedPrompts::Record load = prompts.Of(QStringLiteral("openFileName")).first();
        QCOMPARE(load.title, QStringLiteral("Load Project"));
        QCOMPARE(load.text, ProjectsFolder());
        QCOMPARE(load.filter, QStringLiteral("Merge PDF Project (*.mpf)"));
        QCOMPARE(Rows(window), (QStringList{b, a}));
        QCOMPARE(List(window)->item(1)->text(), QDir::toNativeSeparators(a));
        QCOMPARE(window.windowTitle(), kTitle + " - list one");

        // Lines as written elsewhere: a byte-order mark, CR LF, an empty line, no final line end.
        // Loaded paths are taken as they are, whether or not the files exist.
        const QString foreign = Make(QStringLiteral("project/foreign.mpf"),
                                     "\xEF\xBB\xBF" "x.pdf\r\n\r\n/gone/y z.pdf");
        prompts.fileNameAnswers = QStringList{foreign};
        Action(window, "actionLoad")->trigger();
        QCOMPARE(Rows(window), (QStringList{"x.pdf", "/gone/y z.pdf"}));
        QCOMPARE(window.windowTitle(), kTitle + " - foreign");
        QVERIFY(prompts.Of(QStringLiteral("warning")).isEmpty());
    }

    void aProjectThatCannotBeReadLeavesTheWindowAsItWas_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("folder") << "folder";
        QTest::newRow("not UTF-8") << "binary";
        QTest::newRow("control character") << "control";
    }

    void aProjectThatCannotBeReadLeavesTheWindowAsItWas()
    {
        QFETCH(QString, kind);
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("badproject/a.pdf"));
        emit List(window)->FilesDropped({a});

        QString path = folder.filePath(QStringLiteral("badproject/missing.mpf"));
        if (kind == QLatin1String("folder"))
            path = Fresh(QStringLiteral("badproject/folder.mpf"));
        if (kind == QLatin1String("binary"))
            path = Make(QStringLiteral("badproject/binary.mpf"), QByteArray("a.pdf\n\xFF\xFE\x00\x01", 10));
        if (kind == QLatin1String("control"))
            path = Make(QStringLiteral("badproject/control.mpf"), "a.pdf\nb\x01.pdf\n");
        prompts.fileNameAnswers = QStringList{path};
        prompts.questionAnswers = {QMessageBox::No}; // discarded only once a project is read
        Action(window, "actionLoad")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text, QStringLiteral("Could not load file."));
        QCOMPARE(Rows(window), QStringList{a});
        QCOMPARE(window.windowTitle(), kTitle + "*");
    }

    void aFailedSaveSaysSoAndKeepsTheOldProject()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        emit List(window)->FilesDropped({Pdf(QStringLiteral("badsave/a.pdf"))});

        prompts.fileNameAnswers = QStringList{folder.filePath(QStringLiteral("badsave/no such folder/p.mpf"))};
        Action(window, "actionSave_As")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text, QStringLiteral("Could not save file."));
        QCOMPARE(window.windowTitle(), kTitle + "*");

        // A folder that may not be written: the old project stays whole. (The superuser may
        // write anywhere, so there this cannot fail.)
        if (::geteuid() == 0)
            QSKIP("running as the superuser, who may write into a read-only folder");
        const QString dir = Fresh(QStringLiteral("readonly"));
        const QString project = dir + QStringLiteral("/old.mpf");
        Make(project.mid(folder.path().size() + 1), "old.pdf\n");
        QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        prompts.fileNameAnswers = QStringList{project};
        Action(window, "actionSave_As")->trigger();
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 2);
        QCOMPARE(Contents(project), QByteArray("old.pdf\n"));
    }

    // ---- Closing ----

    void closingWithUnsavedChangesAsksFirst()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("unsaved/a.pdf"));
        emit List(window)->FilesDropped({a});

        prompts.questionAnswers = {QMessageBox::Cancel};
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QCOMPARE(Rows(window), QStringList{a});
        QCOMPARE(window.windowTitle(), kTitle + "*");
        const ScriptedPrompts::Record question = prompts.Of(QStringLiteral("question")).first();
        QCOMPARE(question.text, QStringLiteral("You have unsaved changes. Do you want to save your settings?"));
        QCOMPARE(question.title, QString());
        QCOMPARE(question.parent.data(), &window);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(question.defaultButton, QMessageBox::NoButton);

        prompts.questionAnswers = {QMessageBox::No};
        QVERIFY(Action(window, "actionExit")->isEnabled());
        Action(window, "actionExit")->trigger();
        QVERIFY(!window.isVisible());
        QVERIFY(Rows(window).isEmpty());
        QCOMPARE(window.windowTitle(), kTitle);

        // Yes saves (through Save As here) and closes.
        window.OpenWindow();
        QVERIFY(Rows(window).isEmpty());
        emit List(window)->FilesDropped({a});
        const QString project = folder.filePath(QStringLiteral("unsaved/kept.mpf"));
        prompts.questionAnswers = {QMessageBox::Yes};
        prompts.fileNameAnswers = QStringList{project};
        QVERIFY(window.close());
        QCOMPARE(Contents(project), (a + "\n").toUtf8());
        QVERIFY(!window.isVisible());
        QCOMPARE(window.windowTitle(), kTitle);
    }

    void closingDuringAMergeStopsItWithoutAReport()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        script.appendDelayMs = 2;
        TestableMergeWindow window(script);
        window.OpenWindow();
        // A long list from a project, so the job is still running when the window closes.
        QByteArray lines;
        for (int i = 0; i < 3000; ++i)
            lines += "/nowhere/" + QByteArray::number(i) + ".pdf\n";
        const QString project = Make(QStringLiteral("closing/long.mpf"), lines);
        prompts.fileNameAnswers = QStringList{project};
        Action(window, "actionLoad")->trigger();
        QCOMPARE(Rows(window).size(), 3000);

        const QString output = Fresh(QStringLiteral("out")) + QStringLiteral("/interrupted.pdf");
        prompts.fileNameAnswers = QStringList{output};
        Click(window, "buttonMergeFiles");
        QTRY_VERIFY(script.appends.load() > 0);

        // No: the job goes on and the window stays.
        prompts.questionAnswers = {QMessageBox::No};
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QVERIFY(window.IsWorking());
        const ScriptedPrompts::Record question = prompts.Of(QStringLiteral("question")).first();
        QCOMPARE(question.text, kInterruption);
        QVERIFY(!question.hadParent);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.defaultButton, QMessageBox::Yes);

        // Yes: the close returns once the job has stopped.
        prompts.questionAnswers = {QMessageBox::Yes};
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
        QVERIFY(!window.IsWorking());
        QVERIFY(script.appends.load() < 3000);
        QVERIFY(script.Calls().endsWith(QStringLiteral("close")));
        QVERIFY(!QFile::exists(output));
        QVERIFY(Rows(window).isEmpty());
        QVERIFY(Find<QPushButton>(window, "buttonMergeFiles")->isEnabled());
        QCOMPARE(Status(window), QString());
        QCOMPARE(Find<QProgressBar>(window, "progressMerge")->value(), 0);
        // Whatever the stopped job had queued is dropped: no report, no progress.
        QTest::qWait(100);
        QCOMPARE(Find<QProgressBar>(window, "progressMerge")->value(), 0);
        QVERIFY(prompts.Of(QStringLiteral("information")).isEmpty());
        QVERIFY(prompts.Of(QStringLiteral("warning")).isEmpty());

        // Opened again, the window merges with a fresh thread.
        script.appendDelayMs = 0;
        window.OpenWindow();
        Fill(window, {Pdf(QStringLiteral("closing/a.pdf"))});
        prompts.fileNameAnswers = QStringList{output};
        Click(window, "buttonMergeFiles");
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
    }

    void aMergeThatEndsWhileTheCloseQuestionIsOpenClosesItAndReports()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        Fill(window, {Pdf(QStringLiteral("ending/a.pdf"))});
        script.CloseGate();
        prompts.fileNameAnswers = QStringList{Fresh(QStringLiteral("out")) + QStringLiteral("/ended.pdf")};
        Click(window, "buttonMergeFiles");
        QTRY_VERIFY(script.waitingAtGate.load());
        // The merge ends while the user still looks at the question.
        prompts.whileQuestionOpen = [&]() {
            script.OpenGate();
            QTRY_VERIFY(prompts.openQuestionClosed);
        };
        QVERIFY(!window.close());
        QVERIFY(window.isVisible() && !window.IsWorking());
        // The save dialog, the question, then (not over it) the report.
        QCOMPARE(prompts.records.size(), 3);
        QVERIFY(prompts.records[1].closedFromOutside);
        QCOMPARE(prompts.records[2].text, QStringLiteral("Documents merged successfully."));
    }

    void destroyingTheWindowDuringAMergeStopsTheJob()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        script.appendDelayMs = 2;
        auto* window = new TestableMergeWindow(script);
        window->OpenWindow();
        const QString input = Pdf(QStringLiteral("destroy/a.pdf"));
        QStringList inputs;
        for (int i = 0; i < 3000; ++i)
            inputs.append(input);
        QByteArray lines = (inputs.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
        prompts.fileNameAnswers = QStringList{Make(QStringLiteral("destroy/long.mpf"), lines)};
        Action(*window, "actionLoad")->trigger();
        const QString output = Fresh(QStringLiteral("out")) + QStringLiteral("/destroyed.pdf");
        prompts.fileNameAnswers = QStringList{output};
        Click(*window, "buttonMergeFiles");
        QTRY_VERIFY(script.appends.load() > 0);
        delete window;
        QVERIFY(script.appends.load() < 3000);
        QVERIFY(!QFile::exists(output));
        QTest::qWait(50);
        QVERIFY(prompts.Of(QStringLiteral("information")).isEmpty());
    }

    void openingTheWindowDuringAMergeKeepsTheJob()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("reopen/a.pdf"));
        const QString b = Pdf(QStringLiteral("reopen/b.pdf"));
        Fill(window, {a, b});
        const QString output = Fresh(QStringLiteral("out")) + QStringLiteral("/kept.pdf");
        script.CloseGate();
        prompts.fileNameAnswers = QStringList{output};
        Click(window, "buttonMergeFiles");
        QTRY_VERIFY(script.waitingAtGate.load());

        window.OpenWindow();
        QVERIFY(window.IsWorking());
        QVERIFY(window.isVisible());
        // The list may change meanwhile; the job merges what it was given.
        prompts.questionAnswers = {QMessageBox::No};
        Action(window, "actionNew")->trigger();
        script.OpenGate();
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        QCOMPARE(Contents(output), "%FAKE\n" + Contents(a) + Contents(b) + "%END\n");
    }

    void projectActionsAndClosingWaitForTheAddLoop()
    {
        ScriptedPrompts prompts;
        FakeMergeScript script;
        TestableMergeWindow window(script);
        window.OpenWindow();
        const QString x = Pdf(QStringLiteral("loop/x.pdf"));
        const QString a = Pdf(QStringLiteral("loop/a.pdf"));
        const QString b = Pdf(QStringLiteral("loop/b.pdf"));
        const QString c = Pdf(QStringLiteral("loop/c.pdf"));
        const QString project = Make(QStringLiteral("loop/x.mpf"), (x + "\n").toUtf8());

        // A Load pressed while the files are checked comes after the loop, not inside it.
        window.duringCheck = [&]() {
            prompts.fileNameAnswers = QStringList{project};
            prompts.questionAnswers = {QMessageBox::No};
            Action(window, "actionLoad")->trigger();
        };
        emit List(window)->FilesDropped({a, b, c});
        QCOMPARE(Rows(window), (QStringList{a, b, c}));
        QVERIFY(prompts.Of(QStringLiteral("openFileName")).isEmpty());
        QTRY_COMPARE(prompts.Of(QStringLiteral("openFileName")).size(), 1);
        QCOMPARE(Rows(window), QStringList{x});
        QCOMPARE(window.windowTitle(), kTitle + " - x");

        // So does a close.
        window.duringCheck = [&]() { window.close(); };
        emit List(window)->FilesDropped({a});
        QVERIFY(window.isVisible());
        QCOMPARE(Rows(window), (QStringList{x, a}));
        prompts.questionAnswers = {QMessageBox::No};
        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(prompts.Of(QStringLiteral("question")).size(), 2); // the Load's, then the close's
        QVERIFY(Rows(window).isEmpty());
        QVERIFY(!window.IsAdding());
    }
};

VELLORAN_APP_TEST_MAIN(MergePDFFilesWindowTest)
#include "MergePDFFilesWindowTest.moc"
