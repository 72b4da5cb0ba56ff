#include <gtest/gtest.h>

#include "base/errors.h"
#include "json/value.h"

namespace kvt::json {
namespace {

TEST(JsonValue, EachClassReportsItsKind) {
    TqxJSONobject object(true);
    TqxJSONlist list;
    const struct {
        const TqxJSONbase* value;
        TqxJSONkind kind;
        const char* name;
    } cases[] = {
        {new TqxJSONbase, TqxJSONkind::jsBase, "jsBase"},
        {new TqxJSONobjectmethod, TqxJSONkind::jsBase, "jsBase"},
        {new TqxJSONnumber, TqxJSONkind::jsNumber, "jsNumber"},
        {new TqxJSONstring, TqxJSONkind::jsString, "jsString"},
        {new TqxJSONboolean, TqxJSONkind::jsBoolean, "jsBoolean"},
        {new TqxJSONnull, TqxJSONkind::jsNull, "jsNull"},
        {new TqxJSONlist, TqxJSONkind::jsList, "jsList"},
        {new TqxJSONobject(false), TqxJSONkind::jsObject, "jsObject"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<const TqxJSONbase> owned(c.value);
        EXPECT_EQ(c.value->Kind(), c.kind) << c.name;
        EXPECT_EQ(c.value->KindName(), c.name);
    }
}

TEST(JsonValue, ScalarsConvertToAndFromVariants) {
    EXPECT_EQ(TqxJSONnumber(0.1L).ToVariant(), Variant(0.1));
    EXPECT_EQ(TqxJSONstring(u"x").ToVariant(), Variant(WideString(u"x")));
    EXPECT_TRUE(TqxJSONlist().ToVariant().IsNull());
    EXPECT_TRUE(TqxJSONobject(true).ToVariant().IsNull());
    EXPECT_TRUE(TqxJSONnull().ToVariant().IsNull());

    TqxJSONstring text(u"old");
    text.FromVariant(Variant::Null());
    EXPECT_EQ(text.StringValue, u"");
    TqxJSONnumber number(7);
    EXPECT_THROW(number.FromVariant(Variant("seven")), EVariantTypeCastError);
    EXPECT_EQ(number.NumberValue, 7);  // unchanged after the failed conversion
    number.FromVariant(Variant("2.5"));
    EXPECT_EQ(number.NumberValue, 2.5L);
    TqxJSONboolean flag;
    flag.FromVariant(Variant(std::int32_t{1}));
    EXPECT_TRUE(flag.BooleanValue);
}

TEST(JsonValue, MemberAddressesChildrenByPositionOrName) {
    auto object = TqxJSONobject::NewObject(true);
    object->AddMember(u"a", std::int32_t{1});
    TqxJSONlist list;
    list.Append(std::make_unique<TqxJSONnumber>(3));
    TqxJSONnumber number;

    EXPECT_EQ(list.Member(Variant("a")), &list);           // text key on a list: the receiver
    EXPECT_EQ(number.Member(Variant(0.0)), &number);       // any key on a scalar: the receiver
    EXPECT_EQ(list.Member(Variant(0.4)), list.ItemAt(0));  // floats round to a position
    EXPECT_EQ(list.Member(Variant(false)), list.ItemAt(0));
    EXPECT_EQ(object->Member(Variant(std::int32_t{0})), object->ItemAt(0));  // the pair itself
    EXPECT_NE(dynamic_cast<TqxJSONobjectmethod*>(object->Member(Variant(std::int32_t{0}))),
              nullptr);
    EXPECT_EQ(object->Member(Variant("a")), object->MemberByName(u"a"));
    EXPECT_EQ(object->Member(Variant(u"a")), object->MemberByName(u"a"));
    EXPECT_EQ(object->Member(Variant("x")), nullptr);
}

TEST(JsonValue, RepeatedNamesKeepBothMembersAndLookupsFollowTheIndex) {
    for (const bool hashed : {true, false}) {
        TqxJSONobject object(hashed);
        object.AddMember(u"k", std::int32_t{1});
        object.AddMember(u"k", std::int32_t{2});
        EXPECT_EQ(object.ItemCount(), 2);
        const int expected = hashed ? 2 : 1;  // hashed: the latest wins; scanned: the first
        EXPECT_EQ(object.IntAt(0), expected);
        EXPECT_EQ(object.IntAt(1), expected);
        EXPECT_EQ(static_cast<TqxJSONnumber*>(object.MemberByName(u"k"))->NumberValue, expected);
        EXPECT_EQ(object.FindMember(u"K"), -1);  // case-sensitive either way
    }
}

TEST(JsonValue, EmptyNameIsFoundByNameButNotByPosition) {
    TqxJSONobject object(true);
    object.AddMember(u"", std::int32_t{5});
    EXPECT_NE(object.MemberByName(u""), nullptr);
    EXPECT_EQ(object.MemberAt(0), nullptr);
    EXPECT_EQ(object.IntAt(0), 0);
    AnsiString name = "unchanged";
    EXPECT_EQ(object.NamedItemAt(0, name), nullptr);
    EXPECT_EQ(name, "");
}

TEST(JsonValue, MissingValuesAndPositionsAreNoFailure) {
    TqxJSONobject object(true);
    EXPECT_EQ(object.AddMember(u"a", std::unique_ptr<TqxJSONbase>()), -1);
    EXPECT_EQ(object.ItemCount(), 0);
    TqxJSONlist list;
    EXPECT_EQ(list.Append(nullptr), -1);
    list.Append(std::make_unique<TqxJSONnull>());
    EXPECT_EQ(list.ItemAt(-1), nullptr);
    EXPECT_EQ(list.ItemAt(1), nullptr);
    list.DeleteAt(1);
    list.DeleteAt(-1);
    EXPECT_EQ(list.ItemCount(), 1);
    EXPECT_EQ(list.IntAt(5), 0);
    EXPECT_EQ(list.StringAt(5), "");
    EXPECT_EQ(list.WideStringAt(5), u"");
    EXPECT_EQ(list.FloatAt(5), 0);
    EXPECT_FALSE(list.BooleanAt(5));
    AnsiString name;
    list.NamedItemAt(0, name);
    EXPECT_EQ(name, "0");
}

TEST(JsonValue, TypedReadsTruncateNumbersAndRefuseOtherKinds) {
    TqxJSONlist list;
    for (const long double v : {2.9L, -2.9L, 4294967298.0L}) {
        list.Append(std::make_unique<TqxJSONnumber>(v));
    }
    list.Append(std::make_unique<TqxJSONstring>(u"中文"));
    list.Append(std::make_unique<TqxJSONboolean>(true));
    EXPECT_EQ(list.IntAt(0), 2);
    EXPECT_EQ(list.IntAt(1), -2);
    EXPECT_EQ(list.IntAt(2), 2);  // low 32 bits of the 64-bit truncation
    EXPECT_EQ(list.FloatAt(0), 2.9);
    EXPECT_EQ(list.StringAt(3), "\xD6\xD0\xCE\xC4");  // GBK
    EXPECT_EQ(list.WideStringAt(3), u"中文");
    EXPECT_TRUE(list.BooleanAt(4));
    try {
        list.IntAt(3);
        FAIL();
    } catch (const EInvalidCast& e) {
        EXPECT_STREQ(e.what(), "Invalid class typecast");
    }
    EXPECT_THROW(list.StringAt(0), EInvalidCast);
    EXPECT_THROW(list.BooleanAt(0), EInvalidCast);
    EXPECT_THROW(list.FloatAt(4), EInvalidCast);
}

// Counts live instances, to check what the tree destroys.
class Tracked : public TqxJSONbase {
  public:
    static inline int live = 0;
    Tracked() { ++live; }
    ~Tracked() override { --live; }
};

TEST(JsonValue, ContainersOwnTheirWholeSubtree) {
    {
        auto object = TqxJSONobject::NewObject(true);
        auto inner = std::make_unique<TqxJSONlist>();
        inner->Append(std::make_unique<Tracked>());
        inner->Append(std::make_unique<Tracked>());
        object->AddMember(u"list", std::move(inner));
        object->AddMember(u"one", std::make_unique<Tracked>());
        EXPECT_EQ(Tracked::live, 3);

        auto* list = static_cast<TqxJSONlist*>(object->MemberByName(u"list"));
        list->DeleteAt(0);
        EXPECT_EQ(Tracked::live, 2);
        list->ReplaceItem(0, std::make_unique<TqxJSONnull>());
        EXPECT_EQ(Tracked::live, 1);
        EXPECT_EQ(list->IndexOfItem(list->ItemAt(0)), 0);
        EXPECT_EQ(list->IndexOfItem(object.get()), -1);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(JsonValue, ObjectsHoldOnlyPairsAndKeepTheirIndexInStepWithEdits) {
    TqxJSONobject object(true);
    EXPECT_EQ(object.Append(std::make_unique<TqxJSONnumber>(1)), -1);
    object.AddMember(u"a", std::int32_t{1});
    object.AddMember(u"b", std::int32_t{2});
    object.AddMember(u"c", std::int32_t{3});
    object.DeleteAt(0);
    EXPECT_EQ(object.FindMember(u"a"), -1);
    EXPECT_EQ(object.FindMember(u"c"), 1);
    EXPECT_EQ(object.IntAt(1), 3);
    object.ReplaceItem(0, std::make_unique<TqxJSONnumber>(9));  // not a pair: refused
    EXPECT_EQ(object.IntAt(0), 2);
    object.ReplaceItem(
        0, std::make_unique<TqxJSONobjectmethod>(u"z", std::make_unique<TqxJSONnumber>(26)));
    EXPECT_EQ(object.FindMember(u"b"), -1);
    EXPECT_EQ(object.IntAt(0), 26);
    EXPECT_EQ(object.Append(
                  std::make_unique<TqxJSONobjectmethod>(u"d", std::make_unique<TqxJSONnumber>(4))),
              2);
    EXPECT_EQ(object.FindMember(u"d"), 2);
}

}  // namespace
}  // namespace kvt::json
