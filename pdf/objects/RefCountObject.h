#pragma once
// Base of every parsed PDF value. The count starts at 1; Release at 1 destroys the object.
// Counts are plain integers: parsed objects belong to the thread of their parser.

class RefCountObject {
public:
    RefCountObject() : mRefCount(1) {}
    virtual ~RefCountObject() {}

    RefCountObject(const RefCountObject&) = delete;
    RefCountObject& operator=(const RefCountObject&) = delete;

    void AddRef() { ++mRefCount; }
    void Release()
    {
        if (mRefCount == 0)
            return;
        if (--mRefCount == 0)
            delete this;
    }
    int GetRefCount() const { return mRefCount; }

private:
    int mRefCount;
};
