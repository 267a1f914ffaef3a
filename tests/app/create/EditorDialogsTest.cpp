// The page settings and image size dialogs: their forms, the fields they show and take, the
// linked width and height, the question before a size larger than a page, and an image without a
// size.

#include "app/create/PDFPageSettingsDialog.h"
#include "app/create/ResizeImageDialog.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

class EditorDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void pageSettingsForm()
    {
        PDFPageSettingsDialog dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("PDFPageSettingsDialog"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("PDF Page Settings"));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("comboPageType"));
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("A4"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Letter"));
        auto* spin = dialog.findChild<QSpinBox*>(QStringLiteral("spinPageMargin"));
        QCOMPARE(spin->minimum(), 0);
        QCOMPARE(spin->maximum(), 99);
        QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("buttonExport"))->text(), QStringLiteral("Export"));
    }

    void pageSettingsShowAndTakeTheFields()
    {
        PDFPageSettingsDialog dialog;
        dialog.pageType = 0;
        dialog.margin = 50;
        dialog.ShowSettings();
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("comboPageType"));
        auto* spin = dialog.findChild<QSpinBox*>(QStringLiteral("spinPageMargin"));
        QCOMPARE(combo->currentText(), QStringLiteral("A4"));
        QCOMPARE(spin->value(), 50);

        dialog.open();
        QTest::keyClick(combo, Qt::Key_Down); // a choice by the user is "activated"
        QCOMPARE(dialog.pageType, 1);
        spin->setValue(72);
        QCOMPARE(dialog.margin, 72);
        spin->setValue(150);
        QCOMPARE(dialog.margin, 99);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("buttonExport")), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        PDFPageSettingsDialog cancelled;
        cancelled.margin = 120; // more than the box takes
        cancelled.ShowSettings();
        QCOMPARE(cancelled.margin, 99);
        cancelled.open();
        QTest::mouseClick(cancelled.findChild<QPushButton*>(QStringLiteral("buttonCancel")), Qt::LeftButton);
        QCOMPARE(cancelled.result(), int(QDialog::Rejected));
    }

    void resizeForm()
    {
        ResizeImageDialog dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("ResizeImageDialog"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Resize Image"));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
        for (const QString& name : {QStringLiteral("spinWidth"), QStringLiteral("spinHeight")}) {
            auto* spin = dialog.findChild<QSpinBox*>(name);
            QCOMPARE(spin->minimum(), 1);
            QCOMPARE(spin->maximum(), 10000);
        }
    }

    // The image's size as the dialog opens with it, then one change by the user of either box.
    void linkedWidthAndHeight_data()
    {
        QTest::addColumn<int>("imageWidth");
        QTest::addColumn<int>("imageHeight");
        QTest::addColumn<QSize>("opened");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("typed");
        QTest::addColumn<QSize>("linked");
        QTest::newRow("width 200") << 400 << 300 << QSize(400, 300) << "spinWidth" << 200 << QSize(200, 150);
        QTest::newRow("height 600") << 400 << 300 << QSize(400, 300) << "spinHeight" << 600 << QSize(800, 600);
        // Single precision: 4 / (4 / 7) truncates to 6.
        QTest::newRow("4 x 7") << 4 << 7 << QSize(4, 6) << "spinHeight" << 14 << QSize(8, 14);
        QTest::newRow("1 x 7") << 1 << 7 << QSize(1, 7) << "spinHeight" << 14 << QSize(2, 14);
        // The linked side never falls below 1 nor rises above 10000.
        QTest::newRow("thin to 1") << 400 << 3 << QSize(400, 3) << "spinWidth" << 10 << QSize(10, 1);
        QTest::newRow("tall to 10000") << 10 << 250 << QSize(10, 250) << "spinWidth" << 500 << QSize(500, 10000);
        QTest::newRow("larger than the boxes") << 20000 << 100 << QSize(10000, 50) << "spinHeight" << 60
                                               << QSize(10000, 60);
    }

    void linkedWidthAndHeight()
    {
        QFETCH(int, imageWidth);
        QFETCH(int, imageHeight);
        QFETCH(QSize, opened);
        QFETCH(QString, box);
        QFETCH(int, typed);
        QFETCH(QSize, linked);
        ResizeImageDialog dialog;
        dialog.width = imageWidth;
        dialog.height = imageHeight;
        QVERIFY(dialog.ShowSize());
        auto* width = dialog.findChild<QSpinBox*>(QStringLiteral("spinWidth"));
        auto* height = dialog.findChild<QSpinBox*>(QStringLiteral("spinHeight"));
        QCOMPARE(QSize(dialog.width, dialog.height), opened);
        QCOMPARE(QSize(width->value(), height->value()), opened);

        dialog.findChild<QSpinBox*>(box)->setValue(typed);
        QCOMPARE(QSize(dialog.width, dialog.height), linked);
        QCOMPARE(QSize(width->value(), height->value()), linked);
        QVERIFY(dialog.acceptChange);
    }

    // A change that leaves the other box as it was does not block the next one.
    void everyChangeUpdatesTheOtherBox()
    {
        ResizeImageDialog dialog;
        dialog.width = 400;
        dialog.height = 300;
        QVERIFY(dialog.ShowSize());
        auto* width = dialog.findChild<QSpinBox*>(QStringLiteral("spinWidth"));
        auto* height = dialog.findChild<QSpinBox*>(QStringLiteral("spinHeight"));
        width->setValue(401); // the height stays 300
        QCOMPARE(height->value(), 300);
        width->setValue(200);
        QCOMPARE(height->value(), 150);
        height->setValue(30);
        QCOMPARE(width->value(), 40);
    }

    void aSizeLargerThanAPageAsksFirst_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("612 x 842") << QSize(612, 842) << int(QMessageBox::No) << false << true;
        QTest::newRow("613 x 100, yes") << QSize(613, 100) << int(QMessageBox::Yes) << true << true;
        QTest::newRow("100 x 843, no") << QSize(100, 843) << int(QMessageBox::No) << true << false;
    }

    void aSizeLargerThanAPageAsksFirst()
    {
        QFETCH(QSize, size);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, accepted);
        ScriptedPrompts prompts;
        prompts.questionAnswers << QMessageBox::StandardButton(answer);
        ResizeImageDialog dialog;
        dialog.width = size.width();
        dialog.height = size.height();
        QVERIFY(dialog.ShowSize());
        dialog.open();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("buttonOK")), Qt::LeftButton);
        const QList<ScriptedPrompts::Record> questions = prompts.Of(QStringLiteral("question"));
        QCOMPARE(questions.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(questions[0].text, QStringLiteral("The image is too large and may not fit in an A4 (595x842) or "
                                                       "Letter (612x792) page. Continue?"));
            QVERIFY(questions[0].title.isEmpty() && !questions[0].hadParent);
            QCOMPARE(questions[0].buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(questions[0].defaultButton, QMessageBox::Yes);
        }
        QCOMPARE(dialog.isVisible(), !accepted);
        QCOMPARE(QSize(dialog.width, dialog.height), size);
        if (accepted)
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        dialog.reject();
    }

    // An image that could not be read comes with no size: refused with a warning, not shown.
    void anImageWithoutASizeIsRefused()
    {
        ScriptedPrompts prompts;
        ResizeImageDialog dialog;
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.records.last().text, QStringLiteral("The image could not be read."));
        dialog.width = 300;
        dialog.height = 0;
        QVERIFY(!dialog.ShowSize());
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 2);
    }
};

VELLORAN_APP_TEST_MAIN(EditorDialogsTest)
#include "EditorDialogsTest.moc"
