#include "control/range_ref.h"

namespace kvt::control {

namespace {

constexpr std::u16string_view kOpening = u"rid{";
constexpr std::u16string_view kTerminators = u"}\n";

}  // namespace

std::optional<RangeRef> RangeRefScanner::Next() {
    while (pos_ < text_.size()) {
        const std::size_t begin = text_.find(kOpening, pos_);
        if (begin == std::u16string_view::npos) {
            break;
        }
        const std::size_t id_begin = begin + kOpening.size();
        if (terminator_ < id_begin) {
            terminator_ = text_.find_first_of(kTerminators, id_begin);
        }
        if (terminator_ == std::u16string_view::npos) {
            break;  // no "}" and no line feed later: no reference can close
        }
        if (text_[terminator_] == u'}') {
            pos_ = terminator_ + 1;
            return RangeRef{begin, pos_, text_.substr(id_begin, terminator_ - id_begin)};
        }
        pos_ = begin + 1;  // a line feed came first; a later "rid{" may still close
    }
    pos_ = text_.size();
    return std::nullopt;
}

std::optional<RangeRef> FindRangeRef(std::u16string_view text) {
    return RangeRefScanner(text).Next();
}

WideString ReplaceRangeRefs(std::u16string_view text, std::u16string_view replacement) {
    WideString result;
    result.reserve(text.size());
    RangeRefScanner scanner(text);
    std::size_t copied = 0;
    while (const auto ref = scanner.Next()) {
        result.append(text.substr(copied, ref->begin - copied));
        result.append(replacement);
        copied = ref->end;
    }
    result.append(text.substr(copied));
    return result;
}

}  // namespace kvt::control
