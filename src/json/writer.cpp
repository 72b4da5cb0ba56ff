#include "json/writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

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
    void WriteSequence(char open, char close, int count, WriteItem write_item) {
        PutByte(open);
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                PutByte(',');
            }
            write_item(i);
        }
        PutByte(close);
    }

    void WriteList(const TqxJSONlist& list) {
        WriteSequence('[', ']', list.ItemCount(), [&](int i) { WriteValue(list.ItemAt(i)); });
    }

    void WriteObject(const TqxJSONobject& object) {
        WriteSequence('{', '}', object.ItemCount(), [&](int i) { WritePair(*object.PairAt(i)); });
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
        if (std::fabs(value) < 1e15L) {
            const auto whole = static_cast<long long>(value);
            if (static_cast<NumberType>(whole) == value) {
                char* at = Reserve(24);
                used_ += static_cast<std::size_t>(std::to_chars(at, at + 24, whole).ptr - at);
                return;
            }
        }
        number_.clear();
        AppendFloatGeneral(number_, value);
        Put(number_.data(), number_.size());
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
        for (const char16_t unit : text) {
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
    std::string number_;  // scratch for the general number format
};

}  // namespace

AnsiString FormatJson(const TqxJSONbase* value) {
    AnsiString out;
    {
        Writer writer(out);
        writer.WriteValue(value);
    }
    return out;
}

}  // namespace kvt::json
