#include "pdf/objects/PDFObjects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts destructions, so tests can see that releasing a container releases what it holds.
int gDestroyed = 0;
class CountedInteger : public PDFInteger {
public:
    explicit CountedInteger(long long inValue) : PDFInteger(inValue) {}
    ~CountedInteger() override { ++gDestroyed; }
};

TEST(PDFObjects, ArrayAndDictionaryQueriesHandOutNewReferences)
{
    PDFArray* array = new PDFArray();
    PDFInteger* number = new PDFInteger(7);
    array->AppendObject(number);
    EXPECT_EQ(number->GetRefCount(), 2);
    EXPECT_EQ(array->GetElement(1), nullptr); // index equal to the count
    EXPECT_EQ(number->GetRefCount(), 2);
    {
        RefCountPtr<PDFObject> element(array->GetElement(0));
        EXPECT_EQ(element.GetPtr(), number);
        EXPECT_EQ(number->GetRefCount(), 3);
    }
    EXPECT_EQ(number->GetRefCount(), 2);

    PDFDictionary* dictionary = new PDFDictionary();
    PDFName* key = new PDFName("Count");
    dictionary->Insert(key, number);
    EXPECT_EQ(key->GetRefCount(), 2);
    EXPECT_EQ(number->GetRefCount(), 3);
    EXPECT_EQ(dictionary->GetValue("Missing"), nullptr);
    EXPECT_TRUE(dictionary->ContainsKey("Count"));
    {
        PDFObjectCastPtr<PDFInteger> value(dictionary->GetValue("Count"));
        ASSERT_TRUE(value);
        EXPECT_EQ(value->GetValue(), 7);
        EXPECT_EQ(number->GetRefCount(), 4);
    }
    EXPECT_EQ(number->GetRefCount(), 3);

    array->Release();
    dictionary->Release();
    EXPECT_EQ(number->GetRefCount(), 1);
    EXPECT_EQ(key->GetRefCount(), 1);
    number->Release();
    key->Release();
}

TEST(PDFObjects, ReleasingTheLastReferenceReleasesEverythingHeld)
{
    gDestroyed = 0;
    PDFDictionary* dictionary = new PDFDictionary();
    PDFArray* array = new PDFArray();
    PDFObject* first = new CountedInteger(1);
    PDFObject* second = new CountedInteger(2);
    array->AppendObject(first);
    first->Release(); // the array holds the only reference now
    PDFName* key = new PDFName("Kids");
    dictionary->Insert(key, array);
    key->Release();
    array->Release();
    PDFName* other = new PDFName("Other");
    dictionary->Insert(other, second);
    other->Release();
    second->Release();

    PDFStreamInput* stream = new PDFStreamInput(dictionary, 1234);
    EXPECT_EQ(dictionary->GetRefCount(), 2);
    dictionary->Release();
    EXPECT_EQ(stream->GetStreamContentStart(), 1234);
    EXPECT_EQ(gDestroyed, 0);
    stream->Release();
    EXPECT_EQ(gDestroyed, 2);
}

TEST(PDFObjects, CastHolderReleasesAWrongType)
{
    PDFArray* array = new PDFArray();
    array->AddRef();
    {
        PDFObjectCastPtr<PDFDictionary> dictionary(array);
        EXPECT_FALSE(dictionary);
        EXPECT_EQ(array->GetRefCount(), 1);
    }
    EXPECT_EQ(array->GetRefCount(), 1);
    {
        PDFObjectCastPtr<PDFArray> same(array); // takes over the reference
        EXPECT_TRUE(same);
        EXPECT_EQ(array->GetRefCount(), 1);
        array->AddRef();
    }
    EXPECT_EQ(array->GetRefCount(), 1);
    PDFObjectCastPtr<PDFName> empty(nullptr);
    EXPECT_FALSE(empty);
    array->Release();
}

TEST(PDFObjects, DictionaryIteratesInKeyByteOrder)
{
    PDFDictionary* dictionary = new PDFDictionary();
    PDFNull* value = new PDFNull();
    for (const char* name : {"b", "a", "\xE9", "ab", "B"}) {
        PDFName* key = new PDFName(name);
        dictionary->Insert(key, value);
        key->Release();
    }
    std::vector<std::string> keys;
    DictionaryIterator it = dictionary->CreateIterator();
    while (it.MoveNext())
        keys.push_back(it.GetKey()->GetValue());
    // Bytes compare unsigned: 0xE9 comes after every ASCII letter; a prefix comes first.
    EXPECT_EQ(keys, (std::vector<std::string>{"B", "a", "ab", "b", "\xE9"}));
    EXPECT_EQ(value->GetRefCount(), 6);
    dictionary->Release();
    EXPECT_EQ(value->GetRefCount(), 1);

    PDFDictionary* empty = new PDFDictionary();
    DictionaryIterator none = empty->CreateIterator();
    EXPECT_FALSE(none.MoveNext());
    EXPECT_FALSE(none.MoveNext());
    empty->Release();
    value->Release();
}

} // namespace
