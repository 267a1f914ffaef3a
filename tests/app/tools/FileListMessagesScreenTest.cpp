// Messages that list hundreds of files, or a name wider than the screen, as the real boxes show
// them on a small real screen (1024 x 768 under Xvfb): on the screen, OK in reach, text scrolled.

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

// Scripted answers, but the real warning boxes, each given to `look` from a timer that runs in
// the box's own event loop (so that no test waits on it) and closed if `look` left it open.
class RealWarningPrompts : public ScriptedPrompts {
public:
    std::function<void(MessageDialog&)> look;

    void Warning(QWidget* parent, const QString& title, const QString& text) override
    {
        ScriptedPrompts::Warning(parent, title, text);
        QTimer::singleShot(0, [this]() {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<MessageDialog*>(modal); box && QTest::qWaitForWindowExposed(box))
                look(*box);
            if (modal && modal->isVisible())
                modal->close();
        });
        QtPrompts().Warning(parent, title, text);
    }
};

} // namespace

class FileListMessagesScreenTest : public QObject {
    Q_OBJECT

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
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1024, 768));
        AppIdentity::Instance();
        QSettings().clear();
    }

    void longListsOfFilesFitTheScreen_data()
    {
        QStringList many;
        for (int i = 1; i <= 300; ++i)
            many << QStringLiteral("notes %1.pdf").arg(i, 3, 10, QLatin1Char('0'));
        many = Unreadable("many", many);
        QTest::addColumn<bool>("job"); // else the files are added from their folder
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<Qt::Orientation>("scrolls");
        QTest::newRow("300 unloadable files added") << false << many << Qt::Vertical;
        QTest::newRow("a job whose 300 files fail") << true << many << Qt::Vertical;
        // A word wider than the screen cannot wrap.
        QTest::newRow("a name wider than the screen")
            << false << Unreadable("wide", {QString(200, QLatin1Char('w')) + ".pdf"}) << Qt::Horizontal;
    }

    void longListsOfFilesFitTheScreen()
    {
        QFETCH(bool, job);
        QFETCH(QStringList, files);
        QFETCH(Qt::Orientation, scrolls);
        RealWarningPrompts prompts;
        int looked = 0;
        prompts.look = [&](MessageDialog& box) {
            ++looked;
            QCoreApplication::processEvents(); // the scroll bars settle
            const QString text = prompts.Of(QStringLiteral("warning")).value(0).text;
            QCOMPARE(text.count(QLatin1Char('\n')), files.size() + 2);
            QCOMPARE(box.Text(), text);
            const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY(area.contains(box.frameGeometry()));
            QVERIFY(area.contains(QRect(box.OkButton()->mapToGlobal(QPoint(0, 0)), box.OkButton()->size())));
            for (const QScrollBar* bar : {box.findChild<QScrollArea*>()->verticalScrollBar(),
                                          box.findChild<QScrollArea*>()->horizontalScrollBar()})
                QCOMPARE(bar->isVisible() && bar->maximum() > 0, bar->orientation() == scrolls);
            QTest::mouseClick(box.OkButton(), Qt::LeftButton);
            QVERIFY(!box.isVisible());
        };
        SplitPDFFilesWindow window;
        window.OpenWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (job) {
            // A project can list files that adding would refuse.
            const QString project = folder.filePath(QStringLiteral("unreadable.spf"));
            const QString list = files.join(QLatin1Char('\n')) + "\nEndOfList\n1\n1\n[1-4],5,[6-9]\n[FileName]\n";
            QVERIFY(TestPDF::Write(project, (list + folder.path()).toUtf8()));
            prompts.fileNameAnswers = QStringList{project};
            Find<QAction>(window, "actionLoad")->trigger();
            Find<QPushButton>(window, "buttonSplitFiles")->click();
        } else {
            prompts.folderAnswers = QStringList{QFileInfo(files.first()).path()};
            Find<QAction>(window, "actionAddFolder")->trigger();
        }
        QTRY_COMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(looked, 1);
    }
};

VELLORAN_APP_TEST_MAIN(FileListMessagesScreenTest)
#include "FileListMessagesScreenTest.moc"
