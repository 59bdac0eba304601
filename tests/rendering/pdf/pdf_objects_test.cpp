#include "PdfTestSupport.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <utility>
#include <memory>

using pdftest::Written;

namespace {

std::string ValueOf(TPdfObject &o)
{
    return Written([&o](TPdfWrite &w) { o.WriteTo(w); });
}

template <typename Fn>
std::string RaisedMessage(Fn &&fn)
{
    try {
        fn();
    } catch (const plat::Exception &e) {
        return e.Message;
    }
    return "<nothing raised>";
}

} // namespace

TEST(PdfObjects, HowEachKindIsWritten)
{
    std::vector<std::pair<std::unique_ptr<TPdfObject>, std::string>> cases;
    cases.emplace_back(std::make_unique<TPdfNull>(), "null");
    cases.emplace_back(std::make_unique<TPdfNumber>(-42), "-42");
    cases.emplace_back(std::make_unique<TPdfReal>(841.8898), "841.89");
    cases.emplace_back(std::make_unique<TPdfText>("a(b)\\c\r\n"), "(a\\(b\\)\\\\c\\n)");
    cases.emplace_back(std::make_unique<TPdfText>("caf\xE9"), "(caf\xE9)");
    // Bytes that a viewer would read as other characters go out as UTF-16.
    cases.emplace_back(std::make_unique<TPdfText>("Proef \x80 caf\xE9"),
                       "<FEFF00500072006F00650066002020AC002000630061006600E9>");
    cases.emplace_back(std::make_unique<TPdfText>("a\xA0z"), "<FEFF006100A0007A>");
    cases.emplace_back(std::make_unique<TPdfRawText>("[1 0 R]"), "[1 0 R]");
    cases.emplace_back(std::make_unique<TPdfName>("A B#"), "/A#20B#23");
    cases.emplace_back(std::make_unique<TPdfArray>(), "[]");
    cases.emplace_back(std::unique_ptr<TPdfObject>(TPdfArray::CreateNumArray(nullptr, {1, 2})), "[1 2 ]");
    cases.emplace_back(std::unique_ptr<TPdfObject>(TPdfArray::CreateWordArray(nullptr, {65535})), "[65535 ]");
    cases.emplace_back(std::unique_ptr<TPdfObject>(TPdfArray::CreateNameArray(nullptr, {"PDF", "Text", "ImageC"})),
                       "[/PDF /Text /ImageC ]");
    cases.emplace_back(std::make_unique<TPdfDictionary>(), "<<\n>>");
    for (auto &[object, text] : cases)
        EXPECT_EQ(ValueOf(*object), text);

    TPdfDictionary d;
    d.AddNameItem("Type", "Font");
    d.AddItem("Size", 12);
    d.AddItem("Secret", new TPdfNumber(1), true);
    auto *inner = new TPdfDictionary;
    inner->AddItem("A", new TPdfArray);
    d.AddItem("Inner", inner);
    EXPECT_EQ(ValueOf(d), "<<\n/Type /Font\n/Size 12\n/Inner <<\n/A []\n>>\n>>");
    EXPECT_EQ(d.TypeOf(), "Font");
    EXPECT_EQ(TPdfDictionary().TypeOf(), "");
}

TEST(PdfObjects, SameKeyTwiceLeavesOneElementAtTheEnd)
{
    TPdfDictionary d;
    d.AddItem("A", 1);
    d.AddItem("B", 2);
    d.AddItem("A", 3);
    ASSERT_EQ(d.ItemCount(), 2);
    EXPECT_EQ(d.Items(0).Key(), "B");
    EXPECT_EQ(d.Items(1).Key(), "A");
    EXPECT_EQ(d.ValueAs<TPdfNumber>("A")->Value(), 3);
    EXPECT_TRUE(d.RemoveItem("B"));
    EXPECT_FALSE(d.RemoveItem("B"));
    EXPECT_EQ(d.ValueByName("B"), nullptr);
}

