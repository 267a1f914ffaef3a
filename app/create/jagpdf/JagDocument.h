#pragma once
// The document behind a jagpdf document handle: one new PDF file written through its own
// PDFWriter, one page at a time. A page's canvas is the page's content context; text objects
// are positioned line by line ("Td"); the standard fonts are written at the end as non-embedded
// Type 1 dictionaries: one with WinAnsiEncoding per face used, and for a face whose text needs
// glyphs beyond WinAnsi, further dictionaries of the same face whose encodings add those glyphs
// at the codes WinAnsi leaves free (Differences, with the widths of every code), each glyph at
// the next free code in the order the text first needs it; an image file is loaded once per
// path and written once, as an image XObject right after the first page that draws it.
// Every call checks its arguments and the order of calls and throws JagFailure, before writing
// anything, when it refuses. A failure while writing the file leaves the document failed: every
// later call but Abandon is refused. A document that is abandoned (or destroyed) before Finalize
// succeeded closes and deletes its file. One thread at a time.

#include "app/create/jagpdf/JagImageFile.h"
#include "app/create/jagpdf/StandardFontMetrics.h"
#include "pdf/objects/ObjectIDType.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class OutputPage;
class PageContentContext;
class PDFWriter;

class JagDocument {
public:
    struct Font {
        StandardFontMetrics::Face face = StandardFontMetrics::eTimesRoman;
        double size = 12;
        bool operator==(const Font& inOther) const { return face == inOther.face && size == inOther.size; }
        bool operator!=(const Font& inOther) const { return !(*this == inOther); }
    };

    // Creates (or truncates) the file; throws JAG_ERR_IO when it cannot be opened for writing.
    explicit JagDocument(const std::string& inPath);
    ~JagDocument();
    JagDocument(const JagDocument&) = delete;
    JagDocument& operator=(const JagDocument&) = delete;

    // "standard; name=Times-Roman; size=12; enc=utf-8" (parts in any order, blanks ignored); an
    // empty description is Times-Roman at 12 points. Throws JAG_ERR_FONT for another face or an
    // unknown part, JAG_ERR_INVALID_ARGUMENT for a size that is not a positive number.
    static Font ParseFontDescription(const std::string& inDescription);

    void StartPage(double inWidth, double inHeight);
    // The serial number of the open page (counted from 1); throws when none is open.
    unsigned long OpenPage() const;
    void EndPage();
    void Finalize();
    // Closes the file and deletes it unless Finalize succeeded; every later call is refused.
    void Abandon();
    bool IsFinalized() const { return mState == eFinalized; }

    // The index of the image file (the same for the same path).
    size_t LoadImage(const std::string& inPath);
    const JagImageFile& Image(size_t inIndex) const;

    // Canvas operations on the page with the given serial, which must be the open one.
    void TextStart(unsigned long inPage, double inX, double inY);
    void SetFont(unsigned long inPage, const Font& inFont);
    void ShowText(unsigned long inPage, const std::string& inUTF8);
    void TranslateLine(unsigned long inPage, double inDx, double inDy);
    void TextEnd(unsigned long inPage);
    // The image with its lower-left corner at (x, y), inWidth x inHeight points.
    void DrawImage(unsigned long inPage, size_t inImage, double inX, double inY, double inWidth, double inHeight);

private:
    enum State { eWriting, eFinalized, eFailed, eAbandoned };
    struct LoadedImage {
        JagImageFile file;
        ObjectIDType objectID = 0; // reserved when first drawn
    };

    // Throws unless calls may still write into the document.
    void CheckWriting() const;
    PageContentContext& Canvas(unsigned long inPage);
    // Marks the document failed and throws.
    [[noreturn]] void FailWriting(const std::string& inMessage);
    // The dictionaries of one face: [0] is the WinAnsi one, [1 ...] the ones that add glyphs
    // beyond WinAnsi; an object id is reserved when a dictionary is first used.
    struct FaceDictionaries {
        std::vector<ObjectIDType> objectIDs;
        // The glyphs beyond WinAnsi in the order the text first needed them; the one at slot s is
        // in dictionary 1 + s / the free codes' count, at the free code s % that count.
        std::vector<StandardGlyph> extraGlyphs;
        std::map<StandardGlyph, size_t> slotOfGlyph;
    };
    struct PlacedFont {
        Font font;
        size_t dictionary = 0;
    };

    void WriteImage(LoadedImage& ioImage);
    // The slot of a glyph beyond WinAnsi in the current font's face, given on first use.
    size_t SlotOf(StandardGlyph inGlyph);
    // Selects the current font through one of its face's dictionaries, unless it is in place.
    void PlaceFont(PageContentContext& ioCanvas, size_t inDictionary);
    void WriteFontDictionaries();
    void WriteExtraGlyphDictionary(StandardFontMetrics::Face inFace, size_t inDictionary);

    std::string mPath;
    std::unique_ptr<PDFWriter> mWriter;
    State mState = eWriting;
    std::string mFailure;
    unsigned long mPageCount = 0;
    std::unique_ptr<OutputPage> mPage; // the open page
    PageContentContext* mCanvas = nullptr;
    bool mTextOpen = false;
    std::optional<Font> mFont;             // set by SetFont
    std::optional<PlacedFont> mPlacedFont; // what the open page's content last selected
    std::vector<size_t> mImagesToWrite;    // first drawn on the open page
    FaceDictionaries mFaces[StandardFontMetrics::eFaceCount];
    std::vector<LoadedImage> mImages;
    std::map<std::string, size_t> mImageIndexByPath;
};
