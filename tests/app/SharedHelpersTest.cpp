// The small shared helpers: the title marker, name cleaning, rounding, the cursor's line.

#include "app/SetModifiedMarker.h"
#include "app/SharedHelpers.h"
#include "app/support/AppTestMain.h"

#include <QTextBlock>
#include <QTextEdit>

class SharedHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void markerIsAddedOnceAndRemovedEverywhere()
    {
        QWidget window;
        window.setWindowTitle(QStringLiteral("Merge PDF Documents"));
        QVERIFY(!HasModifiedMarker(&window));
        SetModifiedMarker(&window, true);
        SetModifiedMarker(&window, true);
        QCOMPARE(window.windowTitle(), QStringLiteral("Merge PDF Documents*"));
        QVERIFY(HasModifiedMarker(&window));
        SetModifiedMarker(&window, false);
        QCOMPARE(window.windowTitle(), QStringLiteral("Merge PDF Documents"));

        // A project named with a "*" counts as changed; unmarking removes every "*".
        window.setWindowTitle(QStringLiteral("Split PDF Documents - a*b"));
        SetModifiedMarker(&window, true);
        QCOMPARE(window.windowTitle(), QStringLiteral("Split PDF Documents - a*b"));
        SetModifiedMarker(&window, false);
        QCOMPARE(window.windowTitle(), QStringLiteral("Split PDF Documents - ab"));
    }

    void sanitizeRemovesTheNineCharactersOnly()
    {
        QCOMPARE(SanitizeFileName(QStringLiteral("a/b:c*d?.pdf")), QStringLiteral("abcd.pdf"));
        QCOMPARE(SanitizeFileName(QStringLiteral("\\/:*?\"<>|")), QString());
        QCOMPARE(SanitizeFileName(QStringLiteral("[FileName]_Cropped")), QStringLiteral("[FileName]_Cropped"));
        QCOMPARE(SanitizeFileName(QStringLiteral(" Ä. é #1 ")), QStringLiteral(" Ä. é #1 "));
        QCOMPARE(QString::fromLatin1(kForbiddenFileNameCharacters).size(), 9);
    }

    void roundHalfUpAlsoBelowZero()
    {
        QCOMPARE(RoundHalfUp(0.49), 0.0);
        QCOMPARE(RoundHalfUp(0.5), 1.0);
        QCOMPARE(RoundHalfUp(-0.5), 0.0);
        QCOMPARE(RoundHalfUp(2.5), 3.0);
        QCOMPARE(RoundHalfUp(-2.5), -2.0);
        QCOMPARE(RoundHalfUp(-2.51), -3.0);
    }

    void currentTextLineOfALaidOutCursor()
    {
        QTextEdit edit;
        edit.resize(400, 300);
        edit.setPlainText(QStringLiteral("first paragraph\nsecond"));
        edit.show();
        QTextCursor cursor(edit.document());
        cursor.movePosition(QTextCursor::NextBlock);
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
        const QTextLine line = CurrentTextLine(cursor);
        QVERIFY(line.isValid());
        QCOMPARE(line.textStart(), 0);
        QCOMPARE(line.textLength(), 6);

        QVERIFY(!CurrentTextLine(QTextCursor()).isValid());
    }
};

VELLORAN_APP_TEST_MAIN(SharedHelpersTest)
#include "SharedHelpersTest.moc"
