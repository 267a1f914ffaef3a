#include "pdf/writing/WritingStep.h"

WritingStep::WritingStep(ObjectsContext& inObjectsContext)
    : mObjectsContext(inObjectsContext), mMark(inObjectsContext.MarkWriting())
{
}

WritingStep::~WritingStep()
{
    Unwind();
}

ObjectIDType WritingStep::ReserveID()
{
    const ObjectIDType id = mObjectsContext.GetInDirectObjectsRegistry().ReserveNewObjectID();
    mReserved.push_back(id);
    return id;
}

void WritingStep::Unwind()
{
    if (mDone)
        return;
    mDone = true;
    if (mObjectsContext.MarkWriting().mDocument != mMark.mDocument)
        return;
    mObjectsContext.UnwindTo(mMark);
    IndirectObjectsReferenceRegistry& registry = mObjectsContext.GetInDirectObjectsRegistry();
    for (ObjectIDType id : mReserved) {
        if (id < registry.GetObjectsCount() && !registry.GetEntry(id).mIsWritten)
            registry.ReleaseObjectID(id);
    }
}
