#pragma once
// The content of a page being written. Its stream is started by the first operator, as a new
// indirect object whose id joins the page's content streams; a context that writes nothing adds
// no stream. The document context makes it for a page (StartPageContentContext) and ends and
// deletes it (ClosePageContentContext); the page, the objects context and the document context
// are not owned and must outlive it.

#include "pdf/writing/AbstractContentContext.h"

#include <memory>

class ObjectsContext;
class OutputPage;
class WrittenPDFStream;

class PageContentContext : public AbstractContentContext {
public:
    PageContentContext(DocumentContext* inDocumentContext, OutputPage* inPage, ObjectsContext* inObjectsContext);
    ~PageContentContext() override;

    ResourcesDictionary* TargetResources() override;
    OutputPage* GetAssociatedPage() { return mPage; }

    // The stream being written, or null before the first operator and after the stream ended.
    WrittenPDFStream* GetCurrentPageContentStream() { return mCurrentStream.get(); }
    // Ends the current stream (if any) through the objects context and deletes it; the next
    // operator starts a new stream of the page. The status of ending it.
    OpStatus FinalizeCurrentStream();

protected:
    void EnsureContentStream() override;
    void QueueImageFileWrite(const std::string& inImagePath, int inImageIndex, ObjectIDType inObjectID) override;

private:
    OutputPage* mPage;
    ObjectsContext* mObjectsContext;
    std::unique_ptr<WrittenPDFStream> mCurrentStream;
};
