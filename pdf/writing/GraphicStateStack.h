#pragma once
// The graphic states of one content stream, saved with "q" and restored with "Q". The initial
// state is always there and cannot be popped.

#include "pdf/io/IOBasicTypes.h"
#include "pdf/writing/GraphicState.h"

#include <vector>

class GraphicStateStack {
public:
    GraphicStateStack();

    // Pushes a copy of the current state.
    void PushCopy();
    // -1 (logged) when only the initial state is left.
    OpStatus Pop();
    bool CanPop() const { return mStates.size() > 1; }

    GraphicState& GetCurrentState() { return mStates.back(); }

private:
    std::vector<GraphicState> mStates;
};
