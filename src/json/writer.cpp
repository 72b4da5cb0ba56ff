// Value tree -> compact JSON text: no whitespace, members and elements in tree order,
// strings as UTF-8 with a fixed set of escapes, numbers in the general format with 15
// significant digits. Infinite and NaN numbers are written as null, so that the output
// always reads back.

#include <charconv>
#include <cmath>

#include "base/number_text.h"
#include "json/value.h"

namespace kvt::json {
namespace {

constexpr std::size_t kInitialBuffer = 50000;

class Writer {
  public:
    explicit Writer(std::string& out) : out_(out) { out_.reserve(kInitialBuffer); }

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
                out_ += static_cast<const TqxJSONboolean*>(value)->BooleanValue ? "true" : "false";
                return;
            case TqxJSONkind::jsNull:
                out_ += "null";
                return;
            case TqxJSONkind::jsList:
                WriteItems(*value, '[', ']');
                return;
            case TqxJSONkind::jsObject:
                WriteItems(*value, '{', '}');
                return;
            case TqxJSONkind::jsBase:
                break;
        }
        if (const auto* pair = dynamic_cast<const TqxJSONobjectmethod*>(value)) {
            WriteString(pair->PairName);
            out_.push_back(':');
            WriteValue(pair->PairValue.get());
        }
    }

  private:
    void WriteItems(const TqxJSONbase& container, char open, char close) {
        out_.push_back(open);
        const int count = container.ItemCount();
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                out_.push_back(',');
            }
            WriteValue(container.ItemAt(i));
        }
        out_.push_back(close);
    }

    void WriteNumber(NumberType value) {
        if (!std::isfinite(value)) {
            out_ += "null";
            return;
        }
        // Whole numbers below 10^15 print as plain integers; avoid the general formatter.
        if (value == std::trunc(value) && std::fabs(value) < 1e15L) {
            char digits[24];
            const auto result =
                std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
            out_.append(digits, result.ptr);
            return;
        }
        AppendFloatGeneral(out_, value);
    }

    void PutEscaped(unsigned char byte) {
        switch (byte) {
            case 0x08:
                out_ += "\\b";
                return;
            case 0x09:
                out_ += "\\t";
                return;
            case 0x0A:
                out_ += "\\n";
                return;
            case 0x0C:
                out_ += "\\f";
                return;
            case 0x0D:
                out_ += "\\r";
                return;
            case '"':
            case '/':
            case '\\':
                out_.push_back('\\');
                out_.push_back(static_cast<char>(byte));
                return;
            default:
                break;
        }
        static constexpr char kHex[] = "0123456789ABCDEF";
        const char escape[6] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
        out_.append(escape, sizeof escape);
    }

    static bool NeedsEscape(char16_t unit) {
        return unit < 0x20 || unit == '"' || unit == '/' || unit == '\\';
    }

    // Each UTF-16 unit is encoded on its own, surrogates included (three bytes each).
    void WriteString(const WideString& text) {
        out_.push_back('"');
        for (const char16_t unit : text) {
            if (unit < 0x80) {
                if (NeedsEscape(unit)) {
                    PutEscaped(static_cast<unsigned char>(unit));
                } else {
                    out_.push_back(static_cast<char>(unit));
                }
            } else if (unit < 0x800) {
                const char bytes[2] = {static_cast<char>(0xC0 | (unit >> 6)),
                                       static_cast<char>(0x80 | (unit & 0x3F))};
                out_.append(bytes, 2);
            } else {
                const char bytes[3] = {static_cast<char>(0xE0 | (unit >> 12)),
                                       static_cast<char>(0x80 | ((unit >> 6) & 0x3F)),
                                       static_cast<char>(0x80 | (unit & 0x3F))};
                out_.append(bytes, 3);
            }
        }
        out_.push_back('"');
    }

    std::string& out_;
};

}  // namespace

AnsiString TqxJSON::FormatJson(const TqxJSONbase* value) {
    AnsiString out;
    Writer(out).WriteValue(value);
    return out;
}

}  // namespace kvt::json
