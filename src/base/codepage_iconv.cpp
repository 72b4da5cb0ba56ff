// System code page on the Linux back end: GBK, converted with iconv.
#include <errno.h>
#include <iconv.h>

#include <cstring>
#include <stdexcept>

#include "base/text.h"

namespace kvt {
namespace {

constexpr const char* kSystemCodePage = "GBK";

bool IsHighSurrogateLE(const char* p) {
    return (static_cast<unsigned char>(p[1]) & 0xFC) == 0xD8;
}
bool IsLowSurrogateLE(const char* p) {
    return (static_cast<unsigned char>(p[1]) & 0xFC) == 0xDC;
}

// One conversion descriptor per direction and thread, opened on first use.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`, replacing each sequence iconv rejects by `replacement` after skipping
    // `skip` input bytes (2 means the input is UTF-16LE). Returns the produced bytes.
    std::string Run(const char* in, std::size_t in_size, std::string_view replacement,
                    std::size_t skip) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(in_size * 2 + 16, '\0');
        char* src = const_cast<char*>(in);
        std::size_t src_left = in_size;
        std::size_t used = 0;
        while (src_left > 0) {
            char* dst = out.data() + used;
            std::size_t dst_left = out.size() - used;
            const std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
            used = out.size() - dst_left;
            if (rc != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (cut-off sequence): substitute and step over the bad input;
            // a UTF-16 surrogate pair is one character and gets one replacement.
            std::size_t step = skip < src_left ? skip : src_left;
            if (skip == 2 && src_left >= 4 && IsHighSurrogateLE(src) && IsLowSurrogateLE(src + 2)) {
                step = 4;
            }
            src += step;
            src_left -= step;
            if (out.size() - used < replacement.size()) {
                out.resize(out.size() * 2 + replacement.size());
            }
            std::memcpy(out.data() + used, replacement.data(), replacement.size());
            used += replacement.size();
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

  private:
    iconv_t cd_;
};

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool IsAscii(std::u16string_view text) {
    for (char16_t c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

WideString AnsiToWide(std::string_view text) {
    if (IsAscii(text)) {
        return WideString(text.begin(), text.end());
    }
    thread_local Converter converter("UTF-16LE", kSystemCodePage);
    static constexpr char kQuestionLE[] = {'?', '\0'};
    const std::string bytes =
        converter.Run(text.data(), text.size(), std::string_view(kQuestionLE, 2), 1);
    WideString out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return out;
}

AnsiString WideToAnsi(std::u16string_view text) {
    if (IsAscii(text)) {
        AnsiString out(text.size(), '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            out[i] = static_cast<char>(text[i]);
        }
        return out;
    }
    std::string le(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        le[2 * i] = static_cast<char>(text[i] & 0xFF);
        le[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    thread_local Converter converter(kSystemCodePage, "UTF-16LE");
    return converter.Run(le.data(), le.size(), "?", 2);
}

}  // namespace kvt
