#include "json/reader.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include "base/exact_powers_of_ten.h"
#include "base/extended_precision_scope.h"
#include "base/hex.h"
#include "json/escapes.h"

namespace kvt::json {
namespace {

// Nesting deeper than this yields nullptr instead of exhausting the stack. Settings
// documents are flat; 1000 levels keep the stack use far below a host thread's 1 MB.
constexpr int kMaxDepth = 1000;

constexpr bool IsBlank(unsigned char c) {
    return c <= 0x20;
}
constexpr bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// A "\u" escape whose four bytes are not hexadecimal digits fails the whole parse.
struct BadEscape {};

void CodePointToUtf8(std::uint32_t value, std::string& out) {
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 + (value >> 6)));
        out.push_back(static_cast<char>(0x80 + (value & 0x3F)));
    } else if (value <= 0xFFFF) {
        out.push_back(static_cast<char>(0xE0 + (value >> 12)));
        out.push_back(static_cast<char>(0x80 + ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 + (value & 0x3F)));
    } else if (value <= 0x1FFFFF) {
        out.push_back(static_cast<char>(0xF0 + (value >> 18)));
        out.push_back(static_cast<char>(0x80 + ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 + ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 + (value & 0x3F)));
    }
}

constexpr std::size_t kInvalidUtf8 = static_cast<std::size_t>(-1);

