#include "pdf/writing/GraphicStateStack.h"

#include "pdf/io/DiagnosticLog.h"

GraphicStateStack::GraphicStateStack() : mStates(1)
{
}

void GraphicStateStack::PushCopy()
{
    GraphicState copy = mStates.back();
    mStates.push_back(copy);
}

OpStatus GraphicStateStack::Pop()
{
    if (!CanPop()) {
        TraceMessage("GraphicStateStack::Pop, exception. stack underflow, reached to the initial state");
        return eFailure;
    }
    mStates.pop_back();
    return eSuccess;
}
