#pragma once
// A page being written: its boxes, the ids of its content streams, its resources and the content
// context open on it. The caller owns the page from creation until after
// DocumentContext::WritePage; the page owns its open content context.

#include "pdf/objects/ObjectIDType.h"
#include "pdf/parsing/PDFRectangle.h"
#include "pdf/writing/ResourcesDictionary.h"

#include <memory>
#include <vector>

class PageContentContext;

class OutputPage {
public:
    // A box that a page carries only when it is set.
    struct OptionalBox {
        bool mIsSet = false;
        PDFRectangle mBox;
    };

    OutputPage();
    ~OutputPage();
    OutputPage(const OutputPage&) = delete;
    OutputPage& operator=(const OutputPage&) = delete;

    void SetMediaBox(const PDFRectangle& inMediaBox) { mMediaBox = inMediaBox; }
    const PDFRectangle& GetMediaBox() const { return mMediaBox; }
    void SetCropBox(const PDFRectangle& inBox) { mCropBox = {true, inBox}; }
    void SetBleedBox(const PDFRectangle& inBox) { mBleedBox = {true, inBox}; }
    void SetTrimBox(const PDFRectangle& inBox) { mTrimBox = {true, inBox}; }
    void SetArtBox(const PDFRectangle& inBox) { mArtBox = {true, inBox}; }
    const OptionalBox& GetCropBox() const { return mCropBox; }
    const OptionalBox& GetBleedBox() const { return mBleedBox; }
    const OptionalBox& GetTrimBox() const { return mTrimBox; }
    const OptionalBox& GetArtBox() const { return mArtBox; }

    void AddContentStreamReference(ObjectIDType inStreamObjectID) { mContentStreamIDs.push_back(inStreamObjectID); }
    const std::vector<ObjectIDType>& GetContentStreamReferences() const { return mContentStreamIDs; }

    ResourcesDictionary& GetResourcesDictionary() { return mResources; }

    // The open content context, or null. Set and cleared by the document context.
    PageContentContext* GetAssociatedContentContext() { return mContentContext.get(); }
    void SetAssociatedContentContext(std::unique_ptr<PageContentContext> inContentContext);
    std::unique_ptr<PageContentContext> ReleaseAssociatedContentContext();

private:
    PDFRectangle mMediaBox;
    OptionalBox mCropBox;
    OptionalBox mBleedBox;
    OptionalBox mTrimBox;
    OptionalBox mArtBox;
    std::vector<ObjectIDType> mContentStreamIDs;
    ResourcesDictionary mResources;
    std::unique_ptr<PageContentContext> mContentContext;
};
