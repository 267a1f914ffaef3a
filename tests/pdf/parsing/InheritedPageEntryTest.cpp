// The walk up Parent that page boxes, resources and rotation share: nearest holder wins, loops
// and over-deep chains stop it, a node cache serves repeated walks.

#include "ParserTestSupport.h"

#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/InheritedPageEntry.h"

#include <gtest/gtest.h>

using namespace parsertest;
using Entry = InheritedPageEntry;

namespace {

// Object ids 3.. hold extra dictionaries beside the one-page document (page 3 is replaced).
struct Chain {
    explicit Chain(const std::vector<std::string>& inBodies)
    {
        PdfBuilder builder = PagesDocument({""});
        builder.objects.resize(2);
        for (const std::string& body : inBodies)
            builder.Add(body);
        parsed = ParseBytes(builder.Build());
        EXPECT_EQ(parsed->status, eSuccess);
    }
    RefCountPtr<PDFDictionary> Node(uint32_t inID)
    {
        return PDFObjectCastPtr<PDFDictionary>(parsed->parser.ParseObjectByID(inID));
    }
    std::unique_ptr<ParsedBytes> parsed;
};

long long IntegerOf(const RefCountPtr<PDFObject>& inValue)
{
    PDFInteger* value = inValue && inValue->GetType() == PDFObject::ePDFObjectInteger
                            ? static_cast<PDFInteger*>(inValue.GetPtr())
                            : nullptr;
    return value ? value->GetValue() : -1;
}

} // namespace

TEST(InheritedPageEntryTest, NearestHolderWins)
{
    // 3 page -> 4 -> 5 (Rotate 90, X 1) -> 6 (Rotate 180, Y by reference to 7).
    Chain chain({"<< /Type /Page /Parent 4 0 R >>", "<< /Parent 5 0 R /X 2 >>", "<< /Parent 6 0 R /Rotate 90 >>",
                 "<< /Rotate 180 /Y 7 0 R >>", "42"});
    RefCountPtr<PDFDictionary> page(chain.Node(3));
    ASSERT_TRUE(page);
    RefCountPtr<PDFObject> value;
    EXPECT_EQ(Entry::Find(&chain.parsed->parser, page.GetPtr(), "Rotate", value), Entry::eFound);
    EXPECT_EQ(IntegerOf(value), 90);
    EXPECT_EQ(Entry::Find(&chain.parsed->parser, page.GetPtr(), "X", value), Entry::eFound);
    EXPECT_EQ(IntegerOf(value), 2);
    EXPECT_EQ(Entry::Find(&chain.parsed->parser, page.GetPtr(), "Y", value), Entry::eFound);
    EXPECT_EQ(IntegerOf(value), 42);
    EXPECT_EQ(Entry::Find(&chain.parsed->parser, page.GetPtr(), "Z", value), Entry::eAbsent);
    EXPECT_FALSE(value);

    // A cache keeps the nodes read and gives the same answers from them.
    Entry::NodeCache nodes;
    EXPECT_EQ(Entry::Find(&chain.parsed->parser, page.GetPtr(), "Y", value, &nodes), Entry::eFound);
    EXPECT_EQ(nodes.size(), 3u);
    EXPECT_EQ(Entry::Find(&chain.parsed->parser, page.GetPtr(), "Rotate", value, &nodes), Entry::eFound);
    EXPECT_EQ(IntegerOf(value), 90);
    EXPECT_EQ(nodes.size(), 3u);

    // A Parent written in place is followed too; a Parent that is no dictionary ends the walk.
    Chain direct({"<< /Type /Page /Parent << /Parent 4 0 R >> >>", "<< /Rotate 270 >>",
                  "<< /Type /Page /Parent 5 /Rotate 0 >>"});
    RefCountPtr<PDFDictionary> directPage(direct.Node(3));
    EXPECT_EQ(Entry::Find(&direct.parsed->parser, directPage.GetPtr(), "Rotate", value), Entry::eFound);
    EXPECT_EQ(IntegerOf(value), 270);
    RefCountPtr<PDFDictionary> numberParent(direct.Node(5));
    EXPECT_EQ(Entry::Find(&direct.parsed->parser, numberParent.GetPtr(), "X", value), Entry::eAbsent);
    EXPECT_EQ(Entry::Find(nullptr, numberParent.GetPtr(), "Rotate", value), Entry::eAbsent);
}

TEST(InheritedPageEntryTest, LoopsAndDeepChainsStop)
{
    // 3 -> 4 -> 3: the key is nowhere.
    Chain loop({"<< /Type /Page /Parent 4 0 R >>", "<< /Parent 3 0 R >>"});
    RefCountPtr<PDFDictionary> page(loop.Node(3));
    RefCountPtr<PDFObject> value;
    Entry::NodeCache nodes;
    EXPECT_EQ(Entry::Find(&loop.parsed->parser, page.GetPtr(), "Rotate", value, &nodes), Entry::eBrokenChain);
    EXPECT_EQ(Entry::Find(&loop.parsed->parser, page.GetPtr(), "Rotate", value, &nodes), Entry::eBrokenChain);

    // A chain exactly as long as the cap still finds its root's entry; one link more does not.
    auto straight = [](int inLinks) {
        std::vector<std::string> bodies;
        for (int i = 0; i < inLinks; ++i)
            bodies.push_back((i == 0 ? "<< /Type /Page /Parent " : "<< /Parent ") + std::to_string(4 + i) + " 0 R >>");
        bodies.push_back("<< /Rotate 90 >>");
        return bodies;
    };
    Chain atCap(straight(Entry::kMaxParentSteps));
    RefCountPtr<PDFDictionary> deepPage(atCap.Node(3));
    EXPECT_EQ(Entry::Find(&atCap.parsed->parser, deepPage.GetPtr(), "Rotate", value), Entry::eFound);
    EXPECT_EQ(IntegerOf(value), 90);
    Chain overCap(straight(Entry::kMaxParentSteps + 1));
    RefCountPtr<PDFDictionary> deeperPage(overCap.Node(3));
    EXPECT_EQ(Entry::Find(&overCap.parsed->parser, deeperPage.GetPtr(), "Rotate", value), Entry::eBrokenChain);
}
