#pragma once
// Draws new content over an existing page of a file opened for an incremental update. Content
// is drawn into form XObjects that cover the page as shown (StartContentContext, drawing,
// EndContentContext, as often as wanted); WritePage then writes a new version of the page object
// whose content is the old content kept inside "q" ... "Q" followed by a stream that draws each
// form in turn, and whose resources are its own copy of the old ones with the forms added (the
// old content streams and resource objects, which other pages may share, stay untouched).
// The writer is not owned and must outlive the rewriter. Each form and the page's new version are
// writing steps (WritingStep): one that fails, and a form still open when the rewriter goes, leave
// nothing open in the update, which can go on with other pages and end.

#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <memory>
#include <string>
#include <vector>

class CopySession;
class DictionaryContext;
class OutputFormXObject;
class PDFDictionary;
class PDFWriter;
class XObjectContentContext;

class PageRewriter {
public:
    PageRewriter(PDFWriter* inModifiedFileWriter, unsigned long inPageIndex);
    ~PageRewriter();
    PageRewriter(const PageRewriter&) = delete;
    PageRewriter& operator=(const PageRewriter&) = delete;

    // The content context of the open form, opening one when none is open; null when no update
    // is under way or the page cannot be read. The form covers what a reader shows of the page
    // (its CropBox cut to its MediaBox, else its MediaBox) and stands upright in the page's turned
    // view: its space runs from 0 0 at the shown lower-left corner to GetFormWidth x
    // GetFormHeight, so a mark drawn there shows whole and upright on any page.
    XObjectContentContext* StartContentContext();
    // The size of the page as shown (width and height swapped for a page turned by 90 or 270
    // degrees), once StartContentContext has opened a form.
    double GetFormWidth() const { return mFormWidth; }
    double GetFormHeight() const { return mFormHeight; }
    // Ends the open form (its stream, resources and queued images) and adds it to the page's forms.
    OpStatus EndContentContext();
    // Writes the page again, drawing every ended form over it, in the order they were ended; a
    // form still open is ended first; with no form at all nothing is written. -1 when the page
    // cannot be read or anything fails to write.
    OpStatus WritePage();

    // The resource name of the n-th form among the XObject names the page has; inHasResources
    // false when the page has no resources at all. Unlike every existing name and every other
    // form's, and within the 127 bytes readers keep of a name.
    static std::string FormResourceName(const std::vector<std::string>& inExistingNames, bool inHasResources,
                                        size_t inFormIndex);

private:
    // The names of the first inFormCount forms, as FormResourceName gives them.
    static std::vector<std::string> FormResourceNames(const std::vector<std::string>& inExistingNames,
                                                      bool inHasResources, size_t inFormCount);
    OpStatus WriteResources(DictionaryContext* inPageDictionary, PDFDictionary* inResources, CopySession* inSession,
                            std::vector<std::string>& outFormNames);
    OpStatus WriteStream(ObjectIDType inObjectID, const std::string& inContent);

    PDFWriter* mWriter;
    unsigned long mPageIndex;
    std::unique_ptr<OutputFormXObject> mOpenForm;
    std::vector<ObjectIDType> mFinishedForms;
    double mFormWidth = 0;
    double mFormHeight = 0;
};
