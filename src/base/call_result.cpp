#include "base/call_result.h"

namespace kvt {

CallResult ResultOfCurrentException() noexcept {
    try {
        throw;
    } catch (const std::exception& error) {
        try {
            return {HResultOf(error), error.what()};
        } catch (...) {
            return {kEUnexpected, {}};
        }
    } catch (...) {
        return {kEUnexpected, {}};
    }
}

}  // namespace kvt
