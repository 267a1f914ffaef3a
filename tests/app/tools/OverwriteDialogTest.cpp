// The overwrite question: its four answers, Escape and close, and the shared answer field.

#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/tools/OverwriteDecision.h"
#include "app/tools/OverwriteDialog.h"

#include <QLabel>
#include <QPushButton>

#include <atomic>
#include <thread>

class OverwriteDialogTest : public QObject {
    Q_OBJECT

private slots:
    void defaults()
    {
        QWidget window;
        OverwriteDialog dialog(&window);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Overwrite"));
        QCOMPARE(dialog.answer, int(OverwriteDecision::No));
        QVERIFY(dialog.filePath.isEmpty());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    }

    void showingPutsThePathInTheLabel()
    {
        OverwriteDialog dialog;
        dialog.filePath = QStringLiteral("/out/<b>report</b>_Cropped.pdf");
        dialog.open();
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("labelFile"));
        QCOMPARE(label->text(), QDir::toNativeSeparators(dialog.filePath));
        QCOMPARE(label->textFormat(), Qt::PlainText); // a file name is never read as markup
        dialog.reject();
    }

    void eachButtonAnswersAndAccepts_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << "buttonYes" << int(OverwriteDecision::Yes);
        QTest::newRow("yes to all") << "buttonYesToAll" << int(OverwriteDecision::YesToAll);
        QTest::newRow("no") << "buttonNo" << int(OverwriteDecision::No);
        QTest::newRow("no to all") << "buttonNoToAll" << int(OverwriteDecision::NoToAll);
    }

    void eachButtonAnswersAndAccepts()
    {
        QFETCH(QString, button);
        QFETCH(int, answer);
        OverwriteDialog dialog;
        dialog.open();
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.answer, answer);
    }

    void escapeAndCloseAnswerNo()
    {
        OverwriteDialog escaped;
        escaped.open();
        QTest::keyClick(&escaped, Qt::Key_Escape);
        QVERIFY(!escaped.isVisible());
        QCOMPARE(escaped.result(), int(QDialog::Rejected));
        QCOMPARE(escaped.answer, int(OverwriteDecision::No));

        OverwriteDialog closed;
        closed.open();
        QVERIFY(closed.close());
        QCOMPARE(closed.result(), int(QDialog::Rejected));
        QCOMPARE(closed.answer, int(OverwriteDecision::No));
    }

    void decisionKeepsOnlyKnownAnswers()
    {
        OverwriteDecision decision;
        QCOMPARE(decision.Load(), int(OverwriteDecision::Pending));
        decision.Store(OverwriteDecision::YesToAll);
        QVERIFY(decision.AnswersForAll());
        QVERIFY(decision.AllowsOverwrite());
        decision.Store(OverwriteDecision::NoToAll);
        QVERIFY(decision.AnswersForAll());
        QVERIFY(!decision.AllowsOverwrite());
        decision.Store(0);
        QCOMPARE(decision.Load(), int(OverwriteDecision::No)); // an answer is never "still pending"
        decision.Store(17);
        QCOMPARE(decision.Load(), int(OverwriteDecision::No));
        decision.Reset();
        QCOMPARE(decision.Load(), int(OverwriteDecision::Pending));
        QVERIFY(!decision.AnswersForAll());
    }

    void workerWaitsForTheWindowsAnswer()
    {
        OverwriteDecision decision;
        std::atomic<int> seen{-1};
        std::thread worker([&] { seen = decision.WaitForAnswer(); });
        decision.Store(OverwriteDecision::YesToAll);
        worker.join();
        QCOMPARE(seen.load(), int(OverwriteDecision::YesToAll));
    }

    void aStoppedWaitAnswersNo()
    {
        OverwriteDecision decision;
        std::atomic<bool> stop{false};
        std::atomic<int> seen{-1};
        std::thread worker([&] { seen = decision.WaitForAnswer(&stop); });
        stop = true;
        worker.join();
        QCOMPARE(seen.load(), int(OverwriteDecision::No));
        QCOMPARE(decision.Load(), int(OverwriteDecision::Pending));
    }

    void windowsAskThroughThePrompts()
    {
        ScriptedPrompts prompts;
        prompts.overwriteAnswers = {OverwriteDecision::NoToAll};
        QWidget window;
        OverwriteDecision decision;
        decision.Store(Prompts().AskOverwrite(&window, QStringLiteral("/out/a_Split.pdf")));
        QCOMPARE(decision.Load(), int(OverwriteDecision::NoToAll));
        // Unscripted, the question is answered as if it were closed: No.
        decision.Store(Prompts().AskOverwrite(&window, QStringLiteral("/out/b_Split.pdf")));
        QCOMPARE(decision.Load(), int(OverwriteDecision::No));
        const auto asked = prompts.Of(QStringLiteral("overwrite"));
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].text, QStringLiteral("/out/a_Split.pdf"));
        QCOMPARE(asked[0].parent.data(), &window);
    }
};

VELLORAN_APP_TEST_MAIN(OverwriteDialogTest)
#include "OverwriteDialogTest.moc"
