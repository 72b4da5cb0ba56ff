#include "json/writer.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/extended_precision_scope.h"
#include "base/hex.h"
#include "base/number_text.h"
#include "json/escapes.h"

namespace kvt::json {
namespace {

// The buffer starts small and doubles: a settings record costs one small allocation and
// a long document a logarithmic number of copies.
constexpr std::size_t kInitialBuffer = 1024;

// The ASCII units a string writes as themselves: from 0x20 up, except those with a short
// escape.
constexpr std::array<bool, 128> kCopiedAsIs = [] {
    std::array<bool, 128> table{};
    for (std::size_t unit = 0x20; unit < table.size(); ++unit) {
        table[unit] = detail::EscapeLetterOf(static_cast<unsigned char>(unit)) == '\0';
    }
    return table;
}();

// Whether four UTF-16 units (in the 16-bit lanes of `units`) are all copied as they are:
// each from 0x20 to 0x7F and none a quotation mark, slash or backslash. A lane that
// borrows may flag its neighbour, which only sends those units the slow way.
static_assert(std::endian::native == std::endian::little, "units narrow by lane order");
bool AllCopiedAsIs(std::uint64_t units) {
    constexpr std::uint64_t kLanes = 0x0001000100010001u;
    constexpr std::uint64_t kLaneHighs = 0x8000800080008000u;
    const auto has_zero_lane = [](std::uint64_t v) { return (v - kLanes) & ~v & kLaneHighs; };
    const std::uint64_t non_ascii = units & (kLanes * 0xFF80);
    const std::uint64_t control = (units - kLanes * 0x20) & kLaneHighs;
    const std::uint64_t marks = has_zero_lane(units ^ (kLanes * '"')) |
                                has_zero_lane(units ^ (kLanes * '/')) |
                                has_zero_lane(units ^ (kLanes * '\\'));
    return (non_ascii | control | marks) == 0;
}

// One growable output buffer; `used_` bytes of `out_` hold text.
class Writer {
  public:
    explicit Writer(std::string& out) : out_(out) { out_.resize(kInitialBuffer); }
    ~Writer() { out_.resize(used_); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void WriteValue(const TqxJSONbase* value) {
        if (value == nullptr) {
            return;
        }
        switch (value->Kind()) {
            case TqxJSONkind::jsNumber:
                WriteNumber(static_cast<const TqxJSONnumber*>(value)->NumberValue);
                return;
            case TqxJSONkind::jsString:
                WriteString(static_cast<const TqxJSONstring*>(value)->StringValue);
                return;
            case TqxJSONkind::jsBoolean:
                if (static_cast<const TqxJSONboolean*>(value)->BooleanValue) {
                    Put("true", 4);
                } else {
                    Put("false", 5);
                }
                return;
            case TqxJSONkind::jsNull:
                Put("null", 4);
                return;
            case TqxJSONkind::jsList:
                WriteList(*static_cast<const TqxJSONlist*>(value));
                return;
            case TqxJSONkind::jsObject:
                WriteObject(*static_cast<const TqxJSONobject*>(value));
                return;
            case TqxJSONkind::jsBase:
                break;
        }
        if (const auto* pair = dynamic_cast<const TqxJSONobjectmethod*>(value)) {
            WritePair(*pair);
        }
    }

  private:
    // Room for `count` more bytes; grows geometrically so long texts stay linear.
    char* Reserve(std::size_t count) {
        if (out_.size() - used_ < count) {
            out_.resize(std::max(out_.size() * 2, used_ + count));
        }
        return out_.data() + used_;
    }

    void Put(const char* bytes, std::size_t count) {
        std::memcpy(Reserve(count), bytes, count);
        used_ += count;
    }

    void PutByte(char byte) {
        *Reserve(1) = byte;
        ++used_;
    }

    // `count` items between `open` and `close`, separated by commas.
    template <typename WriteItem>
    void WriteSequence(char open, char close, std::size_t count, WriteItem write_item) {
        PutByte(open);
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) {
                PutByte(',');
            }
            write_item(i);
        }
        PutByte(close);
    }

