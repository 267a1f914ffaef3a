#include "app/tools/PDFQueries.h"

#include "app/tools/FailedFile.h"
#include "app/tools/ParsedPDF.h"

#include "pdf/io/InputFile.h"
#include "pdf/objects/PDFArray.h"
#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/PDFInteger.h"
#include "pdf/objects/PDFReal.h"
#include "pdf/objects/RefCountPtr.h"
#include "pdf/parsing/InheritedPageEntry.h"
#include "pdf/parsing/PDFParser.h"

#include <QCoreApplication>

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
        return WholePoints(number);
    }
    return fallback;
}

} // namespace

int WholePoints(double side)
{
    if (!(side >= 1.0))
        return 1;
    return side >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(side);
}

QSize PageSizeFromMediaBox(const PDFObject* mediaBox, PDFParser* parser)
{
    if (!mediaBox || mediaBox->GetType() != PDFObject::ePDFObjectArray)
        return QSize(kFallbackPageWidth, kFallbackPageHeight);
    const auto* box = static_cast<const PDFArray*>(mediaBox);
    // A side may be written as a reference to a number, which readers follow.
    auto side = [&](uint32_t index) {
        if (parser && index < box->GetLength())
            return RefCountPtr<PDFObject>(parser->ResolveArrayElement(const_cast<PDFArray*>(box), index));
        return RefCountPtr<PDFObject>(box->GetElement(index));
    };
    RefCountPtr<PDFObject> width(side(2));
    RefCountPtr<PDFObject> height(side(3));
    return QSize(PageSide(width.GetPtr(), kFallbackPageWidth), PageSide(height.GetPtr(), kFallbackPageHeight));
}

QSize FirstPageSize(PDFParser& parser)
{
    RefCountPtr<PDFDictionary> page(parser.ParsePage(0));
    if (!page)
        return PageSizeFromMediaBox(nullptr);
    RefCountPtr<PDFObject> mediaBox;
    if (InheritedPageEntry::Find(&parser, page.GetPtr(), "MediaBox", mediaBox, &parser.GetPageTreeNodeCache()) !=
        InheritedPageEntry::eFound)
        return PageSizeFromMediaBox(nullptr);
    return PageSizeFromMediaBox(mediaBox.GetPtr(), &parser);
}

namespace {

// Opens and parses the file by its UTF-8 path, hands the parser to the question, closes the
// file. A file that cannot be opened or parsed gets the fallback answer.
template <class Result, class Question>
Result AskParsedFile(const QString& path, Result fallback, Question question)
{
    InputFile file;
    if (file.OpenFile(path.toUtf8().toStdString()) != eSuccess)
        return fallback;
    PDFParser parser;
    Result answer = parser.ParseDocument(file.GetInputStream()) == eSuccess ? question(parser) : fallback;
    file.CloseFile();
    return answer;
}

} // namespace

int GetPDFPageCount(const QString& path)
{
    return AskParsedFile(path, 0, [](PDFParser& parser) {
        const unsigned long count = parser.GetPageCount();
        return count > static_cast<unsigned long>(INT_MAX) ? INT_MAX : static_cast<int>(count);
    });
}

QSize GetPDFPageSize(const QString& path)
{
    return AskParsedFile(path, PageSizeFromMediaBox(nullptr), FirstPageSize);
}

bool IsPDFEncrypted(const QString& path)
{
    return AskParsedFile(path, false, [](PDFParser& parser) { return parser.HasEncryptionDictionary(); });
}

bool IsPDFReadable(const QString& path)
{
    return AskParsedFile(path, false, [](PDFParser& parser) {
        RefCountPtr<PDFDictionary> page(parser.ParsePage(0));
        return static_cast<bool>(page);
    });
}

QString PDFUnreadableReason(const QString& path)
{
    ParsedPDF file;
    QString reason;
    if (!file.Open(path, reason))
        return reason;
    if (file.PageCount() == 0)
        return QCoreApplication::translate("PDFQueries", "the document has no pages");
    RefCountPtr<PDFDictionary> page(file.Parser().ParsePage(0));
    return page ? QString() : LibraryFailureReason();
}
