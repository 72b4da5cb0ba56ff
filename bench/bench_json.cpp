// The JSON codec against RapidJSON (DOM) and nlohmann-json on the same documents:
// parse, format, and name lookups in one large object.

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "json/reader.h"
#include "json/value.h"
#include "json/writer.h"

namespace {

using kvt::json::FormatJson;
using kvt::json::ParseJson;

const std::string& SettingsRecord() {
    static const std::string text = R"({"Name":"","Tag":0,"LastSeleID":"0"})";
    return text;
}

// About 1 MB: an array of objects with integers, fractions and Chinese strings.
const std::string& MixedArray() {
    static const std::string text = [] {
        const char* names[] = {"上证指数", "深证成指", "创业板指",
                               "沪深300",  "中小板指", "银行板块"};
        std::mt19937 random(42);
        std::string out = "[";
        for (int i = 0; out.size() < 1000000; ++i) {
            if (i > 0) {
                out += ",";
            }
            out += R"({"id":)" + std::to_string(i) + R"(,"code":"0X)" + std::to_string(600000 + i) +
                   R"(","name":")" + names[random() % 6] + R"(","price":)" +
                   std::to_string(random() % 100000 / 100.0) + R"(,"change":-)" +
                   std::to_string(random() % 1000 / 1000.0) + R"(,"valid":true,"tags":[1,2,3]})";
        }
        return out + "]";
    }();
    return text;
}

std::string MemberName(int i) {
    std::string name = "member_";
    name += std::to_string(i);
    return name;
}

std::string WideObjectText(int members) {
    std::string out = "{";
    for (int i = 0; i < members; ++i) {
        if (i > 0) {
            out += ",";
        }
        out += "\"" + MemberName(i) + "\":" + std::to_string(i);
    }
    return out + "}";
}

const std::string& Document(int which) {
    static const std::string wide = WideObjectText(100000);
    switch (which) {
        case 0:
            return SettingsRecord();
        case 1:
            return MixedArray();
        default:
            return wide;
    }
}

void Label(benchmark::State& state, int which) {
    static const char* labels[] = {"settings record", "1 MB mixed array", "100k-member object"};
    state.SetLabel(labels[which]);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(Document(which).size()));
}

// --- parse -----------------------------------------------------------------------------

void BM_Parse_Qx(benchmark::State& state) {
    const std::string& text = Document(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto root = ParseJson(text);
        benchmark::DoNotOptimize(root.get());
    }
    Label(state, static_cast<int>(state.range(0)));
}

void BM_Parse_RapidJSON(benchmark::State& state) {
    const std::string& text = Document(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        rapidjson::Document doc;
        doc.Parse(text.data(), text.size());
        benchmark::DoNotOptimize(doc.IsObject());
    }
    Label(state, static_cast<int>(state.range(0)));
}

void BM_Parse_Nlohmann(benchmark::State& state) {
    const std::string& text = Document(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto doc = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(doc.is_object());
    }
    Label(state, static_cast<int>(state.range(0)));
}

// --- format ----------------------------------------------------------------------------

void BM_Format_Qx(benchmark::State& state) {
    const auto root = ParseJson(Document(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        auto text = FormatJson(root.get());
        benchmark::DoNotOptimize(text.data());
    }
    Label(state, static_cast<int>(state.range(0)));
}

void BM_Format_RapidJSON(benchmark::State& state) {
    const std::string& source = Document(static_cast<int>(state.range(0)));
    rapidjson::Document doc;
    doc.Parse(source.data(), source.size());
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        doc.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
    Label(state, static_cast<int>(state.range(0)));
}

void BM_Format_Nlohmann(benchmark::State& state) {
    const auto doc = nlohmann::json::parse(Document(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        auto text = doc.dump();
        benchmark::DoNotOptimize(text.data());
    }
    Label(state, static_cast<int>(state.range(0)));
}

// --- 10,000 lookups by name in an object of N members ----------------------------------

constexpr int kLookups = 10000;

std::vector<std::string> LookupNames(int members) {
    std::vector<std::string> names;
    std::mt19937 random(7);
    for (int i = 0; i < kLookups; ++i) {
        names.push_back(MemberName(static_cast<int>(random() % static_cast<unsigned>(members))));
    }
    return names;
}

void BM_Lookup_Qx(benchmark::State& state) {
    const int members = static_cast<int>(state.range(0));
    const auto root = ParseJson(WideObjectText(members));
    const auto* object = static_cast<const kvt::json::TqxJSONobject*>(root.get());
    std::vector<kvt::WideString> names;
    for (const auto& name : LookupNames(members)) {
        names.emplace_back(name.begin(), name.end());
    }
    for (auto _ : state) {
        for (const auto& name : names) {
            benchmark::DoNotOptimize(object->MemberByName(name));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kLookups);
}

void BM_Lookup_RapidJSON(benchmark::State& state) {
    const int members = static_cast<int>(state.range(0));
    const std::string text = WideObjectText(members);
    rapidjson::Document doc;
    doc.Parse(text.data(), text.size());
    const auto names = LookupNames(members);
    for (auto _ : state) {
        for (const auto& name : names) {
            benchmark::DoNotOptimize(doc.FindMember(name.c_str()));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kLookups);
}

void BM_Lookup_Nlohmann(benchmark::State& state) {
    const int members = static_cast<int>(state.range(0));
    const auto doc = nlohmann::json::parse(WideObjectText(members));
    const auto names = LookupNames(members);
    for (auto _ : state) {
        for (const auto& name : names) {
            benchmark::DoNotOptimize(doc.find(name));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kLookups);
}

}  // namespace

BENCHMARK(BM_Parse_Qx)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Parse_RapidJSON)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Parse_Nlohmann)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Format_Qx)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Format_RapidJSON)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Format_Nlohmann)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_Qx)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_RapidJSON)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_Nlohmann)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
