// The crop window's road through its slots, offscreen, with the real engine on small files made
// here: the defaults, the unit switch and its conversions, the document information and the
// preview, the job with its reports, the project's exact bytes and what loading one restores,
// and a close during a job.

#include "app/AppIdentity.h"
#include "app/AppSettings.h"
#include "app/SetModifiedMarker.h"
#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/PageRenders.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/TestPDF.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/ListPDFFiles.h"
#include "app/tools/OverwriteDecision.h"
#include "app/tools/crop/CropPDFFilesWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTransform>

namespace {

const QString kTitle = QStringLiteral("Crop PDF Documents");
const char* const kSpins[] = {"spinCropRectOriginX", "spinCropRectOriginY", "spinCropRectWidth", "spinCropRectHeight"};

QList<int> SpinValues(QWidget& window)
{
    QList<int> values;
    for (const char* name : kSpins)
        values.append(Find<QSpinBox>(window, name)->value());
    return values;
}

int SpinMaximum(QWidget& window)
{
    int maximum = Find<QSpinBox>(window, kSpins[0])->maximum();
    for (const char* name : kSpins)
        if (Find<QSpinBox>(window, name)->maximum() != maximum || Find<QSpinBox>(window, name)->minimum() != 0)
            return -1;
    return maximum;
}

void SwitchUnit(QWidget& window, int index)
{
    auto* combo = Find<QComboBox>(window, "comboPositionMode");
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

QSize PreviewSize(QWidget& window)
{
    return Find<QLabel>(window, "labelPreview")->pixmap(Qt::ReturnByValue).size();
}

// Pages that readers show otherwise than their 300 x 400 MediaBox from the origin ("plain" is
// the control): the box's lower-left corner, entries of the page and of the page tree.
const struct Probe {
    const char* name;
    int x, y;
    QByteArray page, tree;
} kProbes[] = {{"plain", 0, 0, "", ""},
               {"Rotate 90", 0, 0, "/Rotate 90", ""},
               {"Rotate 270 inherited", 0, 0, "", "/Rotate 270"},
               {"off the origin", 100, 50, "", ""},
               {"off the origin, Rotate 90", 100, 50, "/Rotate 90", ""}};

// The probe's page, the quarters of its MediaBox in red, green, blue and yellow.
QByteArray QuarterPage(const Probe& probe)
{
    const char* const colours[] = {"1 0 0", "0 0.6 0", "0 0 1", "1 0.8 0"};
    QString content;
    for (int q = 0; q < 4; ++q)
        content +=
            QString::asprintf("%s rg %d %d 150 200 re f\n", colours[q], probe.x + q % 2 * 150, probe.y + q / 2 * 200);
    const QString page = QString::asprintf("<< /Type /Page /Parent 2 0 R /MediaBox [%d %d %d %d] %s /Contents 4 0 R >>",
                                           probe.x, probe.y, probe.x + 300, probe.y + 400, probe.page.constData());
    return TestPDF::Assemble({"<< /Type /Catalog /Pages 2 0 R >>",
                              "<< /Type /Pages /Kids [3 0 R] /Count 1 " + probe.tree + " >>", page.toLatin1(),
                              TestPDF::Stream(content.toLatin1())});
}

// The first page's size as pdfinfo gives it, turned where its rotation sets it on its side.
QSize ShownSize(const QString& pdf)
{
    const QString page = ExternalReaders::PageBoxes(pdf).value(0);
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("size: ([\\d.]+) x ([\\d.]+)")).match(page);
    const QSize upright(qRound(size.captured(1).toDouble()), qRound(size.captured(2).toDouble()));
    return page.contains(QRegularExpression(QStringLiteral("rot: (90|270)\\b"))) ? upright.transposed() : upright;
}

} // namespace

class CropPDFFilesWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    int number = 0;

    // A file whose pages have the given size.
    QString Pdf(const QString& name, int pages, const QByteArray& mediaBox = "[0 0 595 842]", bool encrypted = false)
    {
        const QString path = folder.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        TestPDF::Extras extras;
        QStringList texts;
        for (int i = 0; i < pages; ++i) {
            texts.append(QStringLiteral("P%1").arg(i + 1));
            extras.pages.append("/MediaBox " + mediaBox);
        }
        if (!TestPDF::Write(path, TestPDF::Make(texts, encrypted, extras)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString Fresh()
    {
        const QString path = folder.filePath(QStringLiteral("out%1").arg(++number));
        QDir().mkpath(path);
        return path;
    }

    static void UseFolder(ScriptedPrompts& prompts, CropPDFFilesWindow& window, const QString& out)
    {
        prompts.folderAnswers = QStringList{out};
        Find<QPushButton>(window, "buttonBrowse")->click();
    }

    static void Start(CropPDFFilesWindow& window) { Find<QPushButton>(window, "buttonCropFiles")->click(); }

    static void Click(CropPDFFilesWindow& window, int row)
    {
        auto* list = Find<ListPDFFiles>(window, "listPDFFiles");
        list->setCurrentRow(row);
        emit list->itemClicked(list->item(row));
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void init()
    {
        AppIdentity::Instance();
        QSettings().clear();
        QSettings().sync();
    }

    void aFreshWindowShowsTheDefaults()
    {
        ScriptedPrompts prompts;
        CropPDFFilesWindow window;
        // The size it is built with; opened, it fits the screen.
        QCOMPARE(window.size(), QSize(1024, 555));
        window.OpenWindow();
        QCOMPARE(window.windowTitle(), kTitle);
        auto* combo = Find<QComboBox>(window, "comboPositionMode");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Points"));
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(SpinValues(window), (QList<int>{10, 10, 80, 80}));
        QCOMPARE(SpinMaximum(window), 100);
        QVERIFY(!Find<QCheckBox>(window, "checkPageIntervals")->isChecked());
        QCOMPARE(Find<QLineEdit>(window, "editPageIntervals")->text(), QStringLiteral("[1-3],5,[7-9]"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputNames")->text(), QStringLiteral("[FileName]_Cropped"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputFolder")->text(),
                 QDir::toNativeSeparators(AppSettings::DocumentsFolder()));
        QCOMPARE(Find<QLabel>(window, "labelDocInfo")->text(),
                 QStringLiteral("Number of Pages:\nPage Size:\nEncrypted:\nFile Size:"));
        QCOMPARE(PreviewSize(window), QSize(0, 0));
        QCOMPARE(Find<QLabel>(window, "labelPreview")->size(), QSize(220, 220));

        // A slash typed between two letters is refused once and leaves the letters.
        auto* names = Find<QLineEdit>(window, "editOutputNames");
        names->setText(QStringLiteral("a/b"));
        QCOMPARE(names->text(), QStringLiteral("ab"));
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(window.windowTitle(), kTitle + "*");
    }

    // Same unit: nothing. Otherwise every value is converted against the current file's first
    // page (A4 for an empty list, the first file when no row is current), held within the new
    // range, and the preview follows.
    void theUnitSwitchConvertsAgainstTheReferencePage()
    {
        ScriptedPrompts prompts;
        CropPDFFilesWindow window;
        window.OpenWindow();
        SwitchUnit(window, 1);
        QCOMPARE(window.windowTitle(), kTitle);

        SwitchUnit(window, 0);
        QCOMPARE(SpinValues(window), (QList<int>{60, 84, 476, 674}));
        QCOMPARE(SpinMaximum(window), 10000);
        QCOMPARE(window.windowTitle(), kTitle + "*");
        SwitchUnit(window, 1);
        QCOMPARE(SpinValues(window), (QList<int>{10, 10, 80, 80}));
        QCOMPARE(SpinMaximum(window), 100);

        const QString wide = Pdf(QStringLiteral("units/wide.pdf"), 1, "[0 0 842 595]");
        const QString tall = Pdf(QStringLiteral("units/tall.pdf"), 1);
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({wide, tall});
        QCOMPARE(Find<ListPDFFiles>(window, "listPDFFiles")->currentRow(), -1);
        SwitchUnit(window, 0);
        QCOMPARE(SpinValues(window), (QList<int>{84, 60, 674, 476}));
        // Points beyond the page become more than 100 percent, which the spin box holds at 100.
        Find<QSpinBox>(window, "spinCropRectWidth")->setValue(2000);
        Click(window, 1);
        QCOMPARE(PreviewSize(window), QSize(141, 200));
        SwitchUnit(window, 1);
        QCOMPARE(SpinValues(window), (QList<int>{14, 7, 100, 57}));
    }

    void theDocumentInformationAndThePreviewFollowTheRow()
    {
        ScriptedPrompts prompts;
        CropPDFFilesWindow window;
        window.OpenWindow();
        const QString a4 = Pdf(QStringLiteral("info/a4.pdf"), 3);
        const QString wide = Pdf(QStringLiteral("info/wide.pdf"), 1, "[0 0 842 595]");
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({a4, wide});
        Click(window, 0);
        const QString kilobytes = QString::number(QFileInfo(a4).size() / 1024);
        QCOMPARE(Find<QLabel>(window, "labelDocInfo")->text(),
                 "Number of Pages: 3\nPage Size: 595 x 842\nEncrypted: NO\nFile Size: " + kilobytes + " KB");
        QCOMPARE(PreviewSize(window), QSize(141, 200));
        // The dotted rectangle lies at 14,20 with 113 x 160 pixels on the white page.
        QImage image = Find<QLabel>(window, "labelPreview")->pixmap(Qt::ReturnByValue).toImage();
        bool dotted = false;
        for (int x = 15; x < 126 && !dotted; ++x)
            dotted = qGray(image.pixel(x, 100)) < 128;
        QVERIFY(dotted);
        QCOMPARE(qGray(image.pixel(7, 100)), 255);
        QCOMPARE(qGray(image.pixel(70, 10)), 255);

        Click(window, 1);
        QCOMPARE(PreviewSize(window), QSize(200, 141));
        // A value change redraws at once.
        Find<QSpinBox>(window, "spinCropRectOriginX")->setValue(60);
        image = Find<QLabel>(window, "labelPreview")->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(qGray(image.pixel(100, 70)), 255);

        prompts.questionAnswers = {QMessageBox::No}; // the changes discarded
        Find<QAction>(window, "actionNew")->trigger();
        QCOMPARE(PreviewSize(window), QSize(0, 0));
        QCOMPARE(Find<QLabel>(window, "labelDocInfo")->text(),
                 QStringLiteral("Number of Pages:\nPage Size:\nEncrypted:\nFile Size:"));
    }

    void theJobCropsAndReports()
    {
        ScriptedPrompts prompts;
        CropPDFFilesWindow window;
        window.OpenWindow();
        Start(window);
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text, QStringLiteral("There are no files to crop."));
        QVERIFY(Find<QPushButton>(window, "buttonCropFiles")->isEnabled());

        const QString first = Pdf(QStringLiteral("job/first.pdf"), 4);
        const QString second = Pdf(QStringLiteral("job/second.pdf"), 1, "[0 0 612 792]");
        const QString third = Pdf(QStringLiteral("job/third.pdf"), 1);
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({first, second, third});
        const QString out = Fresh();
        UseFolder(prompts, window, out);
        Start(window);
        QVERIFY(window.IsWorking());
        QVERIFY(!Find<QPushButton>(window, "buttonCropFiles")->isEnabled());
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Cropping documents. Please wait..."));
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("information"))[0].text, QStringLiteral("Documents cropped successfully."));
        QCOMPARE(Files(out), (QStringList{"first_Cropped.pdf", "second_Cropped.pdf", "third_Cropped.pdf"}));
        // Percents of each file's own first page.
        QVERIFY(ExternalReaders::PageBoxes(out + "/second_Cropped.pdf")[0].contains(
            QStringLiteral("MediaBox: 61.00 79.00 551.00 713.00")));
        QVERIFY(Find<QPushButton>(window, "buttonCropFiles")->isEnabled());
        QCOMPARE(window.statusBar()->currentMessage(), QString());

        // Page intervals: the first file only, after saying so.
        Find<QCheckBox>(window, "checkPageIntervals")->click();
        Find<QLineEdit>(window, "editPageIntervals")->setText(QStringLiteral("2"));
        Find<QLineEdit>(window, "editOutputNames")->setText(QStringLiteral("[FileName]_Page"));
        Start(window);
        QCOMPARE(prompts.Of(QStringLiteral("information")).last().text,
                 QStringLiteral("You can only crop a single document using page intervals. Note that only the first "
                                "document will be cropped."));
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 3);
        QCOMPARE(Files(out).size(), 4);
        const QStringList boxes = ExternalReaders::PageBoxes(out + "/first_Page.pdf");
        QVERIFY(boxes[1].contains(QStringLiteral("MediaBox: 60.00 84.00 536.00 758.00")));
        QCOMPARE(boxes[0], ExternalReaders::PageBoxes(first)[0]);

        // A source that failed is named with its reason.
        Find<QCheckBox>(window, "checkPageIntervals")->click();
        QVERIFY(QFile::remove(second));
        Start(window);
        QTRY_COMPARE(prompts.Of(QStringLiteral("warning")).size(), 2);
        const QString report = prompts.Of(QStringLiteral("warning")).last().text;
        QVERIFY2(report.startsWith("The following PDF documents could not be cropped:\n\n" + second + " ("),
                 qPrintable(report));
    }

    // The rectangle frames the page as pdftoppm shows it: the output shows that part of the
    // source, in its size and with its colours in place; the window's page size and preview are
    // the page as pdfinfo shows it. A second crop of an output cuts all four sides again.
    void cropsThePartAsShown_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QList<QList<int>>>("crops"); // percents, each of the last one's output
        QTest::addColumn<QRectF>("part");             // of the source as shown, y downward
        for (const Probe& probe : kProbes) {
            QTest::addRow("%s, lower-left quarter", probe.name)
                << QuarterPage(probe) << QList<QList<int>>{{0, 0, 50, 50}} << QRectF(0, 0.5, 0.5, 0.5);
            QTest::addRow("%s, right half", probe.name)
                << QuarterPage(probe) << QList<QList<int>>{{50, 0, 50, 100}} << QRectF(0.5, 0, 0.5, 1);
        }
        for (const Probe& probe : {kProbes[0], kProbes[4]})
            QTest::addRow("%s, 10/10/80/80 twice", probe.name) << QuarterPage(probe)
                << QList<QList<int>>{{10, 10, 80, 80}, {10, 10, 80, 80}} << QRectF(0.18, 0.18, 0.64, 0.64);
    }
    void cropsThePartAsShown()
    {
        QFETCH(QByteArray, source);
        QFETCH(QList<QList<int>>, crops);
        QFETCH(QRectF, part);
        QString current = Fresh() + QStringLiteral("/probe.pdf");
        QVERIFY(TestPDF::Write(current, source));
        const QImage shownSource = PageRenders::Render(current, Fresh()).value(0);
        for (const QList<int>& crop : crops) {
            ScriptedPrompts prompts;
            CropPDFFilesWindow window;
            window.OpenWindow();
            emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({current});
            Click(window, 0);
            const QSize shown = ShownSize(current);
            const QString info = Find<QLabel>(window, "labelDocInfo")->text();
            QVERIFY2(info.contains(QStringLiteral("Page Size: %1 x %2\n").arg(shown.width()).arg(shown.height())),
                     qPrintable(info));
            const QSizeF preview = PreviewSize(window);
            QVERIFY(qAbs(preview.width() / preview.height() * shown.height() / shown.width() - 1) <= 0.03);
            for (int i = 0; i < 4; ++i)
                Find<QSpinBox>(window, kSpins[i])->setValue(crop[i]);
            const QString out = Fresh();
            UseFolder(prompts, window, out);
            Start(window);
            QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
            current = out + "/" + QFileInfo(current).completeBaseName() + "_Cropped.pdf";
        }
        const QImage cropped = PageRenders::Render(current, Fresh()).value(0);
        const QRect expected = QTransform::fromScale(shownSource.width(), shownSource.height()).mapRect(part).toRect();
        QVERIFY2(qAbs(cropped.width() - expected.width()) <= 1 && qAbs(cropped.height() - expected.height()) <= 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(cropped.width()).arg(cropped.height())));
        // Each sixteenth of the output in the colours of that sixteenth of the part.
        const auto cells = [](const QImage& image) {
            return image.scaled(4, 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        };
        QVERIFY(PageRenders::Changed(cells(shownSource.copy(expected)), cells(cropped)).isNull());
    }

    void projectsHoldTheSettingsAndTheSavedPageSizes()
    {
        ScriptedPrompts prompts;
        CropPDFFilesWindow window;
        window.OpenWindow();

        // An empty list begins with its end.
        const QString empty = folder.filePath(QStringLiteral("empty.cpf"));
        prompts.fileNameAnswers = QStringList{empty};
        Find<QAction>(window, "actionSave")->trigger();
        QCOMPARE(TestPDF::Read(empty), ("EndOfList\n1\n10\n10\n80\n80\n0\n[1-3],5,[7-9]\n[FileName]_Cropped\n" +
                                        AppSettings::DocumentsFolder())
                                           .toUtf8());
        QCOMPARE(prompts.Of(QStringLiteral("saveFileName")).last().filter, QStringLiteral("Crop PDF Project (*.cpf)"));

        const QString a = Pdf(QStringLiteral("project/Ünï a.pdf"), 1);
        const QString b = Pdf(QStringLiteral("project/b|c.pdf"), 2, "[0 0 842 595]");
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({a, b});
        SwitchUnit(window, 0);
        Find<QSpinBox>(window, "spinCropRectOriginY")->setValue(5);
        Find<QCheckBox>(window, "checkPageIntervals")->click();
        Find<QLineEdit>(window, "editPageIntervals")->setText(QStringLiteral("[2-3],x"));
        const QString out = Fresh();
        UseFolder(prompts, window, out);
        const QString project = folder.filePath(QStringLiteral("project/settings.cpf"));
        prompts.fileNameAnswers = QStringList{project};
        Find<QAction>(window, "actionSave_As")->trigger();
        const QByteArray bytes =
            (a + "|595|842\n" + b + "|842|595\nEndOfList\n0\n60\n5\n476\n674\n1\n[2-3],x\n[FileName]_Cropped\n" + out)
                .toUtf8();
        QCOMPARE(TestPDF::Read(project), bytes);
        QCOMPARE(window.windowTitle(), kTitle + " - settings");

        // Loading takes the saved sizes without opening the files again.
        QVERIFY(QFile::remove(a));
        QVERIFY(QFile::remove(b));
        Find<QAction>(window, "actionNew")->trigger();
        prompts.fileNameAnswers = QStringList{project};
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(window.windowTitle(), kTitle + " - settings");
        QCOMPARE(Find<ListPDFFiles>(window, "listPDFFiles")->FilePaths(), (QStringList{a, b}));
        QCOMPARE(Find<QComboBox>(window, "comboPositionMode")->currentIndex(), 0);
        QCOMPARE(SpinValues(window), (QList<int>{60, 5, 476, 674}));
        QCOMPARE(SpinMaximum(window), 10000);
        QVERIFY(Find<QCheckBox>(window, "checkPageIntervals")->isChecked());
        QCOMPARE(Find<QLineEdit>(window, "editPageIntervals")->text(), QStringLiteral("[2-3],x"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputFolder")->text(), QDir::toNativeSeparators(out));
        Click(window, 1);
        QCOMPARE(Find<QLabel>(window, "labelDocInfo")->text(),
                 QStringLiteral("Number of Pages: 0\nPage Size: 842 x 595\nEncrypted: NO\nFile Size: 0 KB"));
        QCOMPARE(PreviewSize(window), QSize(200, 141));
        Find<QAction>(window, "actionSave")->trigger();
        QCOMPARE(TestPDF::Read(project), bytes);
        QVERIFY(prompts.Of(QStringLiteral("warning")).isEmpty());

        // Lines short of fields, a size of 0 (the preview takes A4), values beyond the range and
        // an unknown unit: nothing is read that a line lacks.
        const QString odd = folder.filePath(QStringLiteral("project/odd.cpf"));
        QVERIFY(TestPDF::Write(odd, "/x/plain.pdf\n/x/zero.pdf|0|0\nEndOfList\n1\n500\n-3\nwide\n50\n7\n\nn?\n"));
        prompts.fileNameAnswers = QStringList{odd};
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(Find<ListPDFFiles>(window, "listPDFFiles")->FilePaths(),
                 (QStringList{"/x/plain.pdf", "/x/zero.pdf"}));
        QCOMPARE(SpinValues(window), (QList<int>{100, 0, 0, 50}));
        QVERIFY(Find<QCheckBox>(window, "checkPageIntervals")->isChecked());
        QCOMPARE(Find<QLineEdit>(window, "editOutputNames")->text(), QStringLiteral("n"));
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        Click(window, 1);
        QCOMPARE(PreviewSize(window), QSize(141, 200));
        SwitchUnit(window, 0);
        QCOMPARE(SpinValues(window), (QList<int>{595, 0, 0, 421}));

        const QString unknown = folder.filePath(QStringLiteral("project/unknown.cpf"));
        QVERIFY(TestPDF::Write(unknown, "EndOfList\n9\n1\n2\n3\n4\n0\n1\nname\n/f"));
        prompts.fileNameAnswers = QStringList{unknown};
        prompts.questionAnswers = {QMessageBox::No}; // the unit switched above
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text,
                 QStringLiteral("Some settings of the project could not be used:\n\nThe unit \"9\" is unknown; "
                                "percents are used."));
        QCOMPARE(Find<QComboBox>(window, "comboPositionMode")->currentIndex(), 1);
        QCOMPARE(SpinValues(window), (QList<int>{10, 10, 80, 80}));

        const QString cut = folder.filePath(QStringLiteral("project/cut.cpf"));
        QVERIFY(TestPDF::Write(cut, "/x/a.pdf|1|2\nEndOfList\n1\n10\n"));
        prompts.fileNameAnswers = QStringList{cut};
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text, QStringLiteral("Could not load file."));
        QCOMPARE(window.windowTitle(), kTitle + " - unknown");

        // Nor is one whose output names or folder hold a control character (the system would cut
        // a name at a NUL).
        for (const QString& output : {QStringLiteral("a") + QChar(0) + "b\n/f", QStringLiteral("ab\n/f\t")}) {
            QVERIFY(TestPDF::Write(cut, ("EndOfList\n1\n10\n10\n80\n80\n0\n1\n" + output).toUtf8()));
            prompts.fileNameAnswers = QStringList{cut};
            prompts.records.clear();
            Find<QAction>(window, "actionLoad")->trigger();
            QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
            QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text, QStringLiteral("Could not load file."));
            QCOMPARE(window.windowTitle(), kTitle + " - unknown");
        }
    }

    // Closing while the job waits for an answer: the job stops, nothing is reported, the
    // existing target is kept and no partial output is left; opened again, it crops anew.
    void closingDuringAJobStopsIt()
    {
        HookedPrompts prompts;
        CropPDFFilesWindow window;
        window.OpenWindow();
        const QString source = Pdf(QStringLiteral("closing/doc.pdf"), 3);
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({source});
        const QString out = Fresh();
        UseFolder(prompts, window, out);
        SetModifiedMarker(&window, false);
        QVERIFY(TestPDF::Write(out + "/doc_Cropped.pdf", "old"));

        bool closed = false;
        prompts.beforeOverwriteAnswer = [&]() {
            QVERIFY(window.IsWorking());
            prompts.questionAnswers = {QMessageBox::Yes};
            closed = window.close();
        };
        Start(window);
        QTRY_VERIFY(closed);
        QVERIFY(prompts.Of(QStringLiteral("question")).last().text.contains(QStringLiteral("interrupt the cropping")));
        QVERIFY(!window.IsWorking());
        QTest::qWait(100);
        QVERIFY(prompts.Of(QStringLiteral("information")).isEmpty());
        QCOMPARE(Files(out), QStringList{"doc_Cropped.pdf"});
        QCOMPARE(TestPDF::Read(out + "/doc_Cropped.pdf"), QByteArray("old"));

        prompts.beforeOverwriteAnswer = nullptr;
        window.OpenWindow();
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({source});
        prompts.overwriteAnswers = {OverwriteDecision::Yes};
        Start(window);
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        QVERIFY(TestPDF::Read(out + "/doc_Cropped.pdf").startsWith(TestPDF::Read(source)));
    }
};

VELLORAN_APP_TEST_MAIN(CropPDFFilesWindowTest)
#include "CropPDFFilesWindowTest.moc"
