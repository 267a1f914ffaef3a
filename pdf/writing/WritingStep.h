#pragma once
// One step of writing that either completes or leaves no trace in the document: a page copy, a
// page rewrite, a form. Made where the step begins, it marks the objects context there; when the
// step fails, Unwind (or the destructor, unless Commit was called) closes only what the step
// opened since the mark (ObjectsContext::UnwindTo) and gives back the ids the step reserved
// through it that were never written. Objects the step wrote in full stay, referenced by nothing.
// A step of a document that has ended since does nothing. The objects context must outlive it.

#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/ObjectsContext.h"

#include <vector>

class WritingStep {
public:
    explicit WritingStep(ObjectsContext& inObjectsContext);
    ~WritingStep();
    WritingStep(const WritingStep&) = delete;
    WritingStep& operator=(const WritingStep&) = delete;

    // A new id for an object of the step's own; given back by Unwind when it was not written.
    ObjectIDType ReserveID();

    // The step is complete: nothing will be unwound.
    void Commit() { mDone = true; }
    // The step failed: see above. Once; later calls do nothing.
    void Unwind();

private:
    ObjectsContext& mObjectsContext;
    ObjectsContext::WritingMark mMark;
    std::vector<ObjectIDType> mReserved;
    bool mDone = false;
};
