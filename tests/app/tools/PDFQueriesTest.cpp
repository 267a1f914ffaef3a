// The first page's size from its media box: the numbers of a file are range-checked before
// they become ints, and sizes of 0 or less fall back to A4.

#include "app/support/AppTestMain.h"
#include "app/support/TestPDF.h"
#include "app/tools/PDFQueries.h"

#include "pdf/objects/PDFObjects.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <climits>
#include <cmath>
#include <initializer_list>

namespace {

// An array of the given values; each value is an int, a real or null for a name element.
RefCountPtr<PDFArray> Box(std::initializer_list<PDFObject*> elements)
{
    RefCountPtr<PDFArray> box(new PDFArray());
    for (PDFObject* element : elements) {
        box->AppendObject(element);
        element->Release();
    }
    return box;
}

PDFObject* Int(long long value)
{
    return new PDFInteger(value);
}

PDFObject* Real(double value)
{
    return new PDFReal(value);
}

// Pages with the given own media boxes (empty: none), under a tree whose root holds parentBox.
QByteArray PagesWithBoxes(const QList<QByteArray>& pageBoxes, const QByteArray& parentBox = "[0 0 400 300]")
{
    QList<QByteArray> bodies{"<< /Type /Catalog /Pages 2 0 R >>"};
    QByteArray kids;
    for (int i = 0; i < pageBoxes.size(); ++i)
        kids += QByteArray::number(i + 3) + " 0 R ";
    bodies << "<< /Type /Pages /MediaBox " + parentBox + " /Kids [" + kids + "] /Count " +
                  QByteArray::number(pageBoxes.size()) + " >>";
    for (const QByteArray& box : pageBoxes)
        bodies << "<< /Type /Page /Parent 2 0 R" + (box.isEmpty() ? QByteArray() : " /MediaBox " + box) + " >>";
    return TestPDF::Assemble(bodies);
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString Run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What pdfinfo says of the file: its page count and the first page's size, or -1 when it
// refuses the file.
int PdfinfoPages(const QString& path)
{
    int exitCode = 0;
    const QString info = Run("pdfinfo", {path}, &exitCode);
    QRegularExpressionMatch match = QRegularExpression("Pages:\\s+(\\d+)").match(info);
    return exitCode == 0 && match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class PDFQueriesTest : public QObject {
    Q_OBJECT

private slots:
    void integerAndRealCorners()
    {
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Int(612), Int(792)}).GetPtr()), QSize(612, 792));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(595.5), Real(842.9)}).GetPtr()), QSize(595, 842));
        // The lower-left corner is not subtracted.
        QCOMPARE(PageSizeFromMediaBox(Box({Int(10), Int(10), Int(612), Int(792)}).GetPtr()), QSize(612, 792));
    }

    // A value that is no box as readers take it gives no size at all.
    void missingOrWrongValuesFallBack()
    {
        QCOMPARE(PageSizeFromMediaBox(nullptr), QSize(595, 842));
        RefCountPtr<PDFObject> notAnArray(new PDFDictionary());
        QCOMPARE(PageSizeFromMediaBox(notAnArray.GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Int(300)}).GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), new PDFBoolean(true), Int(500)}).GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({}).GetPtr()), QSize(595, 842));
    }

    void sizesOfZeroOrLessFallBack()
    {
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Int(0), Int(-792)}).GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(0.5), Real(-0.0)}).GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(std::nan("")), Real(1.0)}).GetPtr()), QSize(595, 842));
    }

    void hugeNumbersAreClampedBeforeNarrowing()
    {
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Int(1LL << 40), Int(LLONG_MAX)}).GetPtr()),
                 QSize(INT_MAX, INT_MAX));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(1e300), Real(1e8)}).GetPtr()),
                 QSize(INT_MAX, 100000000));
        // An area beyond a double is no size.
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(1e300), Real(INFINITY)}).GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(-1e300), Int(LLONG_MIN)}).GetPtr()), QSize(595, 842));
    }

    void theBoxIsOnlyRead()
    {
        RefCountPtr<PDFArray> box = Box({Int(0), Int(0), Int(612), Int(792)});
        PageSizeFromMediaBox(box.GetPtr());
        QCOMPARE(box->GetRefCount(), 1);
        RefCountPtr<PDFObject> width(box->GetElement(2));
        QCOMPARE(width->GetRefCount(), 2); // the array's and ours: none leaked, none lost
    }

    // --- The queries on files, each against pdfinfo ---

    void pageCountAndFirstPageSize()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("three pages.pdf");
        QVERIFY(WriteFile(path, PagesWithBoxes({"[0 0 612 792]", "[0 0 200 200]", ""})));
        QCOMPARE(PdfinfoPages(path), 3);
        QCOMPARE(GetPDFPageCount(path), 3);
        QCOMPARE(GetPDFPageSize(path), QSize(612, 792));
        QVERIFY(IsPDFReadable(path));
        QVERIFY(!IsPDFEncrypted(path));

        QVERIFY(WriteFile(path, PagesWithBoxes({"[0 0 595.5 842.9]"})));
        QCOMPARE(GetPDFPageSize(path), QSize(595, 842));
        QVERIFY(Run("pdfinfo", {path}).contains("595.5 x 842.9"));
    }

    // A box the first page takes from the page tree counts as its own.
    void inheritedMediaBox()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("inherited.pdf");
        QVERIFY(WriteFile(path, PagesWithBoxes({"", "[0 0 100 100]"}, "[0 0 300 400]")));
        QVERIFY(Run("pdfinfo", {path}).contains("300 x 400"));
        QCOMPARE(GetPDFPageCount(path), 2);
        QCOMPARE(GetPDFPageSize(path), QSize(300, 400));
        QVERIFY(IsPDFReadable(path));
    }

    // Sides written as references to numbers, on the page and inherited, as pdfinfo reads them.
    void boxNumbersByReference()
    {
        QTemporaryDir dir;
        const QString own = dir.filePath("own.pdf");
        QList<QByteArray> bodies{"<< /Type /Catalog /Pages 2 0 R >>",
                                 "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 4 0 R 5 0 R] >>",
                                 "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 6 0 R 4 0 R] >>", "250", "50.5",
                                 "180.9"};
        QVERIFY(WriteFile(own, TestPDF::Assemble(bodies)));
        QVERIFY(Run("pdfinfo", {own}).contains("180.9 x 250"));
        QCOMPARE(GetPDFPageSize(own), QSize(180, 250));
        const QString inherited = dir.filePath("inherited.pdf");
        bodies[2] = "<< /Type /Page /Parent 2 0 R >>";
        QVERIFY(WriteFile(inherited, TestPDF::Assemble(bodies)));
        QVERIFY(Run("pdfinfo", {inherited}).contains("250 x 50.5"));
        QCOMPARE(GetPDFPageSize(inherited), QSize(250, 50));
    }

    void encryptedFile()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath("plain.pdf");
        const QString encrypted = dir.filePath("encrypted.pdf");
        QVERIFY(WriteFile(plain, PagesWithBoxes({"[0 0 612 792]", "[0 0 612 792]"})));
        int exitCode = 0;
        Run("qpdf", {"--encrypt", "user", "owner", "256", "--", plain, encrypted}, &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(PdfinfoPages(encrypted), -1); // pdfinfo wants the password
        QVERIFY(IsPDFEncrypted(encrypted));
        QCOMPARE(GetPDFPageCount(encrypted), 0);
        QCOMPARE(GetPDFPageSize(encrypted), QSize(595, 842));
        QVERIFY(!IsPDFReadable(encrypted));
        QCOMPARE(PDFUnreadableReason(encrypted), QStringLiteral("the document is encrypted"));
        QCOMPARE(PDFUnreadableReason(plain), QString());
    }

    void unreadableFiles()
    {
        QTemporaryDir dir;
        const QString text = dir.filePath("notes.pdf");
        QVERIFY(WriteFile(text, "This is not a PDF file at all.\n"));
        const QString cut = dir.filePath("cut.pdf");
        const QByteArray whole = PagesWithBoxes({"[0 0 612 792]"});
        QVERIFY(WriteFile(cut, whole.left(whole.size() / 2)));
        const QString empty = dir.filePath("empty.pdf");
        QVERIFY(WriteFile(empty, PagesWithBoxes({})));
        // Why each is refused, as the list's warning says it: the system's reason for what cannot
        // be opened, the library's for what does not parse.
        struct Case {
            QString path;
            QString reason; // empty: the library's line, without its "Class::Method, "
        };
        for (const Case& c : {Case{text, QString()}, Case{cut, QString()},
                              Case{dir.filePath("missing.pdf"), "No such file or directory"},
                              Case{dir.path(), "file to open is a directory"},
                              Case{empty, "the document has no pages"}}) {
            const QString& path = c.path;
            QCOMPARE(GetPDFPageCount(path), 0);
            QCOMPARE(GetPDFPageSize(path), QSize(595, 842));
            QVERIFY(!IsPDFEncrypted(path));
            QVERIFY(!IsPDFReadable(path));
            const QString reason = PDFUnreadableReason(path);
            if (c.reason.isEmpty())
                QVERIFY2(!reason.isEmpty() && !reason.contains(QStringLiteral("::")), qPrintable(reason));
            else
                QCOMPARE(reason, c.reason);
            if (path != empty)
                QCOMPARE(PdfinfoPages(path), -1);
        }
    }

    // Names outside any 8-bit code page reach the library as UTF-8 bytes.
    void nonAsciiPath()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromUtf8("Přehled – 報告 😀.pdf"));
        QVERIFY(WriteFile(path, PagesWithBoxes({"[0 0 420 595]"})));
        QCOMPARE(GetPDFPageCount(path), 1);
        QCOMPARE(GetPDFPageSize(path), QSize(420, 595));
        QVERIFY(IsPDFReadable(path));
    }
};

VELLORAN_APP_TEST_MAIN(PDFQueriesTest)
#include "PDFQueriesTest.moc"
