// Closing a window that holds unsaved changes, in the five windows that keep projects: only No,
// or a save that wrote the project, lets the close go on. A save dialog that was cancelled, a
// Save As into a folder that is not there, and a save whose project folder has gone all keep the
// window open with its list, its settings and its "*"; Cancel keeps it too, and No resets it.
// New and Load ask the same question, Load before its file dialog.

#include "app/AppIdentity.h"
#include "app/create/CreateNewPDFWindow.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/TestPDF.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/ListPDFFiles.h"
#include "app/tools/crop/CropPDFFilesWindow.h"
#include "app/tools/merge/MergePDFFilesWindow.h"
#include "app/tools/split/SplitPDFFilesWindow.h"
#include "app/tools/watermark/WatermarkPDFFilesWindow.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTextEdit>

#include <memory>
#include <utility>

namespace {

// What the window shows: the title and every control's value, by object name.
QStringList Snapshot(QMainWindow& window)
{
    QStringList values{window.windowTitle()};
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (name.isEmpty())
            continue;
        if (auto* list = qobject_cast<QListWidget*>(widget)) {
            for (int row = 0; row < list->count(); ++row)
                values << name + QLatin1Char('=') + list->item(row)->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            values << name + QLatin1Char('=') + edit->text();
        } else if (auto* text = qobject_cast<QTextEdit*>(widget)) {
            values << name + QLatin1Char('=') + text->toHtml();
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            values << name + QLatin1Char('=') + combo->currentText();
        } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget)) {
            values << name + QLatin1Char('=') + spin->text();
        } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
            values << name + QLatin1Char('=') + QString::number(slider->value());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable()) {
            values << name + QLatin1Char('=') + QString::number(button->isChecked());
        }
    }
    return values;
}

} // namespace

class ClosingWithUnsavedChangesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    QString pdf;
    QString otherPdf;
    int number = 0;

    // The window of a row, shown as its button in the main window shows it, and its changes:
    // a file in the list, a setting of its own, text in the editor.
    static std::unique_ptr<QMainWindow> Open(const QString& tool)
    {
        std::unique_ptr<QMainWindow> window;
        if (tool == QLatin1String("editor")) {
            auto* editor = new CreateNewPDFWindow(nullptr);
            window.reset(editor);
            editor->show();
        } else {
            FileToolWindow* frame = nullptr;
            if (tool == QLatin1String("merge"))
                frame = new MergePDFFilesWindow(nullptr);
            else if (tool == QLatin1String("split"))
                frame = new SplitPDFFilesWindow(nullptr);
            else if (tool == QLatin1String("watermark"))
                frame = new WatermarkPDFFilesWindow(nullptr);
            else
                frame = new CropPDFFilesWindow(nullptr);
            window.reset(frame);
            frame->OpenWindow();
        }
        return window;
    }

    static void Change(QMainWindow& window, const QString& pdf, const QString& text)
    {
        if (auto* list = window.findChild<ListPDFFiles*>(QStringLiteral("listPDFFiles")))
            emit list->FilesDropped({pdf});
        if (auto* names = window.findChild<QLineEdit*>(QStringLiteral("editOutputNames")))
            names->setText(text + QStringLiteral(" [FileName]"));
        if (auto* editor = window.findChild<QTextEdit*>(QStringLiteral("editNewPDF")))
            QTest::keyClicks(editor, text);
    }

    static void Trigger(QMainWindow& window, const char* name) { Find<QAction>(window, name)->trigger(); }

    // The windows that keep projects, with their projects' extensions.
    static constexpr std::pair<const char*, const char*> kTools[] = {
        {"merge", "mpf"}, {"split", "spf"}, {"watermark", "wpf"}, {"crop", "cpf"}, {"editor", "cnp"}};

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        AppIdentity::Instance();
        pdf = folder.filePath(QStringLiteral("a.pdf"));
        QVERIFY(TestPDF::Write(pdf, TestPDF::Make({QStringLiteral("one"), QStringLiteral("two")})));
        otherPdf = folder.filePath(QStringLiteral("b.pdf"));
        QVERIFY(TestPDF::Write(otherPdf, TestPDF::Make({QStringLiteral("three")})));
    }

    void closeGoesOnOnlyWhenTheChangesAreSavedOrDiscarded_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("extension"); // of the tool's projects
        // "as cancelled": Yes, and the Save Project dialog cancelled; "as fails": Yes, and a name
        // in a folder that is not there; "save fails": Yes, on a saved project whose folder has
        // gone since; "saved": Yes, and a name where the project can be written.
        QTest::addColumn<QString>("road");
        QTest::addColumn<bool>("closes");
        for (const auto& [tool, extension] : kTools) {
            const auto row = [tool = tool, extension = extension](const char* road, bool closes) {
                QTest::addRow("%s, %s", tool, road) << QString::fromLatin1(tool) << QString::fromLatin1(extension)
                                                    << QString::fromLatin1(road) << closes;
            };
            row("as cancelled", false);
            row("as fails", false);
            row("save fails", false);
            row("cancel", false);
            row("no", true);
            row("saved", true);
        }
    }

    void closeGoesOnOnlyWhenTheChangesAreSavedOrDiscarded()
    {
        QFETCH(QString, tool);
        QFETCH(QString, extension);
        QFETCH(QString, road);
        QFETCH(bool, closes);
        ScriptedPrompts prompts;
        const std::unique_ptr<QMainWindow> window = Open(tool);
        const QStringList defaults = Snapshot(*window);
        const QString projects = folder.filePath(QStringLiteral("projects%1").arg(++number));
        QVERIFY(QDir().mkpath(projects));
        const QString project = projects + QStringLiteral("/kept.") + extension;

        if (road == QLatin1String("save fails")) {
            // Saved once, changed again, and then the project's folder is removed.
            Change(*window, pdf, QStringLiteral("first"));
            prompts.fileNameAnswers = QStringList{project};
            Trigger(*window, "actionSave_As");
            QVERIFY(QFile::exists(project));
            QVERIFY(!window->windowTitle().contains(QLatin1Char('*')));
            QVERIFY(QDir(projects).removeRecursively());
        }
        Change(*window, pdf, QStringLiteral("second"));
        const QStringList changed = Snapshot(*window);
        QVERIFY(changed.first().endsWith(QLatin1Char('*')));
        QVERIFY(changed != defaults);

        prompts.questionAnswers = {road == QLatin1String("cancel") ? QMessageBox::Cancel
                                   : road == QLatin1String("no")   ? QMessageBox::No
                                                                   : QMessageBox::Yes};
        if (road == QLatin1String("as fails"))
            prompts.fileNameAnswers = QStringList{projects + QStringLiteral("/missing/kept.") + extension};
        else if (road == QLatin1String("saved"))
            prompts.fileNameAnswers = QStringList{project};
        const int dialogsBefore = prompts.Of(QStringLiteral("saveFileName")).size();

        QCOMPARE(window->close(), closes);
        QCOMPARE(prompts.Of(QStringLiteral("question")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("question"))[0].text,
                 QStringLiteral("You have unsaved changes. Do you want to save your settings?"));
        const bool fails = road.endsWith(QLatin1String("fails"));
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), fails ? 1 : 0);
        if (fails)
            QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text, QStringLiteral("Could not save file."));
        QCOMPARE(window->isVisible(), !closes);
        if (closes) {
            // The window is back at its defaults, saved or discarded alike.
            QCOMPARE(Snapshot(*window), defaults);
            QCOMPARE(QFile::exists(project), road == QLatin1String("saved"));
            return;
        }
        QCOMPARE(Snapshot(*window), changed);

        // A Save As that failed left no project behind: the next save asks for a name again.
        prompts.questionAnswers.clear();
        prompts.fileNameAnswers.clear();
        Trigger(*window, "actionSave");
        QCOMPARE(prompts.Of(QStringLiteral("saveFileName")).size() - dialogsBefore,
                 road == QLatin1String("save fails") ? 0 : road == QLatin1String("cancel") ? 1 : 2);
        QCOMPARE(Snapshot(*window), changed);
    }

    void newAndLoadAskBeforeDiscardingChanges_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("action");
        for (const auto& [tool, extension] : kTools)
            for (const char* action : {"actionNew", "actionLoad"})
                QTest::addRow("%s, %s", tool, action)
                    << QString::fromLatin1(tool) << QString::fromLatin1(extension) << QString::fromLatin1(action);
    }

    // Cancel, and Yes with a save that fails, keep what the window holds (Load opens no file
    // dialog); No discards it for the defaults or for the project loaded.
    void newAndLoadAskBeforeDiscardingChanges()
    {
        QFETCH(QString, tool);
        QFETCH(QString, extension);
        QFETCH(QString, action);
        const QString projects = folder.filePath(QStringLiteral("projects%1").arg(++number));
        const QString gone = projects + QStringLiteral("/gone");
        QVERIFY(QDir().mkpath(gone));
        const QString loadable = projects + QStringLiteral("/kept.") + extension;
        ScriptedPrompts prompts;
        const std::unique_ptr<QMainWindow> window = Open(tool);
        const QStringList defaults = Snapshot(*window);

        // Saved in a folder that then goes, so that saving again fails; a copy stays to be loaded.
        Change(*window, pdf, QStringLiteral("first"));
        prompts.fileNameAnswers = QStringList{gone + QStringLiteral("/kept.") + extension};
        Trigger(*window, "actionSave_As");
        QVERIFY(QFile::copy(gone + QStringLiteral("/kept.") + extension, loadable));
        QVERIFY(QDir(gone).removeRecursively());
        const QStringList saved = Snapshot(*window);
        Change(*window, otherPdf, QStringLiteral("second"));
        const QStringList changed = Snapshot(*window);
        for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Yes}) {
            prompts.questionAnswers = {answer};
            prompts.fileNameAnswers = QStringList{loadable};
            Trigger(*window, qPrintable(action));
            QCOMPARE(Snapshot(*window), changed);
        }
        QCOMPARE(prompts.Of(QStringLiteral("openFileName")).size(), 0);
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text, QStringLiteral("Could not save file."));

        prompts.questionAnswers = {QMessageBox::No};
        Trigger(*window, qPrintable(action));
        QCOMPARE(Snapshot(*window), action == QLatin1String("actionNew") ? defaults : saved);
        QCOMPARE(prompts.Of(QStringLiteral("question")).size(), 3);
        for (const ScriptedPrompts::Record& question : prompts.Of(QStringLiteral("question")))
            QCOMPARE(question.text, QStringLiteral("You have unsaved changes. Do you want to save your settings?"));
    }
};

VELLORAN_APP_TEST_MAIN(ClosingWithUnsavedChangesTest)
#include "ClosingWithUnsavedChangesTest.moc"
