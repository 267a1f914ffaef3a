#pragma once
// Holds one reference and releases it when it goes. Taking a pointer takes over the reference
// it carries (no AddRef); assigning a new pointer releases the old one.

#include <utility>

template <class T>
class RefCountPtr {
public:
    RefCountPtr() : mValue(nullptr) {}
    explicit RefCountPtr(T* inValue) : mValue(inValue) {}
    RefCountPtr(const RefCountPtr& inOther) : mValue(inOther.mValue)
    {
        if (mValue)
            mValue->AddRef();
    }
    RefCountPtr(RefCountPtr&& inOther) noexcept : mValue(inOther.mValue) { inOther.mValue = nullptr; }
    virtual ~RefCountPtr()
    {
        if (mValue)
            mValue->Release();
    }

    RefCountPtr& operator=(T* inValue)
    {
        if (mValue)
            mValue->Release();
        mValue = inValue;
        return *this;
    }
    RefCountPtr& operator=(const RefCountPtr& inOther)
    {
        if (this != &inOther) {
            if (inOther.mValue)
                inOther.mValue->AddRef();
            if (mValue)
                mValue->Release();
            mValue = inOther.mValue;
        }
        return *this;
    }
    RefCountPtr& operator=(RefCountPtr&& inOther) noexcept
    {
        if (this != &inOther) {
            if (mValue)
                mValue->Release();
            mValue = inOther.mValue;
            inOther.mValue = nullptr;
        }
        return *this;
    }

    T* GetPtr() const { return mValue; }
    T* operator->() const { return mValue; }
    T& operator*() const { return *mValue; }
    explicit operator bool() const { return mValue != nullptr; }
    bool operator!() const { return mValue == nullptr; }

    // Hands the reference to the caller; the holder is empty afterwards.
    T* Detach()
    {
        T* value = mValue;
        mValue = nullptr;
        return value;
    }

protected:
    T* mValue;
};
