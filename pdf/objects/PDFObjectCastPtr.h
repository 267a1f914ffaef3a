#pragma once
// Keeps an object only when its type code is that of T (taking over its reference); otherwise
// releases it at once and holds null.

#include "pdf/objects/PDFObject.h"
#include "pdf/objects/RefCountPtr.h"

template <class T>
class PDFObjectCastPtr : public RefCountPtr<T> {
public:
    PDFObjectCastPtr() : RefCountPtr<T>() {}
    explicit PDFObjectCastPtr(PDFObject* inValue) : RefCountPtr<T>(Cast(inValue)) {}

    PDFObjectCastPtr& operator=(PDFObject* inValue)
    {
        RefCountPtr<T>::operator=(Cast(inValue));
        return *this;
    }

private:
    static T* Cast(PDFObject* inValue)
    {
        if (!inValue)
            return nullptr;
        if (inValue->GetType() == T::eType)
            return static_cast<T*>(inValue);
        inValue->Release();
        return nullptr;
    }
};