    void WriteList(const TqxJSONlist& list) {
        const auto children = list.Children();
        WriteSequence('[', ']', children.size(),
                      [&](std::size_t i) { WriteValue(children[i].get()); });
    }

    // An object's children are all pairs.
    void WriteObject(const TqxJSONobject& object) {
        const auto children = object.Children();
        WriteSequence('{', '}', children.size(), [&](std::size_t i) {
            WritePair(static_cast<const TqxJSONobjectmethod&>(*children[i]));
        });
    }

    void WritePair(const TqxJSONobjectmethod& pair) {
        WriteString(pair.PairName);
        PutByte(':');
        WriteValue(pair.PairValue.get());
    }

    void WriteNumber(NumberType value) {
        if (!std::isfinite(value)) {
            Put("null", 4);
            return;
        }
        // Whole numbers below 10^15 print as plain integers; skip the general formatter.
        // They are doubles too, and the test runs on the double: converting an extended
        // value to an integer directly changes the x87 rounding mode twice, which is slow.
        const auto narrow = static_cast<double>(value);
        if (std::fabs(narrow) < 1e15 && static_cast<NumberType>(narrow) == value) {
            const auto whole = static_cast<long long>(narrow);
            if (static_cast<double>(whole) == narrow) {
                char* at = Reserve(24);
                used_ += static_cast<std::size_t>(std::to_chars(at, at + 24, whole).ptr - at);
                return;
            }
        }
        char* at = Reserve(kFloatGeneralMaxLength);
        used_ += static_cast<std::size_t>(WriteFloatGeneral(at, value) - at);
    }

    // The escape of a byte below 0x20 or of a mark with a short escape; returns its length.
    static std::size_t Escape(unsigned char byte, char* at) {
        if (const char letter = detail::EscapeLetterOf(byte); letter != '\0') {
            at[0] = '\\';
            at[1] = letter;
            return 2;
        }
        const char escape[6] = {
            '\\', 'u', '0', '0', kUpperHexDigits[byte >> 4], kUpperHexDigits[byte & 0xF]};
        std::memcpy(at, escape, sizeof escape);
        return sizeof escape;
    }

    // Each UTF-16 unit is encoded on its own, surrogates included (three bytes each).
    void WriteString(const WideString& text) {
        char* const begin = Reserve(text.size() * 6 + 2);  // the longest form of a unit
        char* at = begin;
        *at++ = '"';
        const char16_t* unit_at = text.data();
        const char16_t* const end = unit_at + text.size();
        // Four units at a time while they are plain ASCII.
        for (; end - unit_at >= 4; unit_at += 4) {
            std::uint64_t units = 0;
            std::memcpy(&units, unit_at, sizeof units);
            if (!AllCopiedAsIs(units)) {
                break;
            }
            const auto bytes = static_cast<std::uint32_t>((units & 0xFF) | ((units >> 8) & 0xFF00) |
                                                          ((units >> 16) & 0xFF0000) |
                                                          ((units >> 24) & 0xFF000000));
            std::memcpy(at, &bytes, sizeof bytes);  // little-endian: units in text order
            at += 4;
        }
        for (; unit_at != end; ++unit_at) {
            const char16_t unit = *unit_at;
            if (unit < 0x80) {
                if (kCopiedAsIs[unit]) {
                    *at++ = static_cast<char>(unit);
                } else {
                    at += Escape(static_cast<unsigned char>(unit), at);
                }
            } else if (unit < 0x800) {
                *at++ = static_cast<char>(0xC0 | (unit >> 6));
                *at++ = static_cast<char>(0x80 | (unit & 0x3F));
            } else {
                *at++ = static_cast<char>(0xE0 | (unit >> 12));
                *at++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
                *at++ = static_cast<char>(0x80 | (unit & 0x3F));
            }
        }
        *at++ = '"';
        used_ += static_cast<std::size_t>(at - begin);
    }

    std::string& out_;
    std::size_t used_ = 0;
};

}  // namespace

AnsiString FormatJson(const TqxJSONbase* value) {
    const ExtendedPrecisionScope extended;
    AnsiString out;
    {
        Writer writer(out);
        writer.WriteValue(value);
    }
    return out;
}

}  // namespace kvt::json
