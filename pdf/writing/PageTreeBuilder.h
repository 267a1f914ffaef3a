#pragma once
// Collects the object ids of the pages written into a page tree of PageTreeNodes. The builder
// owns the tree through its top node, which it finds from the leaf that received the last page.

#include "pdf/objects/ObjectIDType.h"

class IndirectObjectsReferenceRegistry;
class PageTreeNode;

class PageTreeBuilder {
public:
    explicit PageTreeBuilder(IndirectObjectsReferenceRegistry& inRegistry);
    ~PageTreeBuilder();
    PageTreeBuilder(const PageTreeBuilder&) = delete;
    PageTreeBuilder& operator=(const PageTreeBuilder&) = delete;

    // The object id of the node that now holds the page: the page's Parent.
    ObjectIDType AddPage(ObjectIDType inPageObjectID);
    // Takes back the page added last, when it is inPageObjectID (a page whose writing failed);
    // false otherwise. A leaf made for it stays, empty, and takes the next page.
    bool RemoveLastPage(ObjectIDType inPageObjectID);
    // The top node; an empty leaf is made when no page was added.
    PageTreeNode* GetTopNode();
    bool IsEmpty() const { return mCurrentLeaf == nullptr; }
    void Clear();

private:
    IndirectObjectsReferenceRegistry& mRegistry;
    PageTreeNode* mCurrentLeaf = nullptr;
};
