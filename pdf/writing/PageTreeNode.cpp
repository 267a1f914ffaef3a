#include "pdf/writing/PageTreeNode.h"

#include "pdf/writing/IndirectObjectsReferenceRegistry.h"

PageTreeNode::PageTreeNode(IndirectObjectsReferenceRegistry& inRegistry, PageTreeNode* inParent)
    : mRegistry(inRegistry), mParent(inParent), mObjectID(inRegistry.ReserveNewObjectID())
{
}

PageTreeNode::~PageTreeNode() = default;

PageTreeNode* PageTreeNode::AddPageObject(ObjectIDType inPageObjectID)
{
    if (mPageObjectIDs.size() < kMaxEntries) {
        mPageObjectIDs.push_back(inPageObjectID);
        return this;
    }
    PageTreeNode* leaf = EnsureParent()->CreateNewChildLeaf();
    leaf->mPageObjectIDs.push_back(inPageObjectID);
    return leaf;
}

bool PageTreeNode::RemoveLastPageObject(ObjectIDType inPageObjectID)
{
    if (!mIsLeaf || mPageObjectIDs.empty() || mPageObjectIDs.back() != inPageObjectID)
        return false;
    mPageObjectIDs.pop_back();
    return true;
}

PageTreeNode* PageTreeNode::EnsureParent()
{
    if (!mParent) {
        // This node was the top, owned by the page tree builder through the top pointer; the new
        // parent becomes the top and owns it.
        PageTreeNode* parent = new PageTreeNode(mRegistry, nullptr);
        parent->AppendChild(std::unique_ptr<PageTreeNode>(this));
    }
    return mParent;
}

void PageTreeNode::AppendChild(std::unique_ptr<PageTreeNode> inChild)
{
    mIsLeaf = false;
    inChild->mParent = this;
    mChildren.push_back(std::move(inChild));
}

PageTreeNode* PageTreeNode::CreateNewChildLeaf()
{
    // Only nodes without pages are asked: the top's new parent, or a sibling just made.
    if (mChildren.size() < kMaxEntries) {
        std::unique_ptr<PageTreeNode> leaf(new PageTreeNode(mRegistry, this));
        PageTreeNode* result = leaf.get();
        AppendChild(std::move(leaf));
        return result;
    }
    // Full: a new sibling comes from the parent, and the new leaf goes below that sibling, so
    // that every leaf stays at the same depth.
    PageTreeNode* sibling = EnsureParent()->CreateNewChildLeaf();
    return sibling->CreateNewChildLeaf();
}
