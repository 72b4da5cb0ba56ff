#pragma once
// The sample server's made-up market: member stocks, a day of the sector index and
// headlines for a sector, all derived from the sector's ID alone, so that a sector shows
// the same figures on every request and whatever its place in the list. Names are
// invented; the figures are not quotes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::demo {

struct SampleStock {
    std::string code;                 // six digits
    std::string name;                 // UTF-8
    std::int64_t previous_close = 0;  // in hundredths of the currency unit
    std::int64_t change = 0;          // last price less the previous close, in hundredths

    std::int64_t Price() const { return previous_close + change; }
    // The change as a share of the previous close, in hundredths of a percent.
    std::int64_t ChangeBasisPoints() const;
};

struct SampleHeadline {
    std::string time;  // "HH:MM"
    std::string text;  // UTF-8
};

struct SampleSector {
    std::vector<SampleStock> stocks;          // by change, largest rise first
    std::int64_t index_previous_close = 0;    // in hundredths of a point
    std::vector<std::int64_t> index_by_time;  // every five minutes of the trading day
    std::vector<SampleHeadline> headlines;

    std::int64_t IndexChange() const;
    std::int64_t IndexChangeBasisPoints() const;
};

inline constexpr std::size_t kSampleStocksPerSector = 8;
inline constexpr std::size_t kSampleHeadlinesPerSector = 4;
// 09:30 to 15:00 every five minutes, with 11:30 and 13:00 as one point: the morning's
// 24 steps and the afternoon's 24.
inline constexpr std::size_t kSampleIndexPoints = 49;

SampleSector MakeSampleSector(std::string_view sector_id);

// The market overview's indices, the same on every request.
struct SampleIndex {
    std::string name;
    std::int64_t previous_close = 0;
    std::int64_t change = 0;
};
std::vector<SampleIndex> MakeSampleIndices();

// "12.34", "-0.05"; with `signed_text` a rise also carries "+" ("+0.05").
std::string FormatHundredths(std::int64_t value, bool signed_text = false);

// Whole hundredths of `numerator / denominator`, rounded half away from zero; 0 when the
// denominator is 0.
std::int64_t RatioBasisPoints(std::int64_t numerator, std::int64_t denominator);

}  // namespace kvt::demo
