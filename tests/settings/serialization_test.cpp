#include "settings/serialization.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <tuple>

#include "base/errors.h"
#include "json/reader.h"
#include "json/value.h"
#include "settings/kvtavrix_config.h"

namespace kvt::settings {
namespace {

enum class Shade { Red, Green, Blue };

// One published property of every kind, plus one without write access and one of a kind
// that is never serialized.
class TSample : public TSerialization {
  public:
    const PropertyList& PublishedProperties() const override {
        static const PropertyList list =
            PropertyTable<TSample>(ClassProperties())
                .Integer("Count", Field(&TSample::Count))
                .Integer("Mode", Field(&TSample::Mode), {{"mdNone", 0}, {"mdFast", 1}})
                .Char("Letter", Field(&TSample::Letter))
                .Enumeration("Color", Field(&TSample::Color), {"Red", "Green", "Blue"})
                .Set("Flags", Field(&TSample::Flags), {"a", "b", "c", "d"})
                .Float("Ratio", Field(&TSample::Ratio))
                .String("Text", Field(&TSample::Text))
                .Wide("Wide", Field(&TSample::Wide))
                .Int64("Big", Field(&TSample::Big))
                .String("Fixed", ReadOnly(&TSample::Fixed))
                .Unsupported("OnChange");
        return list;
    }

    auto Values() const {
        return std::tie(Name, Tag, Count, Mode, Letter, Color, Flags, Ratio, Text, Wide, Big,
                        Fixed);
    }

