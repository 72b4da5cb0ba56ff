#include "control/call_result.h"

namespace kvt::control {

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

}  // namespace kvt::control
