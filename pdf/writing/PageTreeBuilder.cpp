#include "pdf/writing/PageTreeBuilder.h"

#include "pdf/writing/PageTreeNode.h"

PageTreeBuilder::PageTreeBuilder(IndirectObjectsReferenceRegistry& inRegistry) : mRegistry(inRegistry)
{
}

PageTreeBuilder::~PageTreeBuilder()
{
    Clear();
}

ObjectIDType PageTreeBuilder::AddPage(ObjectIDType inPageObjectID)
{
    if (!mCurrentLeaf)
        mCurrentLeaf = new PageTreeNode(mRegistry, nullptr);
    mCurrentLeaf = mCurrentLeaf->AddPageObject(inPageObjectID);
    return mCurrentLeaf->GetID();
}

bool PageTreeBuilder::RemoveLastPage(ObjectIDType inPageObjectID)
{
    return mCurrentLeaf && mCurrentLeaf->RemoveLastPageObject(inPageObjectID);
}

PageTreeNode* PageTreeBuilder::GetTopNode()
{
    if (!mCurrentLeaf)
        mCurrentLeaf = new PageTreeNode(mRegistry, nullptr);
    PageTreeNode* top = mCurrentLeaf;
    while (top->GetParent())
        top = top->GetParent();
    return top;
}

void PageTreeBuilder::Clear()
{
    if (!mCurrentLeaf)
        return;
    delete GetTopNode();
    mCurrentLeaf = nullptr;
}
