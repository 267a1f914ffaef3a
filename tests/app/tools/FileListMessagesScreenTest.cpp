// The messages that list files, as the real boxes show them on a small real screen (1024 x 768
// under Xvfb, see tests/CMakeLists.txt): with hundreds of files, or a name wider than the screen,
// the box stays on the screen with its OK button, scrolls the text it was given, as it was given,
// and closes with that button.

#include "app/AppIdentity.h"
#include "app/MessageDialog.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/TestPDF.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/split/SplitPDFFilesWindow.h"

#include <QAction>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QScrollBar>
#include <QTimer>

namespace {

QRect Area()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Scripted answers, but the real warning boxes: each is looked at and closed with its OK button
// from a timer that runs in the box's own event loop, so that no test waits on it.
class RealWarningPrompts : public ScriptedPrompts {
public:
    struct Seen {
        QRect frame;
        QRect ok;
        QString text;
        bool scrollsDown = false;
        bool scrollsSideways = false;
        bool closedByOk = false;
    };
    QList<Seen> seen;

    void Warning(QWidget* parent, const QString& title, const QString& text) override
    {
        ScriptedPrompts::Warning(parent, title, text);
        QTimer::singleShot(0, [this]() { LookAndClose(); });
        QtPrompts().Warning(parent, title, text);
    }

private:
    void LookAndClose()
    {
        QWidget* modal = QApplication::activeModalWidget();
        Seen look;
        if (auto* box = qobject_cast<MessageDialog*>(modal); box && QTest::qWaitForWindowExposed(box)) {
            QCoreApplication::processEvents(); // the scroll bars settle
            look.frame = box->frameGeometry();
            look.ok = QRect(box->OkButton()->mapToGlobal(QPoint(0, 0)), box->OkButton()->size());
            look.text = box->Text();
            auto* area = box->findChild<QScrollArea*>();
            const QScrollBar* down = area->verticalScrollBar();
            const QScrollBar* sideways = area->horizontalScrollBar();
            look.scrollsDown = down->isVisible() && down->maximum() > 0;
            look.scrollsSideways = sideways->isVisible() && sideways->maximum() > 0;
            QTest::mouseClick(box->OkButton(), Qt::LeftButton);
            look.closedByOk = !box->isVisible();
        }
        seen.append(look);
        if (modal && modal->isVisible())
            modal->close();
    }
};

} // namespace

class FileListMessagesScreenTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

    // Files named *.pdf that hold no PDF document, in a folder of their own.
    QStringList Unreadable(const QString& name, const QStringList& fileNames)
    {
        QDir().mkpath(folder.filePath(name));
        QStringList paths;
        for (const QString& fileName : fileNames) {
            paths << folder.filePath(name + QLatin1Char('/') + fileName);
            if (!TestPDF::Write(paths.last(), "not a PDF file"))
                qFatal("cannot write %s", qPrintable(paths.last()));
        }
        return paths;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1024, 768));
        AppIdentity::Instance();
        QSettings().clear();
    }

    void longListsOfFilesFitTheScreen_data()
    {
        const QString unloadable = QStringLiteral(
            "The following PDF documents are either encrypted or have an unknown format and could not be loaded:\n\n");
        QStringList many;
        for (int i = 1; i <= 300; ++i)
            many << QStringLiteral("notes %1.pdf").arg(i, 3, 10, QLatin1Char('0'));
        QTest::addColumn<bool>("job");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("header");
        QTest::addColumn<bool>("scrollsDown");
        QTest::addColumn<bool>("scrollsSideways");
        QTest::newRow("300 unloadable files added from a folder")
            << false << Unreadable("many", many) << unloadable << true << false;
        QTest::newRow("a job whose 300 files fail")
            << true << Unreadable("job", many) << QStringLiteral("The following PDF documents could not be split:\n\n")
            << true << false;
        // A word wider than the screen cannot wrap.
        QTest::newRow("a file whose name is wider than the screen")
            << false << Unreadable("wide", {QString(200, QLatin1Char('w')) + ".pdf"}) << unloadable << false << true;
    }

    void longListsOfFilesFitTheScreen()
    {
        QFETCH(bool, job);
        QFETCH(QStringList, files);
        QFETCH(QString, header);
        QFETCH(bool, scrollsDown);
        QFETCH(bool, scrollsSideways);
        RealWarningPrompts prompts;
        SplitPDFFilesWindow window;
        window.OpenWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (job) {
            // A project can list files that adding would refuse.
            const QString project = folder.filePath(QStringLiteral("unreadable.spf"));
            QVERIFY(TestPDF::Write(project, (files.join(QLatin1Char('\n')) +
                                             "\nEndOfList\n1\n1\n[1-4],5,[6-9]\n[FileName]\n" + folder.path())
                                                .toUtf8()));
            prompts.fileNameAnswers = QStringList{project};
            Find<QAction>(window, "actionLoad")->trigger();
            Find<QPushButton>(window, "buttonSplitFiles")->click();
        } else {
            prompts.folderAnswers = QStringList{QFileInfo(files.first()).path()};
            Find<QAction>(window, "actionAddFolder")->trigger();
        }
        QTRY_COMPARE(prompts.seen.size(), 1);
        const QString text = prompts.Of(QStringLiteral("warning")).value(0).text;
        QVERIFY(text.startsWith(header));
        QCOMPARE(text.count(QLatin1Char('\n')), files.size() + 2);
        const RealWarningPrompts::Seen& seen = prompts.seen[0];
        QCOMPARE(seen.text, text);
        QVERIFY2(Area().contains(seen.frame),
                 qPrintable(QStringLiteral("%1 x %2").arg(seen.frame.width()).arg(seen.frame.height())));
        QVERIFY(Area().contains(seen.ok));
        QCOMPARE(seen.scrollsDown, scrollsDown);
        QCOMPARE(seen.scrollsSideways, scrollsSideways);
        QVERIFY(seen.closedByOk);
    }
};

VELLORAN_APP_TEST_MAIN(FileListMessagesScreenTest)
#include "FileListMessagesScreenTest.moc"
