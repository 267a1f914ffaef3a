#include "pdf/writing/AbstractContentContext.h"

#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/NumberText.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/IContentContextListener.h"
#include "pdf/writing/ResourcesDictionary.h"
#include "pdf/writing/TjCommand.h"

#include <algorithm>

namespace {

const char scProcSetPDF[] = "PDF";
const char scProcSetText[] = "Text";

bool IsKnownColorSpaceKind(int inColorSpaceKind)
{
    return inColorSpaceKind == eColorSpaceRGB || inColorSpaceKind == eColorSpaceCMYK ||
           inColorSpaceKind == eColorSpaceGray;
}

double ColorComponent(uint32_t inColorValue, int inShift)
{
    return static_cast<double>((inColorValue >> inShift) & 0xFF) / 255.0;
}

} // namespace

AbstractContentContext::AbstractContentContext(DocumentContext* inDocumentContext) : mDocumentContext(inDocumentContext)
{
}

AbstractContentContext::~AbstractContentContext() = default;

void AbstractContentContext::StartOperator(bool inUsesText)
{
    EnsureContentStream();
    ResourcesDictionary* resources = TargetResources();
    resources->AddProcSetName(scProcSetPDF);
    if (inUsesText)
        resources->AddProcSetName(scProcSetText);
}

void AbstractContentContext::WriteNumbersOperator(std::initializer_list<double> inValues, const char* inOperator,
                                                  bool inUsesText)
{
    StartOperator(inUsesText);
    for (double value : inValues)
        mPrimitiveWriter.WriteRealValue(value, eTokenSeparatorSpace);
    WriteOperator(inOperator);
}

void AbstractContentContext::WriteOperator(const char* inOperator)
{
    mPrimitiveWriter.WriteText(inOperator);
    mPrimitiveWriter.WriteSeparator(eTokenSeparatorEndLine);
}

void AbstractContentContext::SaveGraphicState()
{
    WriteNumbersOperator({}, "q");
    mGraphicStack.PushCopy();
    for (IContentContextListener* listener : mListeners)
        listener->OnSaveGraphicState(this);
}

OpStatus AbstractContentContext::RestoreGraphicState()
{
    // A "Q" without its "q" would make the content invalid; refuse it before it is written.
    if (!mGraphicStack.CanPop())
        return mGraphicStack.Pop();
    WriteNumbersOperator({}, "Q");
    OpStatus status = mGraphicStack.Pop();
    for (IContentContextListener* listener : mListeners)
        listener->OnRestoreGraphicState(this);
    return status;
}

void AbstractContentContext::ConcatMatrix(double inA, double inB, double inC, double inD, double inE, double inF)
{
    WriteNumbersOperator({inA, inB, inC, inD, inE, inF}, "cm");
}

void AbstractContentContext::SetExtGState(const std::string& inResourceName)
{
    StartOperator(false);
    mPrimitiveWriter.WriteNameValue(inResourceName, eTokenSeparatorSpace);
    WriteOperator("gs");
}

void AbstractContentContext::SetFillGray(double inGray)
{
    WriteNumbersOperator({inGray}, "g");
}

void AbstractContentContext::SetFillRGBColor(double inRed, double inGreen, double inBlue)
{
    WriteNumbersOperator({inRed, inGreen, inBlue}, "rg");
}

void AbstractContentContext::SetFillCMYKColor(double inCyan, double inMagenta, double inYellow, double inBlack)
{
    WriteNumbersOperator({inCyan, inMagenta, inYellow, inBlack}, "k");
}

void AbstractContentContext::PaintXObject(const std::string& inResourceName)
{
    StartOperator(false);
    mPrimitiveWriter.WriteNameValue(inResourceName, eTokenSeparatorSpace);
    WriteOperator("Do");
}

void AbstractContentContext::BeginText()
{
    WriteNumbersOperator({}, "BT", true);
}

void AbstractContentContext::EndText()
{
    WriteNumbersOperator({}, "ET", true);
}

void AbstractContentContext::SetFontAndSize(const std::string& inFontResourceName, double inFontSize)
{
    StartOperator(true);
    mPrimitiveWriter.WriteNameValue(inFontResourceName, eTokenSeparatorSpace);
    mPrimitiveWriter.WriteRealValue(inFontSize, eTokenSeparatorSpace);
    WriteOperator("Tf");
    GraphicState& state = mGraphicStack.GetCurrentState();
    state.mPlacedFontName = inFontResourceName;
    state.mPlacedFontSize = inFontSize;
}

void AbstractContentContext::SetTextMatrix(double inA, double inB, double inC, double inD, double inE, double inF)
{
    WriteNumbersOperator({inA, inB, inC, inD, inE, inF}, "Tm", true);
}

void AbstractContentContext::MoveTextPosition(double inTx, double inTy)
{
    WriteNumbersOperator({inTx, inTy}, "Td", true);
}