TEST(PdfObjects, IndirectObjectsAreReferredToAndResolved)
{
    TPdfXref xref;
    auto *font = new TPdfDictionary(&xref);
    xref.AddObject(font);
    auto *second = new TPdfNumber(7);
    xref.AddObject(second);
    EXPECT_EQ(font->ObjectNumber(), 1);
    EXPECT_EQ(second->ObjectNumber(), 2);
    EXPECT_EQ(xref.GetObject(2), second);
    EXPECT_EQ(xref.GetObject(3), nullptr);
    EXPECT_EQ(xref.GetObject(0), nullptr);  // the free head stands for nothing

    TPdfArray kids(&xref);
    kids.AddItem(font);
    kids.AddItem(font);  // already a member
    kids.AddItem(second);
    EXPECT_EQ(ValueOf(kids), "[1 0 R 2 0 R ]");
    EXPECT_EQ(kids.Items(0), font);

    TPdfDictionary page(&xref);
    page.AddItem("Font", font);
    EXPECT_EQ(page.ValueByName("Font"), font);
    EXPECT_EQ(ValueOf(page), "<<\n/Font 1 0 R\n>>");
    TPdfDictionary orphan;  // no manager: a reference cannot be resolved
    orphan.AddItem("Font", font);
    EXPECT_EQ(orphan.ValueByName("Font"), nullptr);

    font->AddNameItem("Type", "Font");
    EXPECT_EQ(Written([font](TPdfWrite &w) { font->WriteValueTo(w); }), "1 0 obj\n<<\n/Type /Font\n>>\nendobj\n");
}

TEST(PdfObjects, MisuseRaisesWithTheOperationsName)
{
    TPdfXref xref;
    auto *number = new TPdfNumber(1);
    xref.AddObject(number);
    TPdfArray array;
    auto *member = new TPdfNumber(2);
    array.AddItem(member);
    TPdfNumber direct(3);

    EXPECT_EQ(RaisedMessage([&] { xref.AddObject(nullptr); }), "AddObject");
    EXPECT_EQ(RaisedMessage([&] { xref.AddObject(number); }), "AddObject");  // already indirect
    EXPECT_EQ(RaisedMessage([&] { xref.AddObject(member); }), "AddObject");  // owned by the array
    EXPECT_EQ(RaisedMessage([&] {
                  THeapMemoryStream out;
                  TPdfWrite w(out);
                  direct.WriteValueTo(w);
              }),
              "WriteValueTo");
    EXPECT_EQ(RaisedMessage([&] { TPdfDictionary().AddItem("Key", nullptr); }), "TPdfDictionaryElement");
    EXPECT_THROW(xref.AddObject(nullptr), EPdfInvalidOperation);
    EXPECT_THROW(TPdfDictionary().AddItem("Key", nullptr), EPdfInvalidValue);
    // A direct object can have one owner only.
    TPdfArray other;
    EXPECT_EQ(RaisedMessage([&] { other.AddItem(member); }), "AddItem");
    EXPECT_EQ(other.ItemCount(), 0);
}

TEST(PdfObjects, ObjectNumberDecidesDirectOrIndirect)
{
    TPdfNumber n;
    EXPECT_EQ(n.ObjectType(), TPdfObjectType::otDirectObject);
    EXPECT_EQ(n.ObjectNumber(), -1);
    n.SetObjectNumber(4);
    EXPECT_EQ(n.ObjectType(), TPdfObjectType::otIndirectObject);
    EXPECT_EQ(ValueOf(n), "4 0 R");
    n.SetObjectNumber(0);
    EXPECT_EQ(n.ObjectType(), TPdfObjectType::otDirectObject);
    EXPECT_EQ(ValueOf(n), "0");
    TPdfVirtualObject v(9);
    v.SetObjectNumber(0);
    EXPECT_EQ(v.ObjectType(), TPdfObjectType::otVirtualObject);
}

TEST(PdfObjects, ArrayNamesCanBeFoundAndRemoved)
{
    std::unique_ptr<TPdfArray> a(TPdfArray::CreateNameArray(nullptr, {"PDF", "Text"}));
    ASSERT_NE(a->FindName("Text"), nullptr);
    EXPECT_EQ(a->FindName("ImageC"), nullptr);
    EXPECT_TRUE(a->RemoveName("PDF"));
    EXPECT_FALSE(a->RemoveName("PDF"));
    EXPECT_EQ(ValueOf(*a), "[/Text ]");
}

TEST(PdfObjects, CrossReferenceLinesAreTwentyBytes)
{
    TPdfXref xref;
    xref.AddObject(new TPdfNull);
    xref.Items(1).SetByteOffset(17);
    const std::string table = Written([&xref](TPdfWrite &w) { xref.WriteTo(w); });
    EXPECT_EQ(table, "xref\n0 2\n0000000000 65535 f \n0000000017 00000 n \n");
}

// ---- streams -----------------------------------------------------------------

namespace {

struct TWrittenStream {
    std::string dictionary;  // up to and with ">>"
    std::string data;        // between "stream" LF and LF "endstream"
};

TWrittenStream Split(const std::string &s)
{
    const size_t open = s.find("\nstream\n");
    const size_t close = s.rfind("\nendstream");
    if (open == std::string::npos || close == std::string::npos || close < open + 8 ||
        close + 10 != s.size())
        return {"<malformed>", s};
    return {s.substr(0, open), s.substr(open + 8, close - open - 8)};
}

} // namespace

