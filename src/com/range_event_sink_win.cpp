#include "com/range_event_sink_win.h"

#include <vector>

#include "com/variant_win.h"
#include "orvanta.h"

namespace kvt::com {

namespace {

Variant Readable(const VARIANT& value) {
    try {
        return FromVariant(value);
    } catch (...) {
        return {};  // the event's arguments are not looked at
    }
}

// Positional arguments turned into first-to-last order, named ones placed after them.
std::vector<Variant> Arguments(const DISPPARAMS& parameters) {
    std::vector<Variant> arguments;
    const UINT positional = parameters.cArgs - parameters.cNamedArgs;
    for (UINT i = 0; i < positional; ++i) {
        arguments.push_back(Readable(parameters.rgvarg[parameters.cArgs - 1 - i]));
    }
    for (UINT i = 0; i < parameters.cNamedArgs; ++i) {
        arguments.push_back(Readable(parameters.rgvarg[i]));
    }
    return arguments;
}

}  // namespace

HRESULT RangeEventSink::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    auto* dispatch = static_cast<IDispatch*>(this);
    if (Answer(iid, IID_IUnknown, dispatch, out) || Answer(iid, IID_IDispatch, dispatch, out) ||
        Answer(iid, DIID_IDvRangesEvents, dispatch, out)) {
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT RangeEventSink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT RangeEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT RangeEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

// Every dispatch id is answered with success. The core's dispatcher never raises; the
// result of a failing change handler is not the host's business and is dropped here.
HRESULT RangeEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                               EXCEPINFO*, UINT*) {
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

}  // namespace kvt::com
