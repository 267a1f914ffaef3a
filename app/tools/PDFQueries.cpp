#include "app/tools/PDFQueries.h"

#include "app/tools/FailedFile.h"
#include "app/tools/ParsedPDF.h"

#include "pdf/io/InputFile.h"
#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/RefCountPtr.h"
#include "pdf/parsing/InheritedPageValues.h"
#include "pdf/parsing/PDFParser.h"

#include <QCoreApplication>

#include <climits>

namespace {

// A side from a corner coordinate in whole points; 0 or less is no side at all.
int PageSide(double corner, int fallback)
{
    return corner >= 1.0 ? WholePoints(corner) : fallback;
}

} // namespace

int WholePoints(double side)
{
    if (!(side >= 1.0))
        return 1;
    return side >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(side);
}

QSize PageSizeFromBox(const PDFRectangle& box)
{
    return QSize(PageSide(box.UpperRightX, kFallbackPageWidth), PageSide(box.UpperRightY, kFallbackPageHeight));
}

QSize PageSizeFromMediaBox(const PDFObject* mediaBox, PDFParser* parser)
{
    PDFRectangle box;
    if (InheritedPageValues::ReadRectangle(parser, const_cast<PDFObject*>(mediaBox), box) != InheritedPageValues::eBoxRead)
        return QSize(kFallbackPageWidth, kFallbackPageHeight);
    return PageSizeFromBox(box);
}

QSize FirstPageSize(PDFParser& parser)
{
    RefCountPtr<PDFDictionary> page(parser.ParsePage(0));
    PDFRectangle box;
    if (!page || !InheritedPageValues().MediaBox(&parser, page.GetPtr(), box))
        return QSize(kFallbackPageWidth, kFallbackPageHeight);
    return PageSizeFromBox(box);
}

QSize ShownFirstPageSize(PDFParser& parser)
{
    RefCountPtr<PDFDictionary> page(parser.ParsePage(0));
    InheritedPageValues::ShownArea area;
    if (!page || !InheritedPageValues().Shown(&parser, page.GetPtr(), area))
        return QSize(kFallbackPageWidth, kFallbackPageHeight);
    return QSize(WholePoints(area.ShownWidth()), WholePoints(area.ShownHeight()));
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

QSize GetPDFShownPageSize(const QString& path)
{
    return AskParsedFile(path, QSize(kFallbackPageWidth, kFallbackPageHeight), ShownFirstPageSize);
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
