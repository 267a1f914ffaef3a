#include "app/tools/PDFQueries.h"

#include "pdf/objects/PDFArray.h"
#include "pdf/objects/PDFInteger.h"
#include "pdf/objects/PDFReal.h"
#include "pdf/objects/RefCountPtr.h"

#include <climits>

namespace {

// One side of the page from a media box element. Values from the file are range-checked
// before narrowing: a huge number becomes INT_MAX instead of undefined behaviour, and a side
// of 0 or less (or NaN) is no page size at all.
int PageSide(const PDFObject* value, int fallback)
{
    if (!value)
        return fallback;
    if (value->GetType() == PDFObject::ePDFObjectInteger) {
        const long long number = static_cast<const PDFInteger*>(value)->GetValue();
        if (number <= 0)
            return fallback;
        return number > INT_MAX ? INT_MAX : static_cast<int>(number);
    }
    if (value->GetType() == PDFObject::ePDFObjectReal) {
        const double number = static_cast<const PDFReal*>(value)->GetValue();
        if (!(number >= 1.0)) // below 1 truncates to 0 or less; NaN fails every comparison
            return fallback;
        return number >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(number);
    }
    return fallback;
}

} // namespace

QSize PageSizeFromMediaBox(const PDFObject* mediaBox)
{
    if (!mediaBox || mediaBox->GetType() != PDFObject::ePDFObjectArray)
        return QSize(kFallbackPageWidth, kFallbackPageHeight);
    const auto* box = static_cast<const PDFArray*>(mediaBox);
    RefCountPtr<PDFObject> width(box->GetElement(2));
    RefCountPtr<PDFObject> height(box->GetElement(3));
    return QSize(PageSide(width.GetPtr(), kFallbackPageWidth), PageSide(height.GetPtr(), kFallbackPageHeight));
}

// The four queries read the file through the library's parser, which is not part of the
// program yet: until it is, every file gets the fallback answer.

int GetPDFPageCount(const QString& path)
{
    Q_UNUSED(path);
    return 0;
}

QSize GetPDFPageSize(const QString& path)
{
    Q_UNUSED(path);
    return PageSizeFromMediaBox(nullptr);
}

bool IsPDFEncrypted(const QString& path)
{
    Q_UNUSED(path);
    return false;
}

bool IsPDFReadable(const QString& path)
{
    Q_UNUSED(path);
    return false;
}
