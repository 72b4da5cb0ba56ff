#include "hosts/demo/sample_market.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "base/format.h"

namespace kvt::demo {

namespace {

// A small generator whose sequence depends on nothing but its seed text, on every platform.
class SampleRandom {
  public:
    explicit SampleRandom(std::string_view seed) {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (const char c : seed) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        state_ = hash;
    }

    // A value from 0 to `count` - 1.
    std::int64_t Below(std::int64_t count) {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::int64_t>((state_ >> 33) % static_cast<std::uint64_t>(count));
    }

    // A value from `low` to `high`, both included.
    std::int64_t Between(std::int64_t low, std::int64_t high) {
        return low + Below(high - low + 1);
    }

  private:
    std::uint64_t state_ = 0;
};

// Invented name stems and trades: a stock's name is one of each, so the made-up market has
// stem count times trade count stocks.
constexpr std::array<const char*, 16> kStems = {"澜岫", "珩川", "翊岚", "栎峰", "琮溪", "芃原",
                                                "汀屿", "璟曜", "骁澈", "砚澄", "枫屿", "峤川",
                                                "澄霁", "苒山", "湛棠", "霁岑"};
constexpr std::array<const char*, 8> kTrades = {"科技", "实业", "控股", "电子",
                                                "材料", "能源", "智造", "股份"};
constexpr std::int64_t kMarketSize = static_cast<std::int64_t>(kStems.size() * kTrades.size());

constexpr std::array<const char*, 5> kRisingHeadlines = {
    "板块午后放量走强，多只成分股涨幅居前", "资金连续三日净流入，板块热度回升",
    "行业景气度回暖，机构上调板块评级", "板块指数站上二十日均线，成交额明显放大",
    "龙头公司订单饱满，带动板块整体上扬"};
constexpr std::array<const char*, 5> kFallingHeadlines = {
    "板块早盘冲高回落，获利盘有所兑现", "成分股普遍调整，板块成交较前日萎缩",
    "原材料价格波动，板块短期承压", "资金小幅流出，板块指数回吐前期涨幅",
    "板块震荡走低，分析人士提示注意节奏"};
constexpr std::array<const char*, 5> kPlainHeadlines = {
    "行业协会发布月度运行数据", "多家成分股披露季度业绩预告", "板块内公司密集接待机构调研",
    "行业标准修订征求意见稿发布", "本周板块内有三家公司召开股东大会"};

// The largest daily move either way, in hundredths of a percent.
constexpr std::int64_t kLargestMove = 990;

std::int64_t DivideRounded(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t half = std::llabs(denominator) / 2;
    const bool negative = (numerator < 0) != (denominator < 0);
    const std::int64_t magnitude = (std::llabs(numerator) + half) / std::llabs(denominator);
    return negative ? -magnitude : magnitude;
}

// Stock `number` of the made-up market, the same in every sector that holds it.
SampleStock StockNumber(std::int64_t number) {
    SampleRandom random("stock:" + std::to_string(number));
    SampleStock stock;
    stock.code = std::to_string(990000 + number * 73);
    stock.name = std::string(kStems[static_cast<std::size_t>(number) % kStems.size()]) +
                 kTrades[static_cast<std::size_t>(number) / kStems.size()];
    stock.previous_close = random.Between(300, 8000);
    stock.change =
        DivideRounded(stock.previous_close * random.Between(-kLargestMove, kLargestMove), 10000);
    return stock;
}

// Distinct members: a start and an odd step, which visits every stock before it repeats.
std::vector<SampleStock> PickMembers(SampleRandom& random) {
    const std::int64_t start = random.Below(kMarketSize);
    const std::int64_t step = 2 * random.Below(kMarketSize / 2) + 1;
    std::vector<SampleStock> stocks;
    for (std::size_t i = 0; i < kSampleStocksPerSector; ++i) {
        stocks.push_back(StockNumber((start + static_cast<std::int64_t>(i) * step) % kMarketSize));
    }
    std::sort(stocks.begin(), stocks.end(), [](const SampleStock& a, const SampleStock& b) {
        const std::int64_t a_move = a.ChangeBasisPoints();
        const std::int64_t b_move = b.ChangeBasisPoints();
        return a_move != b_move ? a_move > b_move : a.code < b.code;
    });
    return stocks;
}

// A random walk through the day, bent so that it closes at the members' average move.
std::vector<std::int64_t> IndexDay(SampleRandom& random, std::int64_t previous_close,
                                   std::int64_t closing_move) {
    std::vector<std::int64_t> walk(kSampleIndexPoints);
    walk[0] = random.Between(-40, 40);
    for (std::size_t i = 1; i < walk.size(); ++i) {
        walk[i] = walk[i - 1] + random.Between(-25, 25);
    }
    const auto last = static_cast<std::int64_t>(walk.size() - 1);
    const std::int64_t bend = closing_move - walk.back();
    std::vector<std::int64_t> values;
    for (std::size_t i = 0; i < walk.size(); ++i) {
        const std::int64_t move =
            walk[i] + DivideRounded(bend * static_cast<std::int64_t>(i), last);
        values.push_back(previous_close + DivideRounded(previous_close * move, 10000));
    }
    return values;
}

template <std::size_t N>
void PickHeadlines(SampleRandom& random, const std::array<const char*, N>& pool, std::size_t count,
                   std::vector<std::string>& texts) {
    const auto start = static_cast<std::size_t>(random.Below(static_cast<std::int64_t>(N)));
    for (std::size_t i = 0; i < count; ++i) {
        texts.emplace_back(pool[(start + i) % N]);
    }
}

std::vector<SampleHeadline> Headlines(SampleRandom& random, bool rising) {
    std::vector<std::string> texts;
    PickHeadlines(random, rising ? kRisingHeadlines : kFallingHeadlines, 2, texts);
    PickHeadlines(random, kPlainHeadlines, kSampleHeadlinesPerSector - 2, texts);
    // Latest first, from shortly before the close back through the day.
    std::int64_t minutes = 15 * 60 - random.Between(1, 20);
    std::vector<SampleHeadline> headlines;
    for (std::string& text : texts) {
        headlines.push_back(
            {Format("%02d:%02d", static_cast<int>(minutes / 60), static_cast<int>(minutes % 60)),
             std::move(text)});
        minutes -= random.Between(25, 80);
    }
    return headlines;
}

}  // namespace

std::int64_t SampleStock::ChangeBasisPoints() const {
    return RatioBasisPoints(change, previous_close);
}

std::int64_t SampleSector::IndexChange() const {
    return index_by_time.empty() ? 0 : index_by_time.back() - index_previous_close;
}

std::int64_t SampleSector::IndexChangeBasisPoints() const {
    return RatioBasisPoints(IndexChange(), index_previous_close);
}

SampleSector MakeSampleSector(std::string_view sector_id) {
    SampleRandom random("sector:" + std::string(sector_id));
    SampleSector sector;
    sector.stocks = PickMembers(random);
    std::int64_t total_move = 0;
    for (const SampleStock& stock : sector.stocks) {
        total_move += stock.ChangeBasisPoints();
    }
    const std::int64_t average_move =
        DivideRounded(total_move, static_cast<std::int64_t>(sector.stocks.size()));
    sector.index_previous_close = random.Between(80000, 300000);
    sector.index_by_time = IndexDay(random, sector.index_previous_close, average_move);
    sector.headlines = Headlines(random, average_move >= 0);
    return sector;
}

std::vector<SampleIndex> MakeSampleIndices() {
    SampleRandom random("market");
    std::vector<SampleIndex> indices;
    for (const char* name : {"综合指数", "成份指数", "中小盘指数", "成长指数"}) {
        SampleIndex index{name, random.Between(150000, 1200000), 0};
        index.change = DivideRounded(index.previous_close * random.Between(-250, 250), 10000);
        indices.push_back(std::move(index));
    }
    return indices;
}

std::string FormatHundredths(std::int64_t value, bool signed_text) {
    const std::int64_t magnitude = std::llabs(value);
    const char* const sign = value < 0 ? "-" : (signed_text && value > 0 ? "+" : "");
    return Format("%s%lld.%02lld", sign, static_cast<long long>(magnitude / 100),
                  static_cast<long long>(magnitude % 100));
}

std::int64_t RatioBasisPoints(std::int64_t numerator, std::int64_t denominator) {
    return denominator == 0 ? 0 : DivideRounded(numerator * 10000, denominator);
}

}  // namespace kvt::demo
