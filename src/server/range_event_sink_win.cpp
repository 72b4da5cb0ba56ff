#include "server/range_event_sink_win.h"

#include <vector>

#include "com/variant_win.h"
#include "orvanta.h"

namespace kvt::server {

namespace {

// Positional arguments turned into first-to-last order, named ones placed after them.
std::vector<Variant> Arguments(const DISPPARAMS& parameters) {
    std::vector<Variant> arguments;
    const UINT positional = parameters.cArgs - parameters.cNamedArgs;
    for (UINT i = 0; i < positional; ++i) {
        arguments.push_back(com::FromVariantOrEmpty(parameters.rgvarg[parameters.cArgs - 1 - i]));
    }
    for (UINT i = 0; i < parameters.cNamedArgs; ++i) {
        arguments.push_back(com::FromVariantOrEmpty(parameters.rgvarg[i]));
    }
    return arguments;
}

}  // namespace

RangeEventSink::RangeEventSink(std::shared_ptr<host::RangeEventsDispatch> dispatch)
    : com::EventSinkBase(DIID_IDvRangesEvents), dispatch_(std::move(dispatch)) {}

// Every dispatch id is answered with success. The core's dispatcher never raises; the
// result of a failing change handler is not the host's business and is dropped here.
HRESULT RangeEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                               EXCEPINFO*, UINT*) noexcept {
    try {
        const std::vector<Variant> arguments =
            parameters != nullptr ? Arguments(*parameters) : std::vector<Variant>{};
        const std::shared_ptr<host::RangeEventsDispatch> dispatch = dispatch_;
        dispatch->Invoke(static_cast<std::int32_t>(id), arguments);
    } catch (...) {
        // Out of memory copying the arguments: the event is lost, the host is not hurt.
    }
    return S_OK;
}

}  // namespace kvt::server
