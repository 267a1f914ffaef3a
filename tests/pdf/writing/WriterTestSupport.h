#pragma once
// Helpers shared by the writer's tests: an objects context writing into memory and a target that
// stops taking bytes.

#include "pdf/io/IByteWriterWithPosition.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/ObjectsContext.h"

#include <gtest/gtest.h>

#include <string>

namespace WriterTestSupport {

// An objects context whose output is kept in memory.
class MemoryContext {
public:
    MemoryContext() { mContext.SetOutputStream(&mOutput); }
    ObjectsContext& Context() { return mContext; }
    std::string Bytes() const { return mOutput.ContentsAsString(); }
    LongFilePositionType Position() { return mOutput.TellPosition(); }

private:
    OutputStringBufferStream mOutput;
    ObjectsContext mContext;
};

// Takes bytes until its budget is spent, then takes no more (a full disk, a closed pipe); keeps
// them, or passes them on to another target.
class LimitedTarget : public IByteWriterWithPosition {
public:
    explicit LimitedTarget(size_t inBudget, IByteWriterWithPosition* inTarget = nullptr)
        : mBudget(inBudget), mTarget(inTarget)
    {
    }
    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override
    {
        size_t taken = inSize < mBudget ? inSize : mBudget;
        if (mTarget)
            taken = mTarget->WriteBytes(inBuffer, taken);
        else
            mData.append(reinterpret_cast<const char*>(inBuffer), taken);
        mBudget -= taken;
        return taken;
    }
    LongFilePositionType TellPosition() override
    {
        return mTarget ? mTarget->TellPosition() : static_cast<LongFilePositionType>(mData.size());
    }
    const std::string& Data() const { return mData; }

private:
    size_t mBudget;
    IByteWriterWithPosition* mTarget;
    std::string mData;
};

} // namespace WriterTestSupport
