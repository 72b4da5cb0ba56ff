// The content request's cost: walking the sector tree into the two lists and composing
// the form-encoded body, against the same work with the sector list built by cumulative
// formatting (each step re-formats everything so far).

#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>
#include <vector>

#include "base/format.h"
#include "base/string_list.h"
#include "control/content_request.h"
#include "control/host_ports.h"
#include "control/sector_walk.h"
#include "settings/url_style.h"

namespace {

using kvt::StringList;
using kvt::WideString;

class Node : public kvt::host::RangeItem {
  public:
    Node(WideString id, WideString name) : id_(std::move(id)), name_(std::move(name)) {}
    explicit Node(std::vector<std::shared_ptr<kvt::host::RangeItem>> children)
        : children_(std::move(children)) {}

    std::shared_ptr<kvt::host::RangeItem> Item(int position) override {
        return children_[static_cast<std::size_t>(position)];
    }
    int Count() override { return static_cast<int>(children_.size()); }
    WideString Name() override { return name_; }
    bool IsLeaf() override { return children_.empty(); }
    WideString Code() override { return u"1A2B"; }
    bool IsValid() override { return true; }
    WideString ID() override { return id_; }

  private:
    WideString id_;
    WideString name_;
    std::vector<std::shared_ptr<kvt::host::RangeItem>> children_;
};

// Groups of 100 sectors, names like "有色金属 板块 123".
std::shared_ptr<kvt::host::RangeItem> Tree(int sectors) {
    std::vector<std::shared_ptr<kvt::host::RangeItem>> groups;
    std::vector<std::shared_ptr<kvt::host::RangeItem>> group;
    for (int i = 0; i < sectors; ++i) {
        const WideString number = kvt::Utf8ToWide(kvt::Format("%d", 100000 + i));
        group.push_back(std::make_shared<Node>(number, u"有色金属 板块 " + number));
        if (group.size() == 100 || i + 1 == sectors) {
            groups.push_back(std::make_shared<Node>(std::move(group)));
            group.clear();
        }
    }
    return std::make_shared<Node>(std::move(groups));
}

kvt::AnsiString CumulativeBody(const StringList& ids, const StringList& names) {
    kvt::AnsiString list;
    for (int i = 0; i < ids.Count(); ++i) {
        list = kvt::Format("%s%s;%s,", list.c_str(), names.At(i).c_str(), ids.At(i).c_str());
    }
    return "SelID=" + kvt::settings::EncodeUrlStyle("0") +
           "&Range=" + kvt::settings::EncodeUrlStyle("0X1A2B") +
           "&SectorList=" + kvt::settings::EncodeUrlStyle(list);
}

template <bool kCumulative>
void BM_SectorListAndBody(benchmark::State& state) {
    const auto root = Tree(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        StringList ids;
        StringList names;
        kvt::control::WalkRanges(root, ids, names);
        const kvt::AnsiString body = kCumulative
                                         ? CumulativeBody(ids, names)
                                         : kvt::control::ContentBody("0", "1A2B", ids, names);
        bytes = body.size();
        benchmark::DoNotOptimize(body.data());
    }
    state.counters["body_bytes"] = static_cast<double>(bytes);
}

// The body alone, from lists walked beforehand.
template <bool kCumulative>
void BM_BodyOnly(benchmark::State& state) {
    StringList ids;
    StringList names;
    kvt::control::WalkRanges(Tree(static_cast<int>(state.range(0))), ids, names);
    for (auto _ : state) {
        const kvt::AnsiString body = kCumulative
                                         ? CumulativeBody(ids, names)
                                         : kvt::control::ContentBody("0", "1A2B", ids, names);
        benchmark::DoNotOptimize(body.data());
    }
}

void Register(bool quadratic_100k) {
    for (const int sectors : {1'000, 10'000, 100'000}) {
        benchmark::RegisterBenchmark("SectorListAndBody/linear", BM_SectorListAndBody<false>)
            ->Arg(sectors)
            ->Unit(benchmark::kMillisecond);
    }
    for (const int sectors : {1'000, 10'000}) {
        benchmark::RegisterBenchmark("SectorListAndBody/cumulative_reference",
                                     BM_SectorListAndBody<true>)
            ->Arg(sectors)
            ->Unit(benchmark::kMillisecond);
    }
    if (quadratic_100k) {
        benchmark::RegisterBenchmark("SectorListAndBody/cumulative_reference",
                                     BM_SectorListAndBody<true>)
            ->Arg(100'000)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    for (const int sectors : {1'000, 10'000, 100'000}) {
        benchmark::RegisterBenchmark("BodyOnly/linear", BM_BodyOnly<false>)
            ->Arg(sectors)
            ->Unit(benchmark::kMillisecond);
    }
    for (const int sectors : {1'000, 10'000}) {
        benchmark::RegisterBenchmark("BodyOnly/cumulative_reference", BM_BodyOnly<true>)
            ->Arg(sectors)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

// The quadratic reference at 100,000 sectors takes minutes; it runs only when asked for
// with --quadratic_100k.
int main(int argc, char** argv) {
    bool quadratic_100k = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--quadratic_100k") {
            quadratic_100k = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    Register(quadratic_100k);
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
