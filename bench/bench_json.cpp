// The JSON codec against RapidJSON (DOM), nlohmann-json and simdjson (DOM, parsing only)
// on the same documents: parse, format, and name lookups in one large object. After the
// usual table a summary gives each document's throughput in MB/s (10^6 bytes a second)
// and the codec's ratio to each peer, all from this one run.

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>

#include <cstdio>
#include <map>
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

// `members` members named by `name`, each holding its number.
template <typename Name>
std::string ObjectText(int members, Name name) {
    std::string out = "{";
    for (int i = 0; i < members; ++i) {
        if (i > 0) {
            out += ",";
        }
        out += "\"" + name(i) + "\":" + std::to_string(i);
    }
    return out + "}";
}

std::string WideObjectText(int members) {
    return ObjectText(members, MemberName);
}

// 80,000 members whose names differ only after a U+0000 unit, so they all share one name
// hash: the cost of colliding names stays visible.
std::string CollidingObjectText() {
    return ObjectText(80000, [](int i) { return "\\u0000" + std::to_string(i); });
}

constexpr int kDocuments = 4;
const char* const kDocumentLabels[kDocuments] = {"settings record", "1 MB mixed array",
                                                 "100k-member object", "80k colliding names"};

const std::string& Document(int which) {
    static const std::string wide = WideObjectText(100000);
    static const std::string colliding = CollidingObjectText();
    switch (which) {
        case 0:
            return SettingsRecord();
        case 1:
            return MixedArray();
        case 2:
            return wide;
        default:
            return colliding;
    }
}

void Label(benchmark::State& state, int which) {
    state.SetLabel(kDocumentLabels[which]);
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

// simdjson's DOM parser as it is meant to be used: one parser reused for every document
// (its buffers are allocated once) and the text padded once, outside the loop.
void BM_Parse_Simdjson(benchmark::State& state) {
    const simdjson::padded_string text(Document(static_cast<int>(state.range(0))));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element doc;
        const auto error = parser.parse(text).get(doc);
        benchmark::DoNotOptimize(error);
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

// --- summary ---------------------------------------------------------------------------

// The console report, then a summary of the same runs: MB/s per document for each
// library and the codec's ratio to each peer (above 1: the codec is faster).
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0) {
                continue;
            }
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            seconds_[run.run_name.function_name][std::stoi(run.run_name.args)] = seconds;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        PrintThroughput("parse", {"Qx", "RapidJSON", "Nlohmann", "Simdjson"});
        PrintThroughput("format", {"Qx", "RapidJSON", "Nlohmann"});
        PrintLookups();
    }

  private:
    // A figure, or "-" for a run that did not happen (filtered out, failed or not
    // registered).
    static void PrintFigure(int width, const char* format, double figure) {
        if (figure > 0) {
            std::printf(format, figure);
        } else {
            std::printf("%*s", width, "-");
        }
    }

    // Seconds per iteration, or 0 when the run is missing (filtered out or failed).
    double Seconds(const std::string& family, int arg) const {
        const auto f = seconds_.find(family);
        if (f == seconds_.end()) {
            return 0;
        }
        const auto a = f->second.find(arg);
        return a == f->second.end() ? 0 : a->second;
    }

    void PrintThroughput(const char* operation, const std::vector<std::string>& libraries) {
        const std::string prefix = std::string("BM_") +
                                   static_cast<char>(operation[0] - 'a' + 'A') + (operation + 1) +
                                   "_";
        std::printf("\n%s, MB/s", operation);
        for (std::size_t i = 1; i < libraries.size(); ++i) {
            std::printf("; Qx/%s", libraries[i].c_str());
        }
        std::printf("\n%-22s", "document");
        for (const auto& library : libraries) {
            std::printf("%12s", library.c_str());
        }
        for (std::size_t i = 1; i < libraries.size(); ++i) {
            std::printf("%14s", ("Qx/" + libraries[i]).c_str());
        }
        std::printf("\n");
        for (int doc = 0; doc < kDocuments; ++doc) {
            std::printf("%-22s", kDocumentLabels[doc]);
            std::vector<double> rates;
            for (const auto& library : libraries) {
                const double seconds = Seconds(prefix + library, doc);
                rates.push_back(seconds > 0 ? Document(doc).size() / seconds / 1e6 : 0);
                PrintFigure(12, "%12.1f", rates.back());
            }
            for (std::size_t i = 1; i < rates.size(); ++i) {
                PrintFigure(14, "%14.2f", rates[0] > 0 && rates[i] > 0 ? rates[0] / rates[i] : 0);
            }
            std::printf("\n");
        }
    }

    void PrintLookups() {
        std::printf("\n10,000 lookups, ms\n%-12s%12s%12s%12s\n", "members", "Qx", "RapidJSON",
                    "Nlohmann");
        for (const int members : {1000, 10000, 100000}) {
            std::printf("%-12d", members);
            for (const char* library : {"Qx", "RapidJSON", "Nlohmann"}) {
                PrintFigure(12, "%12.3f",
                            Seconds(std::string("BM_Lookup_") + library, members) * 1e3);
            }
            std::printf("\n");
        }
        const double small = Seconds("BM_Lookup_Qx", 1000);
        const double large = Seconds("BM_Lookup_Qx", 100000);
        if (small > 0 && large > 0) {
            std::printf("Qx growth from 1k to 100k members: %.2fx\n", large / small);
        }
    }

    std::map<std::string, std::map<int, double>> seconds_;
};

}  // namespace

BENCHMARK(BM_Parse_Qx)->DenseRange(0, kDocuments - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Parse_RapidJSON)->DenseRange(0, kDocuments - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Parse_Nlohmann)->DenseRange(0, kDocuments - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Parse_Simdjson)->DenseRange(0, kDocuments - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Format_Qx)->DenseRange(0, kDocuments - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Format_RapidJSON)->DenseRange(0, kDocuments - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Format_Nlohmann)->DenseRange(0, kDocuments - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_Qx)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_RapidJSON)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_Nlohmann)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
