// The first page's size from its media box: the numbers of a file are range-checked before
// they become ints, and sizes of 0 or less fall back to A4.

#include "app/support/AppTestMain.h"
#include "app/tools/PDFQueries.h"

#include "pdf/objects/PDFObjects.h"

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

    void missingOrWrongValuesFallBackPerSide()
    {
        QCOMPARE(PageSizeFromMediaBox(nullptr), QSize(595, 842));
        RefCountPtr<PDFObject> notAnArray(new PDFDictionary());
        QCOMPARE(PageSizeFromMediaBox(notAnArray.GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Int(300)}).GetPtr()), QSize(300, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), new PDFBoolean(true), Int(500)}).GetPtr()), QSize(595, 500));
        QCOMPARE(PageSizeFromMediaBox(Box({}).GetPtr()), QSize(595, 842));
    }

    void sizesOfZeroOrLessFallBack()
    {
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Int(0), Int(-792)}).GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(0.5), Real(-0.0)}).GetPtr()), QSize(595, 842));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(std::nan("")), Real(1.0)}).GetPtr()), QSize(595, 1));
    }

    void hugeNumbersAreClampedBeforeNarrowing()
    {
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Int(1LL << 40), Int(LLONG_MAX)}).GetPtr()),
                 QSize(INT_MAX, INT_MAX));
        QCOMPARE(PageSizeFromMediaBox(Box({Int(0), Int(0), Real(1e300), Real(INFINITY)}).GetPtr()),
                 QSize(INT_MAX, INT_MAX));
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
};

VELLORAN_APP_TEST_MAIN(PDFQueriesTest)
#include "PDFQueriesTest.moc"
