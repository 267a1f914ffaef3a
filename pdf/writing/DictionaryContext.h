#pragma once
// One open dictionary of the objects context, which makes it, owns it and ends it
// (ObjectsContext::StartDictionary / EndDictionary). The constructor writes "<<"; ending writes
// the closing ">>". Destroying it writes nothing, so that an abandoned dictionary never writes
// into an output that may be gone. A refused key is remembered by the objects context.

#include "pdf/io/IOBasicTypes.h"

#include <functional>
#include <set>
#include <string>
#include <string_view>

class ObjectsContext;

class DictionaryContext {
public:
    DictionaryContext(ObjectsContext* inObjectsContext, size_t inIndentLevel);
    DictionaryContext(const DictionaryContext&) = delete;
    DictionaryContext& operator=(const DictionaryContext&) = delete;

    // indent + 1 tabs, "/" and the key, a blank. A key already written to this dictionary is
    // refused (-1) and nothing is written.
    OpStatus WriteKey(std::string_view inKey);

    // Entry values, each ended by CR LF. Other values (names, strings, references, arrays,
    // nested dictionaries) are written through the objects context or its value writer.
    void WriteIntegerValue(long long inValue);
    void WriteRealValue(double inValue);
    void WriteBooleanValue(bool inValue);
    void WriteHexStringValue(std::string_view inHexText);
    // "[ " left bottom right top, each followed by a blank, "]".
    void WriteRectangleValue(double inLeft, double inBottom, double inRight, double inTop);

    size_t GetIndentLevel() const { return mIndentLevel; }
    // Whether the key was written to this dictionary already.
    bool HasKey(std::string_view inKey) const { return mKeys.find(inKey) != mKeys.end(); }

private:
    friend class ObjectsContext;
    // indent tabs, ">>", CR LF.
    void WriteEnd();

    ObjectsContext* mObjectsContext;
    std::set<std::string, std::less<>> mKeys;
    size_t mIndentLevel;
};
