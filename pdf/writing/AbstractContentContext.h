#pragma once
// Writes the operators of one content stream (a page's or a form's) and keeps what they need:
// the graphic state stack, the procedure sets and resource names in the target's resources
// dictionary, and the image files to be written as forms when the page or form ends. Every
// operator first makes sure the stream exists (EnsureContentStream); each line ends in CR LF.
// The document context is not owned; listeners are not owned.

#include "pdf/fonts/GlyphTextRecord.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/GraphicStateStack.h"
#include "pdf/writing/ImageOptions.h"
#include "pdf/writing/PDFValueWriter.h"
#include "pdf/writing/TextOptions.h"

#include <initializer_list>
#include <set>
#include <string>

class DocumentContext;
class IContentContextListener;
class ITextCommand;
class ResourcesDictionary;

class AbstractContentContext {
public:
    explicit AbstractContentContext(DocumentContext* inDocumentContext);
    virtual ~AbstractContentContext();
    AbstractContentContext(const AbstractContentContext&) = delete;
    AbstractContentContext& operator=(const AbstractContentContext&) = delete;

    // The resources dictionary of the page or form this content belongs to.
    virtual ResourcesDictionary* TargetResources() = 0;

    // "q", then a copy of the current state is pushed.
    void SaveGraphicState();
    // "Q" and a pop. With no saved state nothing is written and the result is -1.
    OpStatus RestoreGraphicState();
    void ConcatMatrix(double inA, double inB, double inC, double inD, double inE, double inF);
    void SetExtGState(const std::string& inResourceName);
    void SetFillGray(double inGray);
    void SetFillRGBColor(double inRed, double inGreen, double inBlue);
    void SetFillCMYKColor(double inCyan, double inMagenta, double inYellow, double inBlack);
    void PaintXObject(const std::string& inResourceName);
    void BeginText();
    void EndText();
    void SetFontAndSize(const std::string& inFontResourceName, double inFontSize);
    void SetTextMatrix(double inA, double inB, double inC, double inD, double inE, double inF);
    // "Td": the next line starts at (tx, ty) from the start of the current one.
    void MoveTextPosition(double inTx, double inTy);
    void ShowTextLiteral(const std::string& inBytes);
    void ShowTextHex(const std::string& inHexText);

    // Paths: "m", "l", "h", "re", then painted with "f" or "S"; "w" and "RG" for the strokes.
    void MoveTo(double inX, double inY);
    void LineTo(double inX, double inY);
    void ClosePath();
    void Rectangle(double inLeft, double inBottom, double inWidth, double inHeight);
    void Fill();
    void Stroke();
    void SetLineWidth(double inLineWidth);
    void SetStrokeRGBColor(double inRed, double inGreen, double inBlue);

    // RGB 0xRRGGBB, CMYK 0xCCMMYYKK, gray the low byte (EColorSpaceKind). Another kind writes
    // nothing and fails.
    OpStatus SetFillColor(uint32_t inColorValue, int inColorSpaceKind);

    // Text at (x, y) in the options' colour and font. Fails without writing anything when the
    // colour kind is unknown or no font is at hand; otherwise the status of showing the text,
    // which is not shown (and fails) when it is not UTF-8 or the font lacks one of its characters.
    OpStatus WriteText(double inX, double inY, const std::string& inText, const TextOptions& inOptions);
    // An image file drawn through a form XObject written once per document, when the page or
    // form ends. Fails before writing anything when the file is of no known kind, or, when
    // fitting, when it measures no area or the box has none.
    OpStatus DrawImage(double inX, double inY, const std::string& inImagePath, const ImageOptions& inOptions);

    OpStatus WriteTextCommandWithEncoding(const std::string& inText, ITextCommand* inTextCommand);
    OpStatus WriteTextCommandWithDirectGlyphSelection(const GlyphTextRecordList& inGlyphs, ITextCommand* inTextCommand);

    GraphicStateStack& GetGraphicStateStack() { return mGraphicStack; }
    void AddContentContextListener(IContentContextListener* inListener);
    void RemoveContentContextListener(IContentContextListener* inListener);

protected:
    // Makes sure a stream is there to write into and points the writer at it.
    virtual void EnsureContentStream() {}
    // Has the image file written as the form inObjectID when the page or form ends.
    virtual void QueueImageFileWrite(const std::string& inImagePath, int inImageIndex, ObjectIDType inObjectID) = 0;

    // The stream the operators write to (not owned); null while there is none.
    void SetContentStream(IByteWriterWithPosition* inStream) { mPrimitiveWriter.SetOutputStream(inStream); }
    DocumentContext* GetDocumentContext() { return mDocumentContext; }

private:
    // Stream, procedure sets, then the operands and the operator.
    void StartOperator(bool inUsesText);
    // An operator with numbers only (or no operands).
    void WriteNumbersOperator(std::initializer_list<double> inValues, const char* inOperator, bool inUsesText = false);
    void WriteOperator(const char* inOperator);

    DocumentContext* mDocumentContext;
    PDFValueWriter mPrimitiveWriter;
    GraphicStateStack mGraphicStack;
    std::set<IContentContextListener*> mListeners;
};
