// The About box: its texts, its fixed size and its title bar.

#include "app/AboutDialog.h"
#include "app/support/AppTestMain.h"

#include <QLabel>

class AboutDialogTest : public QObject {
    Q_OBJECT

private slots:
    void titleLabelShowsTheVersion()
    {
        AboutDialog dialog;
        auto* title = dialog.findChild<QLabel*>(QStringLiteral("labelTitle"));
        QVERIFY(title);
        QCOMPARE(title->text(), QStringLiteral("Velloran Version 1.2.0"));
        QVERIFY(title->font().bold());
        QCOMPARE(title->font().pointSize(), 10);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
    }

    void creditsAndNotice()
    {
        AboutDialog dialog;
        auto text = [&dialog](const char* name) {
            auto* label = dialog.findChild<QLabel*>(QLatin1String(name));
            return label ? label->text() : QStringLiteral("<missing>");
        };
        QCOMPARE(text("label_2"), QStringLiteral("Velloran uses the following libraries:"));
        QCOMPARE(text("label_10"), QString());
        QVERIFY(text("label_7").startsWith(QLatin1String("Qt Open Source - ")));
        QVERIFY(text("label_5").startsWith(QLatin1String("JagPDF - ")));
        QVERIFY(text("label_3").startsWith(QLatin1String("Kestrin PDF Writer - ")));
        QVERIFY(text("label_6").startsWith(QLatin1String("Tesseract OCR - ")));
        QVERIFY(text("label_8").startsWith(QLatin1String("Leptonica - ")));
        QVERIFY(!text("label_4").isEmpty());

        auto* link = dialog.findChild<QLabel*>(QStringLiteral("label_9"));
        QVERIFY(link);
        QVERIFY(link->openExternalLinks());
        QCOMPARE(link->textFormat(), Qt::RichText);
        QVERIFY(link->text().contains(QLatin1String("<a href=\"https://")));
    }

    void cannotBeResizedAndHasNoContextHelp()
    {
        AboutDialog dialog;
        QCOMPARE(dialog.minimumSize(), QSize(550, 271));
        QCOMPARE(dialog.maximumSize(), QSize(550, 271));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    }

    void escapeSimplyEndsIt()
    {
        AboutDialog dialog;
        dialog.open();
        QVERIFY(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
};

VELLORAN_APP_TEST_MAIN(AboutDialogTest)
#include "AboutDialogTest.moc"
