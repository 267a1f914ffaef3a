// The Create New PDF editor: formatting through its controls, images stored, resized from their
// originals and kept in paragraphs of their own, project files and the two exports read back
// (pdftotext, pdfinfo), closing with unsaved changes, and image files that are deleted only when
// their document goes and never outside the image store.

#include "app/AppSettings.h"
#include "app/create/CreateNewPDFWindow.h"
#include "app/create/DocumentImages.h"
#include "app/create/HtmlExport.h"
#include "app/create/PDFPageSettingsDialog.h"
#include "app/create/ResizeImageDialog.h"
#include "app/support/AppTestMain.h"
#include "app/support/FileSizeLimit.h"
#include "app/support/OversizedImage.h"
#include "app/support/PDFReaders.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/StagedOutput.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <optional>

#include <sys/stat.h>

namespace {

QString Documents()
{
    return AppSettings::DocumentsFolder();
}

QString Resized(const QString& name)
{
    return Documents() + QStringLiteral("/Velloran/Images/Resized/") + name;
}

QString Original(const QString& name)
{
    return Documents() + QStringLiteral("/Velloran/Images/Original/") + name;
}

// A picture whose neighbouring pixels differ, so that a copy scaled up from a small one shows.
QString MakePicture(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 160));
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ino_t Inode(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

class TestableWindow : public CreateNewPDFWindow {
public:
    QList<QUrl> openedUrls;

protected:
    void OpenUrl(const QUrl& url) override { openedUrls.append(url); }
};

// A shown editor with scripted prompts: the size dialog answers from `sizes` (cancelled when none
// is left) and notes the size it opened with; the page dialog answers `pageType`.
struct Editor {
    ScriptedPrompts prompts;
    TestableWindow window;
    QList<QSize> sizes;
    QList<QSize> startSizes;
    int pageType = 0;
    bool pageAccepted = true;

    Editor()
    {
        prompts.dialogHandler = [this](QDialog& dialog) -> int {
            if (auto* resize = qobject_cast<ResizeImageDialog*>(&dialog)) {
                startSizes.append(QSize(resize->width, resize->height));
                if (!resize->ShowSize() || sizes.isEmpty())
                    return QDialog::Rejected;
                const QSize size = sizes.takeFirst();
                resize->width = size.width();
                resize->height = size.height();
                return QDialog::Accepted;
            }
            auto* page = qobject_cast<PDFPageSettingsDialog*>(&dialog);
            if (!page || !pageAccepted)
                return QDialog::Rejected;
            page->ShowSettings();
            page->pageType = pageType;
            return QDialog::Accepted;
        };
        window.show();
    }

    template <class Widget>
    Widget* Find(const char* name)
    {
        auto* widget = window.findChild<Widget*>(QLatin1String(name));
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }
    QTextEdit* Edit() { return Find<QTextEdit>("editNewPDF"); }
    void Click(const char* button) { Find<QPushButton>(button)->click(); }
    void Trigger(const char* action) { Find<QAction>(action)->trigger(); }

    // An invalid size cancels the size dialog.
    void Insert(const QString& picked, QSize size)
    {
        prompts.fileNameAnswers << picked;
        if (size.isValid())
            sizes << size;
        Click("buttonInsertImage");
    }
    void PutCursor(int position)
    {
        QTextCursor cursor = Edit()->textCursor();
        cursor.setPosition(position);
        Edit()->setTextCursor(cursor);
    }
    // The paragraphs' texts, an image shown as "#".
    QStringList Paragraphs()
    {
        QStringList texts;
        for (QTextBlock block = Edit()->document()->firstBlock(); block.isValid(); block = block.next())
            texts << block.text().replace(QChar::ObjectReplacementCharacter, QLatin1Char('#'));
        return texts;
    }
    QList<QTextImageFormat> Images()
    {
        QList<QTextImageFormat> images;
        for (QTextBlock block = Edit()->document()->firstBlock(); block.isValid(); block = block.next())
            for (QTextBlock::iterator at = block.begin(); !at.atEnd(); ++at)
                if (at.fragment().charFormat().isImageFormat())
                    images << at.fragment().charFormat().toImageFormat();
        return images;
    }
    QStringList Messages(const QString& kind)
    {
        QStringList texts;
        for (const ScriptedPrompts::Record& record : prompts.Of(kind))
            texts << record.text;
        return texts;
    }
};

const QString kTitle = QStringLiteral("Create New PDF Document");

} // namespace

class CreateNewPDFWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir pictures;

    QString Picture(const QString& name, int width = 40, int height = 30)
    {
        const QString path = pictures.path() + QLatin1Char('/') + name;
        return QFile::exists(path) ? path : MakePicture(path, width, height);
    }