void AbstractContentContext::ShowTextLiteral(const std::string& inBytes)
{
    StartOperator(true);
    mPrimitiveWriter.WriteLiteralStringValue(inBytes, eTokenSeparatorSpace);
    WriteOperator("Tj");
}

void AbstractContentContext::ShowTextHex(const std::string& inHexText)
{
    StartOperator(true);
    mPrimitiveWriter.WriteHexStringValue(inHexText, eTokenSeparatorSpace);
    WriteOperator("Tj");
}

void AbstractContentContext::MoveTo(double inX, double inY)
{
    WriteNumbersOperator({inX, inY}, "m");
}

void AbstractContentContext::LineTo(double inX, double inY)
{
    WriteNumbersOperator({inX, inY}, "l");
}

void AbstractContentContext::ClosePath()
{
    WriteNumbersOperator({}, "h");
}

void AbstractContentContext::Rectangle(double inLeft, double inBottom, double inWidth, double inHeight)
{
    WriteNumbersOperator({inLeft, inBottom, inWidth, inHeight}, "re");
}

void AbstractContentContext::Fill()
{
    WriteNumbersOperator({}, "f");
}

void AbstractContentContext::Stroke()
{
    WriteNumbersOperator({}, "S");
}

void AbstractContentContext::SetLineWidth(double inLineWidth)
{
    WriteNumbersOperator({inLineWidth}, "w");
}

void AbstractContentContext::SetStrokeRGBColor(double inRed, double inGreen, double inBlue)
{
    WriteNumbersOperator({inRed, inGreen, inBlue}, "RG");
}

OpStatus AbstractContentContext::SetFillColor(uint32_t inColorValue, int inColorSpaceKind)
{
    switch (inColorSpaceKind) {
    case eColorSpaceRGB:
        SetFillRGBColor(ColorComponent(inColorValue, 16), ColorComponent(inColorValue, 8),
                        ColorComponent(inColorValue, 0));
        return eSuccess;
    case eColorSpaceCMYK:
        SetFillCMYKColor(ColorComponent(inColorValue, 24), ColorComponent(inColorValue, 16),
                         ColorComponent(inColorValue, 8), ColorComponent(inColorValue, 0));
        return eSuccess;
    case eColorSpaceGray:
        SetFillGray(ColorComponent(inColorValue, 0));
        return eSuccess;
    default:
        TraceMessage("AbstractContentContext::SetFillColor, unknown colour space kind %d", inColorSpaceKind);
        return eFailure;
    }
}

OpStatus AbstractContentContext::WriteText(double inX, double inY, const std::string& inText,
                                           const TextOptions& inOptions)
{
    // Checked first, so that a refused text leaves no half-written text object behind.
    if (!IsKnownColorSpaceKind(inOptions.mColorSpace))
        return SetFillColor(inOptions.mColorValue, inOptions.mColorSpace);
    GraphicState& state = mGraphicStack.GetCurrentState();
    if (!inOptions.mFont && !state.mFont) {
        TraceMessage("AbstractContentContext::WriteText, Cannot write text, no current font is defined");
        return eFailure;
    }

    BeginText();
    SetFillColor(inOptions.mColorValue, inOptions.mColorSpace);
    if (inOptions.mFont) {
        state.mFont = inOptions.mFont;
        state.mFontSize = inOptions.mFontSize;
        SetTextMatrix(1, 0, 0, 1, inX, inY);
    } else {
        SetTextMatrix(inOptions.mFontSize, 0, 0, inOptions.mFontSize, inX, inY);
    }
    TjCommand command(this);
    OpStatus status = WriteTextCommandWithEncoding(inText, &command);
    EndText();
    return status;
}

OpStatus AbstractContentContext::WriteTextCommandWithEncoding(const std::string& inText, ITextCommand* inTextCommand)
{
    PDFUsedFont* font = mGraphicStack.GetCurrentState().mFont;
    if (!font) {
        TraceMessage(
            "AbstractContentContext::WriteTextCommandWithEncoding, Cannot write text, no current font is defined");
        return eFailure;
    }
    GlyphTextRecordList glyphs;
    if (font->TextToGlyphMapping(inText, glyphs) != eSuccess) {
        // Text that is not UTF-8 gives no glyphs at all.
        if (glyphs.empty() && !inText.empty()) {
            TraceMessage("AbstractContentContext::WriteTextCommandWithEncoding, could not read the text as UTF-8");
            return eFailure;
        }
        // A character the font has no glyph for would show as .notdef while a reader copies the
        // character: the page would not say what the caller asked for, so nothing is shown.
        TraceMessage("AbstractContextContext::WriteTextCommandWithEncoding, was unable to find glyphs for all "
                     "characters, the text is not written");
        return eFailure;
    }
    return WriteTextCommandWithDirectGlyphSelection(glyphs, inTextCommand);
}