    std::int32_t Count = 0;
    std::int32_t Mode = 0;
    char Letter = 'a';
    Shade Color = Shade::Red;
    std::uint32_t Flags = 0;
    double Ratio = 0;
    AnsiString Text;
    WideString Wide;
    std::int64_t Big = 0;
    AnsiString Fixed = "fixed";
};

// The text of one member as stored, or "<absent>".
std::string StoredMember(const AnsiString& json, const char16_t* name) {
    const auto root = json::ParseJson(json);
    auto* object = dynamic_cast<json::TqxJSONobject*>(root.get());
    if (object == nullptr) {
        return "<not an object>";
    }
    const json::TqxJSONbase* member = object->MemberByName(name);
    return member ? member->ToVariant().ToAnsi() : "<absent>";
}

TEST(SerializationTest, WritesReadWritePropertiesInTableOrder) {
    EXPECT_EQ(TSample().ToJson(),
              R"({"Name":"","Tag":0,"Count":0,"Mode":"mdNone","Letter":"a","Color":"Red",)"
              R"("Flags":"[]","Ratio":0,"Text":"","Wide":"","Big":0})");
}

TEST(SerializationTest, SettingsRecordTexts) {
    TKvTavrixConfig config;
    EXPECT_EQ(config.ToJson(), R"({"Name":"","Tag":0,"LastSeleID":"0"})");
    config.LastSeleID = "1 2";
    EXPECT_EQ(config.ToJson(), R"({"Name":"","Tag":0,"LastSeleID":"1+2"})");
}

TEST(SerializationTest, EveryKindRoundTrips) {
    struct Case {
        const char* what;
        std::function<void(TSample&)> set;
    };
    const Case cases[] = {
        {"name and tag", [](TSample& s) { s.Name = "Config1", s.Tag = -7; }},
        {"integer limits", [](TSample& s) { s.Count = std::numeric_limits<std::int32_t>::min(); }},
        {"mapped integer", [](TSample& s) { s.Mode = 1; }},
        {"unmapped integer", [](TSample& s) { s.Mode = 42; }},
        {"char percent", [](TSample& s) { s.Letter = '%'; }},
        {"char plus", [](TSample& s) { s.Letter = '+'; }},
        {"char space", [](TSample& s) { s.Letter = ' '; }},
        {"char quote", [](TSample& s) { s.Letter = '"'; }},
        {"char high byte", [](TSample& s) { s.Letter = '\xE4'; }},
        {"enumeration", [](TSample& s) { s.Color = Shade::Blue; }},
        {"set", [](TSample& s) { s.Flags = 0b1010; }},
        {"full set", [](TSample& s) { s.Flags = 0b1111; }},
        {"float", [](TSample& s) { s.Ratio = -0.125; }},
        {"tiny float", [](TSample& s) { s.Ratio = 1.5e-300; }},
        {"string", [](TSample& s) { s.Text = "a'b \"c\" %+,\n\\/"; }},
        {"code page string", [](TSample& s) { s.Text = AnsiFromUtf8("板块 A"); }},
        {"wide string", [](TSample& s) { s.Wide = u"a b+c%20"; }},
        {"wide code page string", [](TSample& s) { s.Wide = u"板块"; }},
        {"int64", [](TSample& s) { s.Big = -123456789012345; }},
    };
    for (const auto& c : cases) {
        TSample written;
        c.set(written);
        TSample read;
        read.FromJson(written.ToJson());
        EXPECT_EQ(read.Values(), written.Values()) << c.what << ": " << written.ToJson();
    }
}

TEST(SerializationTest, StoredFormsOfTextKinds) {
    struct Case {
        std::function<void(TSample&)> set;
        const char16_t* member;
        std::string stored;
    };
    const Case cases[] = {
        {[](TSample& s) { s.Flags = 0b1010; }, u"Flags", "[b%2Cd]"},
        {[](TSample& s) { s.Flags = 0xFFFFFFF1; }, u"Flags", "[a]"},  // bits without an element
        {[](TSample& s) { s.Text = "12,34 5"; }, u"Text", "12%2C34+5"},
        {[](TSample& s) { s.Wide = u"a b"; }, u"Wide", "a+b"},
        {[](TSample& s) { s.Mode = 1; }, u"Mode", "mdFast"},
        {[](TSample& s) { s.Mode = 5; }, u"Mode", "5"},
        {[](TSample& s) { s.Letter = 'x'; }, u"Letter", "x"},
        {[](TSample& s) { s.Letter = '%'; }, u"Letter", "%25"},
        {[](TSample& s) { s.Color = Shade::Green; }, u"Color", "Green"},
        {[](TSample& s) { s.Color = static_cast<Shade>(9); }, u"Color", ""},
        {[](TSample&) {}, u"Fixed", "<absent>"},
        {[](TSample&) {}, u"OnChange", "<absent>"},
    };
    for (const auto& c : cases) {
        TSample sample;
        c.set(sample);
        EXPECT_EQ(StoredMember(sample.ToJson(), c.member), c.stored) << sample.ToJson();
    }
}

TEST(SerializationTest, ReadsMemberTexts) {
    struct Case {
        const char* json;
        std::function<bool(const TSample&)> holds;
    };
    const auto has_flags = [](std::uint32_t mask) {
        return [mask](const TSample& s) { return s.Flags == mask; };
    };
    const Case cases[] = {
        {R"({"Flags":"[b,d]"})", has_flags(0b1010)},
        {R"({"Flags":"[b%2Cd]"})", has_flags(0b1010)},
        {R"({"Flags":"x,b,d,y"})", has_flags(0b1010)},
        {R"({"Flags":"[B,,zz,d]"})", has_flags(0b1010)},
        {R"({"Flags":"[]"})", has_flags(0)},
        {R"({"Flags":"[zz]"})", has_flags(0)},
        {R"({"Flags":"x"})", has_flags(0)},
        {R"({"Flags":""})", has_flags(0)},
        {R"({"Color":"BLUE"})", [](const TSample& s) { return s.Color == Shade::Blue; }},
        {R"({"Color":"Purple"})", [](const TSample& s) { return s.Color == Shade::Green; }},
        {R"({"Letter":"xy"})", [](const TSample& s) { return s.Letter == 'q'; }},
        {R"({"Letter":"%41"})", [](const TSample& s) { return s.Letter == 'A'; }},
        {R"({"Mode":"MDFAST"})", [](const TSample& s) { return s.Mode == 1; }},
        {R"({"Count":"12"})", [](const TSample& s) { return s.Count == 12; }},
        {R"({"Count":-12})", [](const TSample& s) { return s.Count == -12; }},
        {R"({"Text":7})", [](const TSample& s) { return s.Text == "7"; }},
        {R"({"Text":"a+b"})", [](const TSample& s) { return s.Text == "a b"; }},
        {R"({"Wide":null})", [](const TSample& s) { return s.Wide.empty(); }},
        {R"({"Ratio":"2.5"})", [](const TSample& s) { return s.Ratio == 2.5; }},
        {R"({"Big":4096})", [](const TSample& s) { return s.Big == 4096; }},
        {R"({"Fixed":"changed","OnChange":"x"})",
         [](const TSample& s) { return s.Fixed == "fixed"; }},
        {R"({"count":5})", [](const TSample& s) { return s.Count == 3; }},  // names keep their case
    };
    for (const auto& c : cases) {
        TSample sample;
        sample.Flags = 0b0001;
        sample.Color = Shade::Green;
        sample.Letter = 'q';
        sample.Count = 3;
        sample.Wide = u"old";
        sample.FromJson(c.json);
        EXPECT_TRUE(c.holds(sample)) << c.json;
    }
}

TEST(SerializationTest, TextWithoutMembersChangesNothing) {
    for (const char* text : {"", "not json", "{", "{}", "  "}) {
        TKvTavrixConfig config;
        config.Name = "n";
        config.Tag = 5;
        config.LastSeleID = "9";
        config.FromJson(text);
        EXPECT_EQ(config.ToJson(), R"({"Name":"n","Tag":5,"LastSeleID":"9"})") << text;
    }
}

TEST(SerializationTest, ReadsOnlyTheMembersPresent) {
    TKvTavrixConfig config;
    config.Name = "n";
    config.Tag = 5;
    config.FromJson(R"({"LastSeleID":"7"})");
    EXPECT_EQ(config.LastSeleID, "7");
    EXPECT_EQ(config.Name, "n");
    EXPECT_EQ(config.Tag, 5);
}

TEST(SerializationTest, TopValueOtherThanObjectIsInvalidCast) {
    for (const char* text : {"[1,2]", "\"text\"", "12", "null"}) {
        TKvTavrixConfig config;
        try {
            config.FromJson(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const EInvalidCast& error) {
            EXPECT_STREQ(error.what(), "Invalid class typecast");
        }
        EXPECT_EQ(config.LastSeleID, "0");
    }
}

// The first unreadable member ends the call: earlier properties keep what was read,
// later ones keep their old values.
TEST(SerializationTest, StopsAtTheFirstUnreadableMember) {
    struct Case {
        const char* bad_count;
        std::string message;
    };
    const Case cases[] = {
        {R"("abc")", "'abc' is not a valid integer value"},
        {R"(1.5)", "'1.5' is not a valid integer value"},
        {R"(3000000000)", "'3000000000' is not a valid integer value"},
        {R"(null)", "Could not convert variant of type (Null) into type (String)"},
        {R"([1])", "Could not convert variant of type (Null) into type (String)"},
        {R"({"a":1})", "Could not convert variant of type (Null) into type (String)"},
    };
    for (const auto& c : cases) {
        TSample sample;
        const std::string json =
            std::string(R"({"Text":"late","Name":"early","Count":)") + c.bad_count + "}";
        try {
            sample.FromJson(json);
            ADD_FAILURE() << "no error for " << json;
        } catch (const Exception& error) {
            EXPECT_EQ(error.what(), c.message);
        }
        EXPECT_EQ(sample.Name, "early") << json;
        EXPECT_EQ(sample.Text, "") << json;
    }
}

TEST(SerializationTest, ReportsBadEscapesAndNullNumbers) {
    struct Case {
        const char* json;
        std::string message;
    };
    const Case cases[] = {
        {R"({"Text":"abc%4"})", "Error decoding URL style (%XX) encoded string at position 4"},
        {R"({"Color":"%zz"})", "Invalid URL encoded character (%zz) at position 1"},
        {R"({"Ratio":null})", "Could not convert variant of type (Null) into type (Double)"},
    };
    for (const auto& c : cases) {
        TSample sample;
        try {
            sample.FromJson(c.json);
            ADD_FAILURE() << "no error for " << c.json;
        } catch (const Exception& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

TEST(SerializationTest, SetOfMoreThan32ElementsIsRefused) {
    struct TWide : TSerialization {
        std::uint32_t Flags = 0;
    };
    std::vector<AnsiString> names(33, "e");
    EXPECT_THROW(PropertyTable<TWide>().Set("Flags", Field(&TWide::Flags), names), Exception);
}

}  // namespace
}  // namespace kvt::settings