private slots:
    void init() { QDir(Documents() + QStringLiteral("/Velloran")).removeRecursively(); }

    void formAndMenus()
    {
        Editor editor;
        QCOMPARE(editor.window.windowTitle(), kTitle);
        QCOMPARE(editor.window.minimumSize(), QSize(780, 600));
        auto* sizes = editor.Find<QComboBox>("comboFontSize");
        QCOMPARE(sizes->count(), 13);
        QCOMPARE(sizes->currentText(), QStringLiteral("12"));
        QCOMPARE(sizes->itemText(12), QStringLiteral("36"));
        auto* fonts = editor.Find<QComboBox>("comboFont");
        QCOMPARE(fonts->count(), 2);
        QCOMPARE(fonts->currentText(), QStringLiteral("Times New Roman"));
        QCOMPARE(editor.Edit()->document()->documentMargin(), 50.0);
        const QList<QPair<const char*, const char*>> shortcuts = {
            {"actionNew", "Ctrl+N"},           {"actionLoad", "Ctrl+L"},         {"actionSave", "Ctrl+S"},
            {"actionSave_As", "Ctrl+Shift+S"}, {"actionExit", "Ctrl+E"},         {"actionInsert_Image", "Ctrl+I"},
            {"actionResize_Image", "Ctrl+R"},  {"actionOnline_Help", "F1"}};
        for (const auto& shortcut : shortcuts)
            QCOMPARE(editor.Find<QAction>(shortcut.first)->shortcut(), QKeySequence(QLatin1String(shortcut.second)));
        QVERIFY(!editor.Find<QAction>("actionResize_Image")->isEnabled());
        editor.Trigger("actionOnline_Help");
        QCOMPARE(editor.window.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://www.velloran.example/support.php"))});
    }

    void formattingThroughTheControls()
    {
        Editor editor;
        QTextEdit* edit = editor.Edit();
        QTest::keyClicks(edit, QStringLiteral("plain "));
        QCOMPARE(edit->fontWeight(), 10);
        QCOMPARE(edit->fontFamily(), QStringLiteral("Times New Roman"));
        QCOMPARE(edit->fontPointSize(), 12.0);
        QCOMPARE(editor.window.windowTitle(), kTitle + QLatin1Char('*'));

        auto* bold = editor.Find<QPushButton>("buttonBold");
        editor.Click("buttonBold");
        QCOMPARE(edit->fontWeight(), 75);
        QVERIFY(bold->isDown());
        editor.Click("buttonBold");
        QCOMPARE(edit->fontWeight(), 10); // plain is 10 here, never 50
        QVERIFY(!bold->isDown());
        edit->setFontWeight(50); // from elsewhere: not bold, one press makes it bold
        editor.Click("buttonBold");
        QCOMPARE(edit->fontWeight(), 75);
        editor.Click("buttonItalic");
        QVERIFY(edit->fontItalic());
        QVERIFY(editor.Find<QPushButton>("buttonItalic")->isDown());

        QTest::keyClick(editor.Find<QComboBox>("comboFontSize"), Qt::Key_Down); // "14"
        QTest::keyClick(editor.Find<QComboBox>("comboFont"), Qt::Key_Up);       // "Courier"
        QTest::keyClicks(edit, QStringLiteral("x"));
        const QTextCharFormat typed = edit->currentCharFormat();
        QCOMPARE(typed.fontWeight(), 75);
        QCOMPARE(typed.fontPointSize(), 14.0);
        QCOMPARE(typed.fontFamily(), QStringLiteral("Courier"));
        QCOMPARE(editor.window.focusWidget(), edit);

        // The controls follow the cursor back into the plain text.
        editor.PutCursor(2);
        QVERIFY(!bold->isDown());
        QCOMPARE(editor.Find<QComboBox>("comboFontSize")->currentText(), QStringLiteral("12"));
        QCOMPARE(editor.Find<QComboBox>("comboFont")->currentText(), QStringLiteral("Times New Roman"));
        edit->setFontPointSize(13); // not an entry: the combo stays
        editor.PutCursor(3);
        QCOMPARE(editor.Find<QComboBox>("comboFontSize")->currentText(), QStringLiteral("12"));

        struct Alignment {
            const char* button;
            Qt::Alignment value;
        };
        const Alignment alignments[] = {{"buttonAlignCenter", Qt::AlignCenter},
                                        {"buttonAlignRight", Qt::AlignRight},
                                        {"buttonAlignLeft", Qt::AlignLeft}};
        for (const Alignment& alignment : alignments) {
            editor.Click(alignment.button);
            QCOMPARE(edit->alignment(), alignment.value);
            for (const char* button : {"buttonAlignLeft", "buttonAlignCenter", "buttonAlignRight"})
                QCOMPARE(editor.Find<QPushButton>(button)->isDown(), qstrcmp(button, alignment.button) == 0);
        }
        edit->setAlignment(Qt::AlignJustify);
        editor.PutCursor(1);
        QVERIFY(editor.Find<QPushButton>("buttonAlignLeft")->isDown()); // justified leaves them
    }

    void imagesAreStoredInTheirOwnParagraphs()
    {
        Editor editor;
        QTest::keyClicks(editor.Edit(), QStringLiteral("abcdef"));
        editor.PutCursor(3);
        editor.Insert(Picture(QStringLiteral("photo.jpg")), QSize(20, 15));
        QCOMPARE(editor.Paragraphs(), (QStringList{"abc", "#", "def"}));
        QCOMPARE(editor.startSizes, QList<QSize>{QSize(40, 30)});
        const ScriptedPrompts::Record open = editor.prompts.Of(QStringLiteral("openFileName")).first();
        QCOMPARE(open.text, AppSettings::PicturesFolder());
        QCOMPARE(open.filter, QStringLiteral("Image Files (*.jpg *.jpeg *.jpe *.png)"));
        QCOMPARE(AppSettings::Folder(QStringLiteral("InsertImageLocation")), pictures.path());
        editor.Insert(Picture(QStringLiteral("photo.jpg")), QSize(8, 6));
        editor.Insert(Picture(QStringLiteral("photo.jpg")), QSize(8, 6));
        editor.Insert(Picture(QStringLiteral("trip.day2.jpg")), QSize(8, 6));
        editor.Insert(Picture(QStringLiteral("photo.jpg")), QSize()); // cancelled: nothing
        QCOMPARE(editor.Images().size(), 4);
        QCOMPARE(editor.startSizes.size(), 5);
        for (const char* name : {"photo1.jpg", "photo2.jpg", "photo3.jpg", "trip.day21.jpg"}) {
            QCOMPARE(QImage(Original(QLatin1String(name))).size(), QSize(40, 30));
            QVERIFY2(QFile::exists(Resized(QLatin1String(name))), name);
        }
        QCOMPARE(QDir(Original(QString())).count(), 4u + 2u);
        const QTextImageFormat first = editor.Images().first();
        QCOMPARE(first.name(), Resized(QStringLiteral("photo1.jpg")));
        QCOMPARE(QSizeF(first.width(), first.height()), QSizeF(20, 15));
        QImage copy(Resized(QStringLiteral("photo1.jpg")));
        QCOMPARE(copy.size(), QSize(20, 15));
        QCOMPARE(copy.dotsPerMeterX(), 3779); // 96 dpi, which the exporter reads

        // With the cursor on an image only Return, Backspace and the arrows reach the editor.
        const int imageAt = editor.Edit()->document()->findBlockByNumber(1).position();
        editor.PutCursor(imageAt);
        QVERIFY(editor.Find<QAction>("actionResize_Image")->isEnabled());
        const QStringList before = editor.Paragraphs();
        for (Qt::Key key : {Qt::Key_A, Qt::Key_Delete, Qt::Key_Enter})
            QTest::keyClick(editor.Edit(), key);
        QCOMPARE(editor.Paragraphs(), before);

        // Backspace at the start of the text after an image joins them for a moment only, and one
        // Undo takes the whole edit back.
        QCOMPARE(before.last(), QStringLiteral("def"));
        editor.PutCursor(editor.Edit()->document()->lastBlock().position());
        QTest::keyClick(editor.Edit(), Qt::Key_Backspace);
        QCOMPARE(editor.Paragraphs(), before);
        editor.Edit()->undo();
        QCOMPARE(editor.Paragraphs(), before);
        QVERIFY(!editor.Edit()->document()->isUndoAvailable());
        editor.Edit()->redo();
        QCOMPARE(editor.Paragraphs(), before);
        // Delete at the end of the text before an image: the same.
        editor.PutCursor(editor.Edit()->document()->firstBlock().length() - 1);
        QTest::keyClick(editor.Edit(), Qt::Key_Delete);
        QCOMPARE(editor.Paragraphs(), before);
    }

    // A picked file whose header claims far more pixels than its data holds is refused before
    // anything decodes it: no size dialog, nothing stored.
    void imagesTooLargeToDecodeAreRefused_data() { OversizedImage::AddRows(); }
    void imagesTooLargeToDecodeAreRefused()
    {
        QFETCH(bool, progressive);
        const QString picked = pictures.filePath(QStringLiteral("claims.jpg"));
        QVERIFY(OversizedImage::WriteJpeg(picked, progressive));
        Editor editor;
        editor.Insert(picked, QSize(10, 10));
        QCOMPARE(editor.Messages(QStringLiteral("warning")),
                 QStringList{QStringLiteral("Could not insert the image: the image %1 is too large: 65500 x 65500 "
                                            "pixels take more than 1 GiB of memory once decoded.")
                                 .arg(picked)});
        QVERIFY(editor.startSizes.isEmpty());
        QVERIFY(editor.Images().isEmpty());
        QVERIFY(!QDir(Original(QString())).exists());
        QVERIFY(OversizedImage::PeakMemoryUnder1GB());
    }

    void resizingStartsFromTheOriginal()
    {
        Editor editor;
        const QString picked = Picture(QStringLiteral("pattern.png"), 40, 30);
        editor.Insert(picked, QSize(40, 30));
        const QByteArray original = Bytes(Original(QStringLiteral("pattern1.png")));
        editor.PutCursor(0);
        editor.sizes << QSize(4, 3) << QSize(40, 30);
        editor.Trigger("actionResize_Image");
        QCOMPARE(QImage(Resized(QStringLiteral("pattern1.png"))).size(), QSize(4, 3));
        editor.PutCursor(0);
        editor.Trigger("actionResize_Image");
        QCOMPARE(editor.startSizes.last(), QSize(4, 3)); // the dialog opens with the copy's size
        const QImage again(Resized(QStringLiteral("pattern1.png")));
        QCOMPARE(again.size(), QSize(40, 30));
        QVERIFY(again.pixel(0, 0) != again.pixel(1, 0)); // made from the original, not the 4 x 3 copy
        QCOMPARE(Bytes(Original(QStringLiteral("pattern1.png"))), original);
        QCOMPARE(editor.Images().size(), 1);
        QCOMPARE(editor.Images().first().name(), Resized(QStringLiteral("pattern1.png")));
        QCOMPARE(editor.Images().first().width(), 40.0);
    }

    // Deleting an image keeps its files for Undo; they go with the document unless a project
    // refers to them.
    void imageFilesGoWithTheirDocument()
    {
        Editor editor;
        editor.Insert(Picture(QStringLiteral("kept.jpg")), QSize(10, 10));
        editor.PutCursor(1);
        QTest::keyClick(editor.Edit(), Qt::Key_Backspace);
        QCOMPARE(editor.Images().size(), 0);
        QVERIFY(QFile::exists(Resized(QStringLiteral("kept1.jpg"))));
        editor.Edit()->undo();
        QCOMPARE(editor.Images().size(), 1);

        const QString project = Documents() + QStringLiteral("/saved.cnp");
        editor.prompts.fileNameAnswers << project;
        editor.Trigger("actionSave_As");
        editor.Insert(Picture(QStringLiteral("dropped.jpg")), QSize(10, 10));
        editor.prompts.questionAnswers << QMessageBox::No; // the changes discarded
        editor.Trigger("actionNew");
        QCOMPARE(editor.prompts.Of(QStringLiteral("question")).size(), 1);
        QVERIFY(QFile::exists(Resized(QStringLiteral("kept1.jpg"))));
        QVERIFY(QFile::exists(Original(QStringLiteral("kept1.jpg"))));
        QVERIFY(!QFile::exists(Resized(QStringLiteral("dropped1.jpg"))));
        QVERIFY(!QFile::exists(Original(QStringLiteral("dropped1.jpg"))));
    }

    void projectAndExports()
    {
        Editor editor;
        QTest::keyClicks(editor.Edit(), QStringLiteral("Velloran writes this line"));
        editor.Edit()->moveCursor(QTextCursor::End);
        editor.Insert(Picture(QStringLiteral("my photo.jpg")), QSize(30, 20));
        const QString html = editor.Edit()->toHtml();

        const QString project = Documents() + QStringLiteral("/Velloran/Create New PDF Projects/first.cnp");
        // Typed without the extension, which the dialog's filter gives.
        editor.prompts.fileNameAnswers << project.chopped(4);
        editor.Trigger("actionSave");
        QCOMPARE(editor.prompts.Of(QStringLiteral("saveFileName")).first().saveOptions.defaultSuffix, QStringLiteral("cnp"));
        QCOMPARE(editor.prompts.Of(QStringLiteral("saveFileName")).first().text, QFileInfo(project).absolutePath());
        QCOMPARE(QString::fromUtf8(Bytes(project)), html);
        QCOMPARE(editor.window.windowTitle(), kTitle + QStringLiteral(" - first"));

        const QString htmlPath = Documents() + QStringLiteral("/out/page.html");
        QDir().mkpath(QFileInfo(htmlPath).absolutePath());
        editor.prompts.fileNameAnswers << htmlPath.chopped(5);
        editor.Click("buttonExportHTML");
        const QString image = Resized(QStringLiteral("my photo1.jpg"));
        QString expected = html;
        expected.replace(QStringLiteral("src=\"") + image, QStringLiteral("src=\"page_files/my%20photo1.jpg"));
        // The page says it is UTF-8; the project does not need to, as only this program reads it.
        expected.replace(QStringLiteral("<meta name=\"qrichtext\" content=\"1\" />"),
                         QStringLiteral("<meta name=\"qrichtext\" content=\"1\" /><meta http-equiv=\"Content-Type\" "
                                        "content=\"text/html; charset=utf-8\" />"));
        // Plain text as Qt writes normal text: the editor's weight 10 has no CSS weight of its own.
        expected.replace(QStringLiteral("<span style=\" font-weight:80;\">Velloran writes this line</span>"),
                         QStringLiteral("Velloran writes this line"));
        QCOMPARE(QString::fromUtf8(Bytes(htmlPath)), expected);
        QCOMPARE(AppSettings::Folder(QStringLiteral("CreateNewHTMLOutputFolder")), QFileInfo(htmlPath).absolutePath());

        Editor loaded;
        loaded.prompts.fileNameAnswers << project;
        loaded.Trigger("actionLoad");
        QCOMPARE(loaded.Edit()->toHtml(), html);
        QCOMPARE(loaded.window.windowTitle(), kTitle + QStringLiteral(" - first"));

        // A file that is no project leaves the document and its title as they were.
        const QString broken = Documents() + QStringLiteral("/broken.cnp");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("<p>\xff\xfe</p>") > 0);
        file.close();
        loaded.prompts.fileNameAnswers << broken << Documents() + QStringLiteral("/missing.cnp");
        loaded.Trigger("actionLoad");
        loaded.Trigger("actionLoad");
        QCOMPARE(loaded.Messages(QStringLiteral("warning")),
                 (QStringList{"Could not load file.", "Could not load file."}));
        QCOMPARE(loaded.Edit()->toHtml(), html);
        QCOMPARE(loaded.window.windowTitle(), kTitle + QStringLiteral(" - first"));
        QCOMPARE(QString::fromUtf8(Bytes(project)), html);
    }

    void pdfExport_data()
    {
        QTest::addColumn<int>("pageType");
        QTest::addColumn<QString>("pageSize");
        QTest::newRow("A4") << 0 << "595 x 842 pts";
        QTest::newRow("Letter") << 1 << "612 x 792 pts";
    }

    void pdfExport()
    {
        QFETCH(int, pageType);
        QFETCH(QString, pageSize);
        Editor editor;
        editor.pageType = pageType;
        QTest::keyClicks(editor.Edit(), QStringLiteral("Exported words come back"));
        editor.Edit()->moveCursor(QTextCursor::End);
        editor.Insert(Picture(QStringLiteral("figure.png")), QSize(30, 20));
        const QString path = Documents() + QStringLiteral("/pdf out/document.pdf");
        QDir().mkpath(QFileInfo(path).absolutePath());
        editor.prompts.fileNameAnswers << path.chopped(4);
        editor.Click("buttonExportPDF");
        QCOMPARE(editor.Messages(QStringLiteral("information")), QStringList{"File exported successfully."});
        QCOMPARE(PDFReaders::Run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}).simplified(),
                 QStringLiteral("Exported words come back"));
        QVERIFY(PDFReaders::Run(QStringLiteral("pdfinfo"), {path}).contains(pageSize));
        QCOMPARE(PDFReaders::ImageRows(path).size(), 1);
        QCOMPARE(AppSettings::Folder(QStringLiteral("CreateNewPDFOutputFolder")), QFileInfo(path).absolutePath());

        // An image that is gone makes the export fail: it says so, naming it, and the file exported
        // before stays as it was, with nothing left beside it.
        const QByteArray exported = Bytes(path);
        QFile::remove(Resized(QStringLiteral("figure1.png")));
        editor.prompts.fileNameAnswers << path;
        editor.Click("buttonExportPDF");
        QCOMPARE(editor.Messages(QStringLiteral("warning")),
                 QStringList{QStringLiteral("Could not export file.\nthe image %1 cannot be read: No such file or directory")
                                 .arg(Resized(QStringLiteral("figure1.png")))});
        QCOMPARE(Bytes(path), exported);
        QCOMPARE(Files(QFileInfo(path).absolutePath()), QStringList{"document.pdf"});

        // A target that cannot be opened, and a cancelled page dialog, write nothing.
        editor.prompts.fileNameAnswers << Documents() + QStringLiteral("/no/such/folder/x.pdf");
        editor.Click("buttonExportPDF");
        QCOMPARE(editor.prompts.Of(QStringLiteral("warning")).last().title, QStringLiteral("Export failed"));
        editor.pageAccepted = false;
        editor.prompts.fileNameAnswers << Documents() + QStringLiteral("/elsewhere/y.pdf");
        editor.Click("buttonExportPDF");
        QVERIFY(!QFile::exists(Documents() + QStringLiteral("/elsewhere/y.pdf")));
        QCOMPARE(AppSettings::Folder(QStringLiteral("CreateNewPDFOutputFolder")), Documents() + QStringLiteral("/elsewhere"));
    }

    // Right after a save, keys that change nothing leave the document unmarked, so New asks
    // nothing; typing, Backspace on text, pasting and Undo mark it.
    void onlyRealChangesMark_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("marks");
        QTest::newRow("arrows") << QList<int>{Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down} << 0 << false;
        QTest::newRow("Home, End, PageDown") << QList<int>{Qt::Key_Home, Qt::Key_End, Qt::Key_PageDown} << 0 << false;
        QTest::newRow("Shift, Ctrl, Alt alone")
            << QList<int>{Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt} << 0 << false;
        QTest::newRow("typed character") << QList<int>{Qt::Key_X} << 0 << true;
        QTest::newRow("Backspace on text") << QList<int>{Qt::Key_Backspace} << 0 << true;
        QTest::newRow("paste") << QList<int>{Qt::Key_V} << int(Qt::ControlModifier) << true;
        QTest::newRow("Undo") << QList<int>{Qt::Key_Z} << int(Qt::ControlModifier) << true;
    }

    void onlyRealChangesMark()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, modifiers);
        QFETCH(bool, marks);
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        Editor editor;
        QTest::keyClicks(editor.Edit(), QStringLiteral("saved text"));
        editor.prompts.fileNameAnswers << Documents() + QStringLiteral("/keys.cnp");
        editor.Trigger("actionSave");
        const QString saved = kTitle + QStringLiteral(" - keys");
        QCOMPARE(editor.window.windowTitle(), saved);
        editor.PutCursor(5);
        for (int key : keys) {
            QTest::keyClick(editor.Edit(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QCOMPARE(editor.window.windowTitle(), marks ? saved + QLatin1Char('*') : saved);
        }
        editor.prompts.questionAnswers << QMessageBox::No;
        editor.Trigger("actionNew");
        QCOMPARE(editor.prompts.Of(QStringLiteral("question")).size(), marks ? 1 : 0);
        QCOMPARE(editor.window.windowTitle(), kTitle);
    }

    // Un-bolded text is exported as Qt writes normal text, so that a browser shows the weights
    // the editor showed.
    void htmlWeightsAreTheEditors()
    {
        Editor editor;
        QTest::keyClicks(editor.Edit(), QStringLiteral("plain "));
        editor.Click("buttonBold");
        QTest::keyClicks(editor.Edit(), QStringLiteral("bold"));
        editor.Click("buttonBold");
        QTest::keyClicks(editor.Edit(), QStringLiteral(" unbolded"));
        editor.prompts.fileNameAnswers << Documents() + QStringLiteral("/weights.html");
        editor.Click("buttonExportHTML");
        QTextDocument browser;
        browser.setHtml(QString::fromUtf8(Bytes(Documents() + QStringLiteral("/weights.html"))));
        QStringList weights;
        for (QTextBlock::iterator at = browser.begin().begin(); !at.atEnd(); ++at)
            weights << at.fragment().text() + QString::number(at.fragment().charFormat().font().weight());
        QCOMPARE(weights, (QStringList{"plain 50", "bold75", " unbolded50"}));
    }

    // Courier chosen in text read from a loaded project stays Courier in the project and in PDF
    // exports, live and loaded again.
    void courierSurvivesAProject()
    {
        const QString project = Documents() + QStringLiteral("/fonts.cnp");
        Editor editor;
        QTest::keyClicks(editor.Edit(), QStringLiteral("Roman"));
        editor.prompts.fileNameAnswers << project << project;
        editor.Trigger("actionSave_As");
        editor.Trigger("actionLoad");
        editor.Edit()->moveCursor(QTextCursor::End);
        QTest::keyClick(editor.Find<QComboBox>("comboFont"), Qt::Key_Up); // "Courier"
        QTest::keyClicks(editor.Edit(), QStringLiteral(" typewriter"));
        editor.prompts.fileNameAnswers << project << Documents() + QStringLiteral("/live.pdf");
        editor.Trigger("actionSave_As");
        editor.Click("buttonExportPDF");
        QVERIFY(QString::fromUtf8(Bytes(project)).contains(QStringLiteral("font-family:'Courier';")));
        Editor again;
        again.prompts.fileNameAnswers << project << Documents() + QStringLiteral("/again.pdf");
        again.Trigger("actionLoad");
        again.Click("buttonExportPDF");
        for (const char* pdf : {"/live.pdf", "/again.pdf"}) {
            QStringList fonts;
            for (const QStringList& row : PDFReaders::FontRows(Documents() + QLatin1String(pdf)))
                fonts << row.value(0);
            fonts.sort();
            QCOMPARE(fonts, (QStringList{"Courier", "Times-Roman"}));
        }
    }

    // An HTML page shows copies of its images beside it, which outlive the document's store; a
    // copy never overwrites another image of that file name, from elsewhere or already there.
    void htmlExportKeepsItsImages()
    {
        const QString site = Documents() + QStringLiteral("/site");
        const QString folder = site + QStringLiteral("/page_files");
        const QString html = site + QStringLiteral("/page.html");
        QDir(site).removeRecursively();
        QTemporaryDir elsewhere;
        const QString other = MakePicture(elsewhere.path() + QStringLiteral("/shown1.png"), 9, 7);
        const QString earlier = MakePicture(folder + QStringLiteral("/shown1.png"), 5, 4);
        const QByteArray kept = Bytes(earlier);
        Editor editor;
        editor.Insert(Picture(QStringLiteral("shown.png")), QSize(20, 15));
        editor.Edit()->moveCursor(QTextCursor::End);
        editor.Edit()->textCursor().insertHtml(
            QStringLiteral("<img src=\"%1\" width=\"9\" height=\"7\" /><img src=\"%2\" width=\"5\" height=\"4\" />")
                .arg(QUrl::fromLocalFile(other).toString(), earlier));
        editor.prompts.fileNameAnswers << html;
        editor.Click("buttonExportHTML");
        editor.prompts.questionAnswers << QMessageBox::No;
        editor.Trigger("actionNew");
        QVERIFY(!QFile::exists(Resized(QStringLiteral("shown1.png"))));
        QCOMPARE(Bytes(earlier), kept);

        QTextDocument page;
        page.setHtml(QString::fromUtf8(Bytes(html)));
        QSet<QString> files;
        for (const QTextFragment& fragment : DocumentImages::Fragments(page)) {
            const QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QString file = QUrl::fromLocalFile(html).resolved(QUrl(image.name())).toLocalFile();
            QCOMPARE(QFileInfo(file).absolutePath(), folder);
            QCOMPARE(QImage(file).size(), QSize(int(image.width()), int(image.height())));
            files.insert(file);
        }
        QCOMPARE(files.size(), 3);
    }

    // A page whose images cannot be written is not written either, nor is their folder.
    void htmlExportFailsCleanly_data()
    {
        QTest::addColumn<bool>("folderTaken"); // else the image's file is gone
        QTest::newRow("folder name taken by a file") << true;
        QTest::newRow("image file gone") << false;
    }

    void htmlExportFailsCleanly()
    {
        QFETCH(bool, folderTaken);
        const QString site = Documents() + QStringLiteral("/site");
        QDir(site).removeRecursively();
        QDir().mkpath(site);
        Editor editor;
        editor.Insert(Picture(QStringLiteral("shown.png")), QSize(20, 15));
        QFile blocker(site + QStringLiteral("/page_files"));
        QVERIFY(folderTaken ? blocker.open(QIODevice::WriteOnly)
                            : QFile::remove(Resized(QStringLiteral("shown1.png"))));
        editor.prompts.fileNameAnswers << site + QStringLiteral("/page.html");
        editor.Click("buttonExportHTML");
        const QStringList warnings = editor.Messages(QStringLiteral("warning"));
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings[0].startsWith(QStringLiteral("Could not export file.\n")) &&
                warnings[0].contains(QStringLiteral("page_files")));
        QCOMPARE(QDir(site).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 folderTaken ? QStringList{"page_files"} : QStringList());
    }

    // An export that fails over an earlier one leaves its page and images as they were, byte for
    // byte, with nothing beside them; once it can succeed, it replaces them and leaves nothing.
    void failedHtmlExportKeepsTheEarlierOne()
    {
        const QString site = Documents() + QStringLiteral("/site");
        const QString folder = site + QStringLiteral("/page_files");
        const QString html = site + QStringLiteral("/page.html");
        QDir(site).removeRecursively();
        QVERIFY(QDir().mkpath(site));
        QTemporaryDir before, after;
        const auto exportPage = [&html](const QStringList& images) {
            Editor editor;
            for (const QString& image : images) {
                editor.Edit()->moveCursor(QTextCursor::End); // copied in this order
                editor.Edit()->textCursor().insertHtml(
                    QStringLiteral("<img src=\"%1\" width=\"5\" height=\"4\" />").arg(image.toHtmlEscaped()));
            }
            editor.prompts.fileNameAnswers << html;
            editor.Click("buttonExportHTML");
            return editor.Messages(QStringLiteral("warning"));
        };
        const auto entries = [](const QString& dir) {
            return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        };
        const auto exported = [&] {
            return QList<QByteArray>{Bytes(html), Bytes(folder + QStringLiteral("/a.png")),
                                     Bytes(folder + QStringLiteral("/b.png"))};
        };
        QCOMPARE(exportPage({MakePicture(before.filePath(QStringLiteral("a.png")), 5, 4),
                             MakePicture(before.filePath(QStringLiteral("b.png")), 6, 4)}),
                 QStringList());
        const QList<QByteArray> earlier = exported();
        QVERIFY(QDir().mkdir(folder + QStringLiteral("/c.png"))); // where the last image goes

        const QStringList images = {MakePicture(after.filePath(QStringLiteral("a.png")), 9, 7),
                                    MakePicture(after.filePath(QStringLiteral("n.png")), 3, 3),
                                    MakePicture(after.filePath(QStringLiteral("c.png")), 4, 4)};
        const QStringList warnings = exportPage(images);
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings[0].startsWith(QStringLiteral("Could not export file.\n")) &&
                warnings[0].contains(QStringLiteral("c.png")));
        QCOMPARE(exported(), earlier);
        QCOMPARE(entries(site), (QStringList{"page.html", "page_files"}));
        QCOMPARE(entries(folder), (QStringList{"a.png", "b.png", "c.png"}));

        QVERIFY(QDir().rmdir(folder + QStringLiteral("/c.png")));
        QCOMPARE(exportPage(images), QStringList());
        QCOMPARE(Bytes(folder + QStringLiteral("/a.png")), Bytes(images[0]));
        QCOMPARE(entries(folder), (QStringList{"a.png", "b.png", "c.png", "n.png"}));
    }

    // A second export over a first replaces its page and both images while each of their names
    // holds the old file or the new one: a name is only ever a rename's destination, the files
    // replaced being kept aside under second names, or as copies where links are refused. One
    // that fails at any step leaves the first byte for byte, with no hidden file left.
    void exportOverAnotherNeverLeavesANameEmpty_data()
    {
        QTest::addColumn<bool>("linksRefused");
        QTest::addColumn<QString>("refusedRename"); // the name whose rename the system refuses
        QTest::addColumn<int>("sizeLimit");         // bytes a file may take during the second export
        QTest::newRow("replaced") << false << "" << 0;
        QTest::newRow("replaced, links refused") << true << "" << 0;
        QTest::newRow("page refused") << false << "page.html" << 0;
        QTest::newRow("page refused, links refused") << true << "page.html" << 0;
        QTest::newRow("second image refused") << false << "b.png" << 0;
        QTest::newRow("links refused, no room for a copy") << true << "" << 4096;
    }

    void exportOverAnotherNeverLeavesANameEmpty()
    {
        QFETCH(bool, linksRefused);
        QFETCH(QString, refusedRename);
        QFETCH(int, sizeLimit);
        QTemporaryDir site, first, second;
        const QString html = site.filePath(QStringLiteral("page.html"));
        const QStringList names = {html, site.filePath(QStringLiteral("page_files/a.png")),
                                   site.filePath(QStringLiteral("page_files/b.png"))};
        const auto exportPage = [&html](const QStringList& images, int side) {
            QTextDocument document;
            QTextCursor cursor(&document);
            for (const QString& image : images)
                cursor.insertHtml(QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%2\" />")
                                      .arg(image.toHtmlEscaped())
                                      .arg(side));
            QString error;
            return HtmlExport::WritePageWithImages(html, document, error);
        };
        const auto exported = [&names] {
            QList<QByteArray> files;
            for (const QString& name : names)
                files << Bytes(name);
            return files;
        };
        const auto entries = [](const QString& dir) {
            return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        };
        // Noise, which no compression makes smaller than the limit.
        QImage noise(64, 64, QImage::Format_RGB32);
        QRandomGenerator random(61);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, random.generate() | 0xff000000u);
        QVERIFY(noise.save(first.filePath(QStringLiteral("a.png"))));
        QVERIFY(exportPage({first.filePath(QStringLiteral("a.png")),
                            MakePicture(first.filePath(QStringLiteral("b.png")), 6, 4)},
                           5));
        const QList<QByteArray> earlier = exported();
        QVERIFY(earlier[1].size() > sizeLimit);

        QStringList wrongSteps;
        QStringList missing;
        StagedOutput::SetNameStepWatcher([&](StagedOutput::NameStep step, const QString& from, const QString& to) {
            const bool link = step == StagedOutput::NameStep::Link;
            if (!QFileInfo(link ? to : from).fileName().startsWith(QLatin1Char('.')))
                wrongSteps << from + QStringLiteral(" -> ") + to;
            for (const QString& name : names)
                if (!QFile::exists(name))
                    missing << name;
            return link ? !linksRefused : QFileInfo(to).fileName() != refusedRename;
        });
        const auto unwatch = qScopeGuard([] { StagedOutput::SetNameStepWatcher({}); });
        const QStringList images = {MakePicture(second.filePath(QStringLiteral("a.png")), 9, 7),
                                    MakePicture(second.filePath(QStringLiteral("b.png")), 3, 3)};
        bool written = false;
        {
            std::optional<FileSizeLimit> full;
            if (sizeLimit > 0) {
                full.emplace(sizeLimit);
                QVERIFY(full->IsSet());
            }
            written = exportPage(images, 9);
        }
        const bool fails = !refusedRename.isEmpty() || sizeLimit > 0;
        QCOMPARE(written, !fails);
        QCOMPARE(wrongSteps, QStringList());
        QCOMPARE(missing, QStringList());
        if (fails) {
            QCOMPARE(exported(), earlier);
        } else {
            QVERIFY(Bytes(html) != earlier[0]);
            QCOMPARE(Bytes(names[1]), Bytes(images[0]));
            QCOMPARE(Bytes(names[2]), Bytes(images[1]));
        }
        QCOMPARE(entries(site.path()), (QStringList{"page.html", "page_files"}));
        QCOMPARE(entries(site.filePath(QStringLiteral("page_files"))), (QStringList{"a.png", "b.png"}));
    }

    void closingWithUnsavedChanges_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("projectName"); // empty: Save As cancelled; "?": unwritable
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("imageKept");
        QTest::newRow("Yes, saved") << int(QMessageBox::Yes) << "closed.cnp" << true << true;
        QTest::newRow("Yes, Save As cancelled") << int(QMessageBox::Yes) << "" << false << true;
        QTest::newRow("Yes, save failed") << int(QMessageBox::Yes) << "?" << false << true;
        QTest::newRow("No") << int(QMessageBox::No) << "" << true << false;
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << "" << false << true;
    }

    void closingWithUnsavedChanges()
    {
        QFETCH(int, answer);
        QFETCH(QString, projectName);
        QFETCH(bool, closes);
        QFETCH(bool, imageKept);
        Editor editor;
        editor.Insert(Picture(QStringLiteral("closing.jpg")), QSize(10, 10));
        QTest::keyClicks(editor.Edit(), QStringLiteral("text"));
        editor.prompts.questionAnswers << QMessageBox::StandardButton(answer);
        if (projectName == QLatin1String("?"))
            editor.prompts.fileNameAnswers << Documents() + QStringLiteral("/missing/folder/p.cnp");
        else if (!projectName.isEmpty())
            editor.prompts.fileNameAnswers << Documents() + QLatin1Char('/') + projectName;

        QCOMPARE(editor.window.close(), closes);
        const ScriptedPrompts::Record question = editor.prompts.Of(QStringLiteral("question")).first();
        QCOMPARE(question.text, QStringLiteral("You have unsaved changes. Do you want to save your settings?"));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(question.defaultButton, QMessageBox::NoButton);
        QCOMPARE(editor.window.windowTitle(), closes ? kTitle : kTitle + QLatin1Char('*'));
        QCOMPARE(editor.Images().size(), closes ? 0 : 1);
        QCOMPARE(QFile::exists(Resized(QStringLiteral("closing1.jpg"))), imageKept);
        QCOMPARE(QFile::exists(Original(QStringLiteral("closing1.jpg"))), imageKept);
    }

    // A project names files outside the store, through "..", and through a link in the store:
    // loading, resizing, deleting and discarding leave all of them as they were. Copies of the
    // store are rebuilt only when their size is wrong.
    void projectCannotTouchFilesOutsideTheStore()
    {
        QTemporaryDir outside;
        const QString victim = MakePicture(outside.path() + QStringLiteral("/victim.jpg"), 20, 20);
        const QString linked = MakePicture(outside.path() + QStringLiteral("/linked.jpg"), 20, 20);
        const QByteArray victimBytes = Bytes(victim);
        const QByteArray linkedBytes = Bytes(linked);
        MakePicture(Original(QStringLiteral("link.jpg")), 20, 20);
        MakePicture(Original(QStringLiteral("right1.jpg")), 20, 20);
        MakePicture(Resized(QStringLiteral("right1.jpg")), 10, 10);
        MakePicture(Original(QStringLiteral("gone1.jpg")), 20, 20);
        QVERIFY(QFile::link(linked, Resized(QStringLiteral("link.jpg"))));
        const ino_t rightInode = Inode(Resized(QStringLiteral("right1.jpg")));
        const QByteArray rightBytes = Bytes(Resized(QStringLiteral("right1.jpg")));

        const QStringList sources = {victim, Resized(QStringLiteral("../../../../") + QDir(Documents()).relativeFilePath(victim)),
                                     Resized(QStringLiteral("link.jpg")), Resized(QStringLiteral("right1.jpg")),
                                     Resized(QStringLiteral("gone1.jpg"))};
        QString html = QStringLiteral("<html><body>");
        for (const QString& source : sources)
            html += QStringLiteral("<p><img src=\"%1\" width=\"10\" height=\"10\" /></p>").arg(source.toHtmlEscaped());
        html += QStringLiteral("</body></html>");
        const QString project = Documents() + QStringLiteral("/crafted.cnp");
        QFile file(project);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(html.toUtf8()) > 0);
        file.close();

        Editor editor;
        editor.prompts.fileNameAnswers << project;
        editor.Trigger("actionLoad");
        QCOMPARE(editor.Images().size(), 5);
        QCOMPARE(QImage(Resized(QStringLiteral("gone1.jpg"))).size(), QSize(10, 10)); // rebuilt
        QCOMPARE(Inode(Resized(QStringLiteral("right1.jpg"))), rightInode);           // not saved again
        QCOMPARE(Bytes(Resized(QStringLiteral("right1.jpg"))), rightBytes);

        // Resizing an outside image makes a stored copy of it instead.
        editor.PutCursor(0);
        editor.sizes << QSize(5, 5);
        editor.Trigger("actionResize_Image");
        QCOMPARE(editor.Images().first().name(), Resized(QStringLiteral("victim1.jpg")));
        for (int block = 2; block >= 1; --block) {
            editor.PutCursor(editor.Edit()->document()->findBlockByNumber(block).position());
            editor.sizes << QSize(6, 6);
            editor.Trigger("actionResize_Image");
        }
        // Every image deleted, then the document discarded.
        editor.Edit()->selectAll();
        editor.Edit()->textCursor().removeSelectedText();
        QCOMPARE(editor.Images().size(), 0);
        editor.prompts.questionAnswers << QMessageBox::No;
        editor.Trigger("actionNew");
        QCOMPARE(Bytes(victim), victimBytes);
        QCOMPARE(Bytes(linked), linkedBytes);
        QVERIFY(QFileInfo(Resized(QStringLiteral("link.jpg"))).isSymLink());
        QVERIFY(QFile::exists(Resized(QStringLiteral("right1.jpg")))); // made before this run
    }
};

VELLORAN_APP_TEST_MAIN(CreateNewPDFWindowTest)
#include "CreateNewPDFWindowTest.moc"
