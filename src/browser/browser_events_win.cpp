#include "browser/browser_events_win.h"

#include <exdisp.h>
#include <exdispid.h>

#include "com/variant_win.h"

namespace kvt::browser {

namespace {

// The engine hands arguments last first; `position` counts from the first.
const VARIANT* Argument(const DISPPARAMS& parameters, UINT position) {
    if (position >= parameters.cArgs) {
        return nullptr;
    }
    return &parameters.rgvarg[parameters.cArgs - 1 - position];
}

// An argument the core cannot read arrives as empty rather than failing the event.
Variant Value(const DISPPARAMS& parameters, UINT position) {
    const VARIANT* argument = Argument(parameters, position);
    return argument != nullptr ? com::FromVariantOrEmpty(*argument) : Variant();
}

std::int32_t Integer(const DISPPARAMS& parameters, UINT position) {
    try {
        const Variant value = Value(parameters, position);
        return value.IsEmpty() ? 0 : value.ToInt32();
    } catch (...) {
        return 0;
    }
}

void SetCancel(const DISPPARAMS& parameters, UINT position, bool cancel) {
    const VARIANT* argument = Argument(parameters, position);
    if (cancel && argument != nullptr && V_VT(argument) == (VT_BYREF | VT_BOOL) &&
        V_BOOLREF(argument) != nullptr) {
        *V_BOOLREF(argument) = VARIANT_TRUE;
    }
}

void BeforeNavigate2(BrowserEvents& events, const DISPPARAMS& parameters) {
    BrowserEvents::BeforeNavigate event;
    event.url = Value(parameters, 1);
    event.flags = Value(parameters, 2);
    event.target_frame_name = Value(parameters, 3);
    event.post_data = Value(parameters, 4);
    event.headers = Value(parameters, 5);
    events.BeforeNavigate2(event);
    SetCancel(parameters, 6, event.cancel);
}

void NewWindow2(BrowserEvents& events, const DISPPARAMS& parameters) {
    BrowserEvents::NewWindow event;
    events.NewWindow2(event);
    const VARIANT* target = Argument(parameters, 0);
    if (target != nullptr && V_VT(target) == (VT_BYREF | VT_DISPATCH) &&
        V_DISPATCHREF(target) != nullptr && event.window) {
        const com::ComPtr<IDispatch> window = com::ObjectOf(Variant(event.window)).As<IDispatch>();
        *V_DISPATCHREF(target) = com::ComPtr<IDispatch>(window).Detach();
    }
    SetCancel(parameters, 1, event.cancel);
}

}  // namespace

BrowserEventSink::BrowserEventSink() : EventSinkBase(DIID_DWebBrowserEvents2) {}

HRESULT BrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                 EXCEPINFO*, UINT*) noexcept {
    const std::shared_ptr<BrowserEvents> events = events_.lock();
    if (!events || parameters == nullptr) {
        return S_OK;
    }
    // Keeps this sink alive while a handler re-enters the engine or destroys the browser.
    const com::ComPtr<IDispatch> keep(this);
    try {
        switch (id) {
            case DISPID_BEFORENAVIGATE2:
                BeforeNavigate2(*events, *parameters);
                break;
            case DISPID_NEWWINDOW2:
                NewWindow2(*events, *parameters);
                break;
            case DISPID_NAVIGATECOMPLETE2:
                events->NavigateComplete2(Value(*parameters, 1));
                break;
            case DISPID_DOCUMENTCOMPLETE:
                events->DocumentComplete(Value(*parameters, 1));
                break;
            case DISPID_PROGRESSCHANGE:
                events->ProgressChange(Integer(*parameters, 0), Integer(*parameters, 1));
                break;
            case DISPID_COMMANDSTATECHANGE:
                events->CommandStateChange(Integer(*parameters, 0), Integer(*parameters, 1) != 0);
                break;
            default:
                break;
        }
    } catch (...) {
        // The core's handlers answer failures as results; nothing reaches the engine.
    }
    return S_OK;
}

}  // namespace kvt::browser