OpStatus AbstractContentContext::WriteTextCommandWithDirectGlyphSelection(const GlyphTextRecordList& inGlyphs,
                                                                          ITextCommand* inTextCommand)
{
    GraphicState& state = mGraphicStack.GetCurrentState();
    if (!state.mFont) {
        TraceMessage("AbstractContentContext::WriteTextCommandWithDirectGlyphSelection, Cannot write text, no current "
                     "font is defined");
        return eFailure;
    }
    std::vector<uint16_t> codes;
    bool isCID = false;
    ObjectIDType fontObjectID = 0;
    OpStatus status = state.mFont->EncodeGlyphs(inGlyphs, codes, isCID, fontObjectID);
    if (status != eSuccess)
        return status;

    std::string fontName = TargetResources()->FontNameForObject(fontObjectID);
    if (fontName != state.mPlacedFontName || state.mFontSize != state.mPlacedFontSize)
        SetFontAndSize(fontName, state.mFontSize);

    std::string encoded;
    if (isCID) {
        static const char scHexDigits[] = "0123456789abcdef";
        encoded.reserve(codes.size() * 4);
        for (uint16_t code : codes) {
            encoded.push_back(scHexDigits[(code >> 12) & 0xF]);
            encoded.push_back(scHexDigits[(code >> 8) & 0xF]);
            encoded.push_back(scHexDigits[(code >> 4) & 0xF]);
            encoded.push_back(scHexDigits[code & 0xF]);
        }
        inTextCommand->WriteHexStringCommand(encoded);
    } else {
        encoded.reserve(codes.size());
        for (uint16_t code : codes)
            encoded.push_back(static_cast<char>(code & 0xFF));
        inTextCommand->WriteLiteralStringCommand(encoded);
    }
    return eSuccess;
}

OpStatus AbstractContentContext::DrawImage(double inX, double inY, const std::string& inImagePath,
                                           const ImageOptions& inOptions)
{
    // Refused before an id is reserved or a byte written: an image that cannot become a form
    // would leave a reference to an object that never exists.
    if (inOptions.mImageIndex < 0) {
        TraceMessage("AbstractContentContext::DrawImage, image index %d of %s is not valid", inOptions.mImageIndex,
                     inImagePath.c_str());
        return eFailure;
    }
    if (mDocumentContext->ImageKindOf(inImagePath, inOptions.mImageIndex) == DocumentContext::eImageKindUnknown) {
        TraceMessage("AbstractContentContext::DrawImage, %s is not an image file of a known kind", inImagePath.c_str());
        return eFailure;
    }

    double matrix[6] = {1, 0, 0, 1, inX, inY};
    switch (inOptions.mTransformationMethod) {
    case eImageTransformationNone:
        break;
    case eImageTransformationMatrix:
        std::copy(inOptions.mMatrix, inOptions.mMatrix + 6, matrix);
        matrix[4] += inX;
        matrix[5] += inY;
        break;
    case eImageTransformationFit: {
        std::pair<double, double> size = mDocumentContext->MeasureImage(inImagePath, inOptions.mImageIndex);
        double width = size.first;
        double height = size.second;
        if (!(width > 0) || !(height > 0)) {
            TraceMessage("AbstractContentContext::DrawImage, cannot fit %s: it measures %s x %s points",
                         inImagePath.c_str(), NumberText::FormatTrimmed(width).c_str(),
                         NumberText::FormatTrimmed(height).c_str());
            return eFailure;
        }
        double boxWidth = inOptions.mBoundingBoxWidth;
        double boxHeight = inOptions.mBoundingBoxHeight;
        if (!(boxWidth > 0) || !(boxHeight > 0)) {
            TraceMessage("AbstractContentContext::DrawImage, cannot fit %s into a box without area",
                         inImagePath.c_str());
            return eFailure;
        }
        double scaleX;
        double scaleY;
        if (inOptions.mFitPolicy == eImageFitAlways) {
            scaleX = boxWidth / width;
            scaleY = boxHeight / height;
        } else {
            scaleX = width > boxWidth ? boxWidth / width : 1;
            scaleY = height > boxHeight ? boxHeight / height : 1;
        }
        if (inOptions.mFitProportional)
            scaleX = scaleY = std::min(scaleX, scaleY);
        matrix[0] = scaleX;
        matrix[3] = scaleY;
        break;
    }
    default:
        TraceMessage("AbstractContentContext::DrawImage, unknown transformation method %d",
                     inOptions.mTransformationMethod);
        return eFailure;
    }

    bool isNewForm = false;
    ObjectIDType formObjectID = mDocumentContext->ImageFormIDFor(inImagePath, inOptions.mImageIndex, isNewForm);
    if (isNewForm)
        QueueImageFileWrite(inImagePath, inOptions.mImageIndex, formObjectID);

    SaveGraphicState();
    ConcatMatrix(matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]);
    PaintXObject(TargetResources()->FormXObjectNameForObject(formObjectID));
    return RestoreGraphicState();
}

void AbstractContentContext::AddContentContextListener(IContentContextListener* inListener)
{
    mListeners.insert(inListener);
}

void AbstractContentContext::RemoveContentContextListener(IContentContextListener* inListener)
{
    mListeners.erase(inListener);
}