// UTF-8 bytes -> UTF-16 units at `start` (room for `size` units); returns how many, or
// kInvalidUtf8 for an invalid sequence anywhere.
std::size_t DecodeUtf8(const unsigned char* bytes, std::size_t size, char16_t* const start) {
    char16_t* dst = start;
    std::size_t i = 0;
    while (i < size) {
        const unsigned lead = bytes[i];
        if (lead < 0x80) {
            *dst++ = static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (lead >= 0xC0 && lead < 0xE0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF8) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            return kInvalidUtf8;
        }
        if (size - i <= extra) {
            return kInvalidUtf8;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned next = bytes[i + k];
            if (next < 0x80 || next > 0xBF) {
                return kInvalidUtf8;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        i += extra + 1;
        if (extra == 3) {
            if (cp < 0x10000 || cp > 0x10FFFF) {
                return kInvalidUtf8;
            }
            cp -= 0x10000;
            *dst++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *dst++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *dst++ = static_cast<char16_t>(cp);
        }
    }
    return static_cast<std::size_t>(dst - start);
}

// Bytes below 0x80 are their own UTF-16 units; written in place, with no temporary.
void WidenAscii(const unsigned char* bytes, std::size_t size, WideString& out) {
    out.resize(size);
    char16_t* const units = out.data();
    for (std::size_t i = 0; i < size; ++i) {
        units[i] = bytes[i];
    }
}

class Reader {
  public:
    explicit Reader(std::string_view text)
        : text_(reinterpret_cast<const unsigned char*>(text.data())), size_(text.size()) {}

    std::unique_ptr<TqxJSONbase> ParseRoot() {
        if (size_ == 0) {
            return nullptr;
        }
        return ParseValue(0);
    }

  private:
    void SkipWhitespace() {
        while (pos_ < size_ && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }

    bool Matches(const char* literal, std::size_t length) const {
        return size_ - pos_ >= length && std::memcmp(text_ + pos_, literal, length) == 0;
    }

    // Every sub-parser moves pos_ only when it succeeds.
    std::unique_ptr<TqxJSONbase> ParseValue(int depth) {
        const std::size_t start = pos_;
        SkipWhitespace();
        std::unique_ptr<TqxJSONbase> value;
        if (pos_ < size_) {
            switch (text_[pos_]) {
                case 't':
                    value = ParseLiteral("true", 4,
                                         [] { return std::make_unique<TqxJSONboolean>(true); });
                    break;
                case 'f':
                    value = ParseLiteral("false", 5,
                                         [] { return std::make_unique<TqxJSONboolean>(false); });
                    break;
                case 'n':
                    value = ParseLiteral("null", 4, [] { return std::make_unique<TqxJSONnull>(); });
                    break;
                case '"': {
                    WideString text;
                    if (ParseString(text)) {
                        value = std::make_unique<TqxJSONstring>(std::move(text));
                    }
                    break;
                }
                case '[':
                    value = ParseList(depth + 1);
                    break;
                case '{':
                    value = ParseObject(depth + 1);
                    break;
                default:
                    value = ParseNumber();
                    break;
            }
        }
        if (!value) {
            pos_ = start;
        }
        return value;
    }

    template <typename Make>
    std::unique_ptr<TqxJSONbase> ParseLiteral(const char* literal, std::size_t length, Make make) {
        if (!Matches(literal, length)) {
            return nullptr;
        }
        pos_ += length;
        return make();
    }

    bool ParseDigits() {
        const std::size_t start = pos_;
        while (pos_ < size_ && IsDigit(text_[pos_])) {
            ++pos_;
        }
        return pos_ > start;
    }

    // The common numeral in one pass: an optional sign, at most 18 digits in all, an
    // optional fraction and no exponent. The digits form an exact integer and one exact
    // division by a power of ten rounds the value correctly, as the general path would.
    // False, with nothing consumed, for any other form.
    bool ParseShortNumeral(NumberType& value) {
        std::size_t i = pos_;
        const bool negative = i < size_ && text_[i] == '-';
        if (i < size_ && (text_[i] == '+' || negative)) {
            ++i;
        }
        const std::size_t first = i;
        std::uint64_t mantissa = 0;
        while (i < size_ && IsDigit(text_[i])) {
            mantissa = mantissa * 10 + (text_[i++] - '0');
        }
        std::size_t count = i - first;
        if (count == 0) {
            return false;
        }
        std::size_t fraction = 0;
        if (i < size_ && text_[i] == '.') {
            const std::size_t point = ++i;
            while (i < size_ && IsDigit(text_[i])) {
                mantissa = mantissa * 10 + (text_[i++] - '0');
            }
            fraction = i - point;
            count += fraction;
            if (fraction == 0) {
                return false;
            }
        }
        if (count > 18 || (i < size_ && (text_[i] == 'e' || text_[i] == 'E'))) {
            return false;
        }
        auto m = static_cast<NumberType>(static_cast<std::int64_t>(mantissa));
        if (fraction > 0) {
            m /= ExactPowerOfTen(static_cast<int>(fraction));
        }
        value = negative ? -m : m;
        pos_ = i;
        return true;
    }

    std::unique_ptr<TqxJSONbase> ParseNumber() {
        if (NumberType value = 0; ParseShortNumeral(value)) {
            return std::make_unique<TqxJSONnumber>(value);
        }
        const std::size_t start = pos_;
        bool negative = false;
        if (pos_ < size_ && (text_[pos_] == '+' || text_[pos_] == '-')) {
            negative = text_[pos_] == '-';
            ++pos_;
        }
        const std::size_t digits = pos_;
        bool ok = ParseDigits();
        if (ok && pos_ < size_ && text_[pos_] == '.') {
            ++pos_;
            ok = ParseDigits();
        }
        if (ok && pos_ < size_ && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < size_ && (text_[pos_] == '+' || text_[pos_] == '-')) {
                ++pos_;
            }
            ok = ParseDigits();
        }
        if (!ok) {
            pos_ = start;
            return nullptr;
        }
        NumberType value = 0;
        if (!ConvertNumeral(digits, pos_, negative, value)) {
            pos_ = start;
            return nullptr;
        }
        return std::make_unique<TqxJSONnumber>(value);
    }

    // Converts the unsigned numeral text_[first, last) that ParseNumber matched.
    bool ConvertNumeral(std::size_t first, std::size_t last, bool negative,
                        NumberType& value) const {
        // Fast path: up to 19 significant digits and a small exponent need one exact
        // multiplication or division, which rounds correctly.
        std::uint64_t mantissa = 0;
        int significant = 0;
        int scale = 0;  // value = mantissa * 10^scale before the explicit exponent
        std::size_t i = first;
        for (; i < last && IsDigit(text_[i]); ++i) {
            if (mantissa != 0 || text_[i] != '0') {
                mantissa = mantissa * 10 + (text_[i] - '0');
                ++significant;
            }
        }
        if (i < last && text_[i] == '.') {
            for (++i; i < last && IsDigit(text_[i]); ++i) {
                if (mantissa != 0 || text_[i] != '0') {
                    mantissa = mantissa * 10 + (text_[i] - '0');
                    ++significant;
                }
                --scale;
            }
        }
        long exponent = 0;
        bool exponent_negative = false;
        if (i < last) {  // 'e' or 'E'
            ++i;
            if (text_[i] == '+' || text_[i] == '-') {
                exponent_negative = text_[i] == '-';
                ++i;
            }
            for (; i < last; ++i) {
                if (exponent < 100000000) {
                    exponent = exponent * 10 + (text_[i] - '0');
                }
            }
        }
        const long total = scale + (exponent_negative ? -exponent : exponent);
        if (significant <= 19 && total >= -kExactPowersOfTen && total <= kExactPowersOfTen) {
            auto m = static_cast<NumberType>(mantissa);
            m = total >= 0 ? m * ExactPowerOfTen(static_cast<int>(total))
                           : m / ExactPowerOfTen(static_cast<int>(-total));
            value = negative ? -m : m;
            return true;
        }
        if (mantissa == 0 && significant == 0) {
            value = negative ? -0.0L : 0.0L;
            return true;
        }
        const long double parsed = ConvertWithoutPoint(first, last, total);
        if (std::isinf(parsed)) {
            return false;  // beyond the range of the type
        }
        value = negative ? -parsed : parsed;
        return true;
    }

    // The value of the numeral text_[first, last) whose digits times 10^total it is, as the
    // C library converts the digits written as one integer with that exponent: the nearest
    // value of the type, a subnormal below its normal range, and infinity beyond its range.
    // Without a decimal separator the text means the same in every locale. (The standard
    // library's `from_chars` of long double goes through double on some platforms.)
    static_assert(std::is_same_v<NumberType, long double>);
    long double ConvertWithoutPoint(std::size_t first, std::size_t last, long total) const {
        std::string numeral;
        for (std::size_t i = first; i < last && text_[i] != 'e' && text_[i] != 'E'; ++i) {
            if (IsDigit(text_[i]) && (!numeral.empty() || text_[i] != '0')) {
                numeral.push_back(static_cast<char>(text_[i]));
            }
        }
        if (numeral.empty()) {
            return 0;
        }
        numeral += 'e';
        numeral += std::to_string(total);
        return std::strtold(numeral.c_str(), nullptr);
    }

    // Reads a string token into `out`.
    bool ParseString(WideString& out) {
        const std::size_t start = pos_;
        SkipWhitespace();
        if (pos_ >= size_ || text_[pos_] != '"') {
            pos_ = start;
            return false;
        }
        ++pos_;
        const std::size_t run = pos_;
        const unsigned high = ScanPlainBytes();
        if (pos_ >= size_) {
            pos_ = start;
            return false;
        }
        if (text_[pos_] == '"') {
            if (high < 0x80) {
                WidenAscii(text_ + run, pos_ - run, out);
            } else {
                Decode(text_ + run, pos_ - run, out);
            }
            ++pos_;
            return true;
        }
        buffer_.assign(reinterpret_cast<const char*>(text_ + run), pos_ - run);
        if (!ParseEscapedRest()) {
            pos_ = start;
            return false;
        }
        Decode(reinterpret_cast<const unsigned char*>(buffer_.data()), buffer_.size(), out);
        return true;
    }

    // A string's UTF-8 bytes as its value: the empty string when they are not valid. The
    // units are gathered in wide_, so `out` is allocated once at its final length.
    void Decode(const unsigned char* bytes, std::size_t size, WideString& out) {
        if (wide_.size() < size) {
            wide_.resize(size);
        }
        const std::size_t units = DecodeUtf8(bytes, size, wide_.data());
        if (units == kInvalidUtf8) {
            out.clear();
        } else {
            out.assign(wide_.data(), units);
        }
    }

    // Steps over string bytes up to the next quotation mark or backslash (or the end);
    // returns the OR of the bytes passed, so that 0x80 and up shows any non-ASCII byte.
    // Eight bytes at a time while none of them ends the run.
    unsigned ScanPlainBytes() {
        constexpr std::uint64_t kOnes = 0x0101010101010101u;
        constexpr std::uint64_t kHighs = 0x8080808080808080u;
        const auto has_zero_byte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
        std::uint64_t high = 0;
        while (size_ - pos_ >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text_ + pos_, 8);
            if (has_zero_byte(word ^ (kOnes * '"')) != 0 ||
                has_zero_byte(word ^ (kOnes * '\\')) != 0) {
                break;
            }
            high |= word;
            pos_ += 8;
        }
        unsigned high_byte = (high & kHighs) != 0 ? 0x80 : 0;
        while (pos_ < size_ && text_[pos_] != '"' && text_[pos_] != '\\') {
            high_byte |= text_[pos_];
            ++pos_;
        }
        return high_byte;
    }

    // Continues a string at its first backslash, collecting bytes into buffer_.
    bool ParseEscapedRest() {
        while (pos_ < size_) {
            const unsigned char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c != '\\') {
                buffer_.push_back(static_cast<char>(c));
                ++pos_;
                continue;
            }
            if (++pos_ >= size_) {
                return false;
            }
            const unsigned char letter = text_[pos_++];
            if (letter == 'u') {
                CodePointToUtf8(ReadHex4(), buffer_);
            } else if (const char byte = detail::EscapedByteOf(letter); byte != '\0') {
                buffer_.push_back(byte);
            }  // else an unknown escape drops both bytes
        }
        return false;
    }

    std::uint32_t ReadHex4() {
        if (size_ - pos_ < 4) {
            throw BadEscape{};
        }
        std::uint32_t value = 0;
        for (int k = 0; k < 4; ++k) {
            const int digit = HexDigitValue(text_[pos_++]);
            if (digit < 0) {
                throw BadEscape{};
            }
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return value;
    }

    // Elements are gathered on a stack shared by all levels and moved into their
    // container once it is complete, so each container is allocated at its final size.
    template <typename Container, typename ParseElement, typename Attach>
    std::unique_ptr<Container> ParseContainer(char close, std::unique_ptr<Container> container,
                                              ParseElement parse_element, Attach attach) {
        const std::size_t start = pos_;
        const std::size_t mark = stack_.size();
        ++pos_;  // the opening bracket, checked by the caller
        while (parse_element()) {
            SkipWhitespace();
            if (pos_ < size_ && text_[pos_] == ',') {
                ++pos_;
            }
        }
        SkipWhitespace();
        if (pos_ >= size_ || text_[pos_] != close) {
            stack_.resize(mark);
            pos_ = start;
            return nullptr;
        }
        ++pos_;
        container->Reserve(stack_.size() - mark);
        for (std::size_t i = mark; i < stack_.size(); ++i) {
            attach(*container, std::move(stack_[i]));
        }
        stack_.resize(mark);
        return container;
    }

    std::unique_ptr<TqxJSONbase> ParseList(int depth) {
        if (depth > kMaxDepth) {
            return nullptr;
        }
        return ParseContainer(
            ']', std::make_unique<TqxJSONlist>(),
            [&] {
                auto element = ParseValue(depth);
                if (!element) {
                    return false;
                }
                stack_.push_back(std::move(element));
                return true;
            },
            [](TqxJSONlist& list, std::unique_ptr<TqxJSONbase> element) {
                list.Append(std::move(element));
            });
    }

    std::unique_ptr<TqxJSONbase> ParseObject(int depth) {
        if (depth > kMaxDepth) {
            return nullptr;
        }
        return ParseContainer(
            '}', std::make_unique<TqxJSONobject>(true), [&] { return ParsePair(depth); },
            [](TqxJSONobject& object, std::unique_ptr<TqxJSONbase> pair) {
                object.AttachPair(std::unique_ptr<TqxJSONobjectmethod>(
                    static_cast<TqxJSONobjectmethod*>(pair.release())));
            });
    }

    bool ParsePair(int depth) {
        const std::size_t start = pos_;
        auto pair = std::make_unique<TqxJSONobjectmethod>();
        if (!ParseString(pair->PairName)) {
            return false;
        }
        SkipWhitespace();
        if (pos_ >= size_ || text_[pos_] != ':') {
            pos_ = start;
            return false;
        }
        ++pos_;
        pair->PairValue = ParseValue(depth);
        if (!pair->PairValue) {
            pos_ = start;
            return false;
        }
        stack_.push_back(std::move(pair));
        return true;
    }

    const unsigned char* text_;
    std::size_t size_;
    std::size_t pos_ = 0;
    std::string buffer_;  // string bytes after escapes, reused across strings
    WideString wide_;     // units of a string being decoded, reused across strings
    std::vector<std::unique_ptr<TqxJSONbase>> stack_;  // elements of open containers
};

}  // namespace

std::unique_ptr<TqxJSONbase> ParseJson(std::string_view text) {
    const ExtendedPrecisionScope extended;
    try {
        return Reader(text).ParseRoot();
    } catch (...) {
        // A bad "\u" escape or exhausted memory: the partial tree is already freed.
        return nullptr;
    }
}

}  // namespace kvt::json
