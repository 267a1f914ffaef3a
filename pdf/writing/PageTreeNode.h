#pragma once
// One node of the page tree being built: a leaf holds up to ten page object ids, an inner node
// up to ten child nodes, all leaves at the same depth. A node reserves its object id in the
// registry when it is made, so node ids are interleaved with the ids of the pages. A node owns
// its children; the parent link is not owning.

#include "pdf/objects/ObjectIDType.h"

#include <memory>
#include <vector>

class IndirectObjectsReferenceRegistry;

class PageTreeNode {
public:
    static constexpr size_t kMaxEntries = 10;

    PageTreeNode(IndirectObjectsReferenceRegistry& inRegistry, PageTreeNode* inParent);
    ~PageTreeNode();
    PageTreeNode(const PageTreeNode&) = delete;
    PageTreeNode& operator=(const PageTreeNode&) = delete;

    // Adds a page to this leaf, or, when it is full, to a new leaf beside it (growing the tree
    // upward as needed). Returns the leaf that now holds the page.
    PageTreeNode* AddPageObject(ObjectIDType inPageObjectID);
    // Takes back the page added last to this leaf when it is inPageObjectID; false otherwise.
    bool RemoveLastPageObject(ObjectIDType inPageObjectID);

    ObjectIDType GetID() const { return mObjectID; }
    PageTreeNode* GetParent() const { return mParent; }
    bool IsLeaf() const { return mIsLeaf; }
    size_t GetCount() const { return mIsLeaf ? mPageObjectIDs.size() : mChildren.size(); }
    const std::vector<ObjectIDType>& GetPageObjectIDs() const { return mPageObjectIDs; }
    const std::vector<std::unique_ptr<PageTreeNode>>& GetChildren() const { return mChildren; }

private:
    // A new leaf below this node, at the depth of the tree's other leaves.
    PageTreeNode* CreateNewChildLeaf();
    // The parent, made (with this node as its first child) when this node is the top.
    PageTreeNode* EnsureParent();
    void AppendChild(std::unique_ptr<PageTreeNode> inChild);

    IndirectObjectsReferenceRegistry& mRegistry;
    PageTreeNode* mParent;
    ObjectIDType mObjectID;
    bool mIsLeaf = true;
    std::vector<ObjectIDType> mPageObjectIDs;
    std::vector<std::unique_ptr<PageTreeNode>> mChildren;
};
