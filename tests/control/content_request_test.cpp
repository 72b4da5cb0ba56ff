#include "control/content_request.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/errors.h"
#include "control/sector_walk.h"
#include "fakes/fake_host.h"

namespace kvt::control {
namespace {

StringList ListOf(std::initializer_list<const char*> items) {
    StringList list;
    for (const char* item : items) {
        list.Add(AnsiFromUtf8(item));
    }
    return list;
}

TEST(ContentBody, MatchesTheWorkedExampleByteForByte) {
    EXPECT_EQ(ContentBody("1", "1A2B", ListOf({"101", "102"}), ListOf({"Bank", "Steel"})),
              "SelID=1&Range=0X1A2B&SectorList=Bank%3B101%2CSteel%3B102%2C");
}

TEST(ContentBody, EncodesEveryByteOfChineseNamesAndSpaces) {
    EXPECT_EQ(ContentBody("0", "3C 4D", ListOf({"103"}), ListOf({"有色 金属"})),
              "SelID=0&Range=0X3C+4D&SectorList=%D3%D0%C9%AB+%BD%F0%CA%F4%3B103%2C");
}

TEST(ContentBody, CarriesAStoredSelectionThatIsNotANumberAsItIs) {
    EXPECT_EQ(ContentBody("abc", "", StringList(), StringList()), "SelID=abc&Range=0X&SectorList=");
}

TEST(ContentBody, RaisesWhenTheNameListIsShorter) {
    EXPECT_THROW(SectorListText(ListOf({"101", "102"}), ListOf({"Bank"})), Exception);
}

TEST(ContentRequest, HeadersEndWithLineFeedThenCarriageReturn) {
    ASSERT_GE(kContentHeaders.size(), 2u);
    EXPECT_EQ(kContentHeaders.substr(0, kContentHeaders.size() - 2),
              "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(kContentHeaders.substr(kContentHeaders.size() - 2), "\x0A\x0D");
}

TEST(ContentRequest, URLInsertsServerAndValidationUnescaped) {
    EXPECT_EQ(ComposeContentURL("10.0.0.5:8080", "v=a b&c=%"),
              "http://10.0.0.5:8080/tavrix2009/kplm.aspx?v=a b&c=%");
}

TEST(SelectedPosition, ReadsTheLow32BitsOfA64BitDecimal) {
    const struct {
        const char* text;
        std::int32_t position;
    } cases[] = {
        {"1", 1},
        {" 7 ", 7},
        {"+3", 3},
        {"-1", -1},
        {"abc", 0},
        {"", 0},
        {"1.5", 0},
        {"+-1", 0},
        {"12abc", 0},
        {"4294967296", 0},
        {"4294967297", 1},
        {"2147483648", INT32_MIN},
        {"99999999999999999999", 0},  // beyond 64 bits: not a number
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SelectedPosition(c.text), c.position) << "'" << c.text << "'";
    }
}

// A tree generated as it is walked: each node holds no child, so even a very deep chain
// costs nothing to build or to free.
class ChainNode : public host::RangeItem {
  public:
    ChainNode(int depth, int levels) : depth_(depth), levels_(levels) {}
    std::shared_ptr<host::RangeItem> Item(int) override {
        return std::make_shared<ChainNode>(depth_ + 1, levels_);
    }
    int Count() override { return depth_ < levels_ ? 1 : 0; }
    WideString Name() override { return u"deepest"; }
    bool IsLeaf() override { return depth_ == levels_; }
    WideString Code() override { return u"C"; }
    bool IsValid() override { return true; }
    WideString ID() override { return u"1"; }

  private:
    int depth_;
    int levels_;
};

TEST(WalkRanges, FlattensNestedGroupsInWalkOrderAskingTheHostAsARecursiveWalkWould) {
    using fakes::FakeRangeItem;
    fakes::Journal journal;
    fakes::Faults faults;
    auto root = FakeRangeItem::Group(
        "root", {FakeRangeItem::Group(
                     "A", {FakeRangeItem::Sector("1", "s1", "c1"),
                           FakeRangeItem::Group("B", {FakeRangeItem::Sector("2", "s2", "c2")})}),
                 FakeRangeItem::Sector("3", "s3", "c3")});
    root->Bind({&journal, &faults});

    StringList ids;
    StringList names;
    WalkRanges(root, ids, names);

    EXPECT_EQ(std::vector<AnsiString>(ids.begin(), ids.end()),
              (std::vector<AnsiString>{"1", "2", "3"}));
    EXPECT_EQ(std::vector<AnsiString>(names.begin(), names.end()),
              (std::vector<AnsiString>{"s1", "s2", "s3"}));
    EXPECT_EQ(journal.Entries(),
              (std::vector<std::string>{
                  "Count root", "Item root 0", "IsLeaf A", "Count A", "Item A 0", "IsLeaf s1",
                  "ID s1", "Name s1", "Item A 1", "IsLeaf B", "Count B", "Item B 0", "IsLeaf s2",
                  "ID s2", "Name s2", "Item root 1", "IsLeaf s3", "ID s3", "Name s3"}));
}

TEST(WalkRanges, WalksATreeDeeperThanAnyStackWouldAllow) {
    StringList ids;
    StringList names;
    WalkRanges(std::make_shared<ChainNode>(0, 1'000'000), ids, names);
    ASSERT_EQ(ids.Count(), 1);
    EXPECT_EQ(names.At(0), "deepest");
}

TEST(WalkRanges, AFailingHostCallRaisesItsHResultAndKeepsWhatWasWalked) {
    using fakes::FakeRangeItem;
    fakes::Journal journal;
    fakes::Faults faults;
    auto root = FakeRangeItem::Group(
        "root", {FakeRangeItem::Sector("1", "s1", "c1"), FakeRangeItem::Group("G", {})});
    root->Bind({&journal, &faults});
    faults.Fail("Count G", static_cast<HResult>(0x80010108u));

    StringList ids;
    StringList names;
    try {
        WalkRanges(root, ids, names);
        FAIL() << "no error";
    } catch (const EOleError& error) {
        EXPECT_EQ(error.Code(), static_cast<HResult>(0x80010108u));
    }
    ASSERT_EQ(ids.Count(), 1);
    EXPECT_EQ(ids.At(0), "1");
}

}  // namespace
}  // namespace kvt::control