// A stream is written through its value; WriteTo of an indirect stream
// would give only a reference, so the tests go through WriteValueTo's body.
class PdfStreamTest : public ::testing::Test {
protected:
    static std::string Write(TPdfStream &s)
    {
        std::string full = Written([&s](TPdfWrite &w) { s.WriteValueTo(w); });
        const std::string head = std::to_string(s.ObjectNumber()) + " 0 obj\n";
        const std::string tail = "\nendobj\n";
        EXPECT_EQ(full.substr(0, head.size()), head);
        EXPECT_EQ(full.substr(full.size() - tail.size()), tail);
        return full.substr(head.size(), full.size() - head.size() - tail.size());
    }
    static std::string Content(int64_t size)
    {
        std::string c;
        for (int64_t i = 0; i < size; ++i)
            c += "0123456789"[i % 10];
        return c;
    }
    TPdfXref xref;
};

TEST_F(PdfStreamTest, CompressesFromOneHundredBytesOn)
{
    struct Case {
        int64_t size;
        bool deflate;
        bool compressed;
    };
    const Case cases[] = {{0, true, false}, {99, true, false}, {100, true, true}, {5000, true, true},
                          {100, false, false}, {5000, false, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.deflate ? " deflate" : " plain"));
        auto *stream = new TPdfStream(&xref, c.deflate, 1252, true);
        const std::string content = Content(c.size);
        stream->Writer().Add(content);
        const TWrittenStream out = Split(Write(*stream));
        if (c.compressed) {
            EXPECT_EQ(out.dictionary, "<<\n/Length " + std::to_string(out.data.size()) +
                                          "\n/Filter [/FlateDecode ]\n>>");
            EXPECT_EQ(pdftest::Inflate(out.data), content);
        } else {
            EXPECT_EQ(out.dictionary, "<<\n/Length " + std::to_string(c.size) + "\n>>");
            EXPECT_EQ(out.data, content);
        }
    }
}

TEST_F(PdfStreamTest, WritingTwiceGivesTheSameBytes)
{
    auto *shortStream = new TPdfStream(&xref, true, 1252, true);
    shortStream->Writer().Add("q\nQ\n");
    auto *longStream = new TPdfStream(&xref, true, 1252, true);
    longStream->Writer().Add(Content(3000));
    EXPECT_EQ(Write(*shortStream), Write(*shortStream));
    EXPECT_EQ(Write(*longStream), Write(*longStream));
}

TEST_F(PdfStreamTest, FailedCompressionWritesTheContentUncompressedWithoutFilter)
{
    pdftest::TReporterGuard reports;
    pdftest::TDeflateGuard failing(pdftest::FailingDeflate);
    auto *stream = new TPdfStream(&xref, true, 1252, true);
    const std::string content = Content(4000);
    stream->Writer().Add(content);
    const TWrittenStream out = Split(Write(*stream));
    EXPECT_EQ(out.dictionary, "<<\n/Length 4000\n>>");
    EXPECT_EQ(out.data, content);
    EXPECT_EQ(reports.reports, std::vector<std::string>{"PdfZip: -3"});
}

// The compressed copy's block cannot be had: the content is stored as it is,
// as when zlib fails, instead of the export failing with a stream error.
TEST_F(PdfStreamTest, NoMemoryForTheCompressedCopyWritesTheContentUncompressed)
{
    auto *stream = new TPdfStream(&xref, true, 1252, true);
    const std::string content = Content(4000);
    stream->Writer().Add(content);
    // The content's block is there already and the output's first block
    // comes after the compressed copy's: the next growth is that copy's.
    static bool armed;
    armed = true;
    const THeapRealloc old = SetHeapRealloc([](void *block, size_t size) -> void * {
        if (std::exchange(armed, false))
            return nullptr;
        return std::realloc(block, size);
    });
    std::string written;
    EXPECT_NO_THROW(written = Write(*stream));
    SetHeapRealloc(old);
    EXPECT_FALSE(armed) << "the compressed copy never grew";
    const TWrittenStream out = Split(written);
    EXPECT_EQ(out.dictionary, "<<\n/Length 4000\n>>");
    EXPECT_EQ(out.data, content);
}

TEST_F(PdfStreamTest, RegistersItselfUnlessToldNot)
{
    auto *registered = new TPdfStream(&xref, true, 1252, true);
    EXPECT_EQ(registered->ObjectNumber(), 1);
    TPdfStream loose(&xref, true, 1252, false);
    EXPECT_EQ(loose.ObjectType(), TPdfObjectType::otDirectObject);
    EXPECT_EQ(xref.ItemCount(), 2);
}
