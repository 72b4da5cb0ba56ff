// The control object: creation, its interfaces, dispatch through its type information,
// class information, error information, object safety and connection points.
#include "server/control_object_win.h"

#include <memory>

#include "com/com_error_win.h"
#include "com/out_param_win.h"
#include "control/kvnewtavrix.h"
#include "resource_ids.h"
#include "server/com_identity.h"
#include "server/server_state_win.h"
#include "server/type_library_win.h"
#include "ui/load_progress.h"
#include "ui/popup_window_win.h"
#include "ui/progress_window_win.h"

namespace kvt::server {

namespace {

constexpr int kHimetricPerInch = 2540;
constexpr int kPixelsPerInch = 96;

std::shared_ptr<ui::PopupFactory> Popups() {
    static const auto factory = std::make_shared<ui::Win32PopupFactory>(
        ServerState::Module(), KVT_IDI_POPUP, &ui::ControlFormWindow::ApplicationOwner);
    return factory;
}

// Each thread that makes controls has its own progress window, shared by its controls: a
// window belongs to the thread that made it and is only ever a child of that thread's
// windows. The routines are made with the thread's first control and kept for the thread,
// so that a control still running an event handler after its release never meets a freed
// instance; the window goes with the thread's last control, on that thread. The
// thread-local slots are plain values: thread-local objects with destructors are not
// reliable in a MinGW DLL (their destructors may run after their storage has gone, or hang
// the process's exit).
thread_local int t_controls = 0;
thread_local ui::LoadProgress* t_progress = nullptr;

ui::LoadProgress& ThreadProgress() {
    if (t_progress == nullptr) {
        t_progress =
            std::make_unique<ui::LoadProgress>(std::make_shared<ui::Win32ProgressPlatform>(
                                                   ServerState::Module(), KVT_IDB_LOAD_PROGRESS))
                .release();
    }
    return *t_progress;
}

// Counted first, so that ControlLeavesThread undoes it whatever fails after.
ui::LoadProgress& ControlEntersThread() {
    ++t_controls;
    return ThreadProgress();
}

void ControlLeavesThread() {
    if (--t_controls == 0 && t_progress != nullptr) {
        t_progress->FreeProgress();
    }
}

// The class has no event interface: an enumerator over no connection points.
class NoConnectionPoints final : public com::ComObjectBase<IEnumConnectionPoints> {
  public:
    HRESULT STDMETHODCALLTYPE Next(ULONG, IConnectionPoint**, ULONG* fetched) override {
        return com::AnswerEmpty(S_FALSE, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return count == 0 ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** out) override { return New(out); }

    // A new enumerator through a required out parameter.
    static HRESULT New(IEnumConnectionPoints** out) {
        if (const HRESULT hr = com::RequirePointers(out); FAILED(hr)) {
            return hr;
        }
        *out = com::MakeComObject<NoConnectionPoints>().Detach();
        return S_OK;
    }
};

}  // namespace

HRESULT KvNewTavrixControl::Create(REFIID iid, void** out) {
    const com::ComPtr<KvNewTavrixControl> object =
        com::ComPtr<KvNewTavrixControl>::Adopt(new KvNewTavrixControl());
    return object->QueryInterface(iid, out);
}

KvNewTavrixControl::KvNewTavrixControl() {
    ServerState::ObjectCreated();
    try {
        ui::LoadProgress& progress = ControlEntersThread();
        extent_ = {ui::kFormWidth * kHimetricPerInch / kPixelsPerInch,
                   ui::kFormHeight * kHimetricPerInch / kPixelsPerInch};
        form_ = std::make_shared<ui::ControlFormWindow>();
        browser_ = std::make_shared<browser::WebBrowserHost>(form_->Window());
        form_->SetLayoutHandler(
            [browser = std::weak_ptr<browser::WebBrowserHost>(browser_)](int width, int height) {
                if (const auto engine = browser.lock()) {
                    engine->Resize(width, height);
                }
            });
        form_->SetFocusHandler([browser = std::weak_ptr<browser::WebBrowserHost>(browser_)] {
            if (const auto engine = browser.lock()) {
                engine->TakeFocus();
            }
        });
        // A click into the page UI-activates the engine inside the control; the control then
        // becomes its container's UI-active object, or the container never offers it the keys.
        browser_->SetUIActivationHandler([this] { EnterUserInterfaceActive(); });
        control::ControlPorts ports;
        ports.form = form_;
        ports.browser = browser_;
        ports.popups = Popups();
        ports.progress = &progress;
        facade_ = std::make_unique<control::PluginFacade>(
            control::TKvNewTavrix::Create(std::move(ports)));
    } catch (...) {
        facade_.reset();
        if (browser_) {
            browser_->SetUIActivationHandler({});
        }
        browser_.reset();
        form_.reset();
        ControlLeavesThread();
        ServerState::ObjectDestroyed();
        throw;
    }
}

KvNewTavrixControl::~KvNewTavrixControl() {
    // The engine host may outlive this object (the core holds it too); its activation
    // handler must not reach a freed control.
    if (browser_) {
        browser_->SetUIActivationHandler({});
    }
    facade_.reset();
    browser_.reset();
    form_.reset();
    ControlLeavesThread();
    ServerState::ObjectDestroyed();
}

HRESULT KvNewTavrixControl::GetTypeInfoCount(UINT* count) noexcept {
    return com::SetOut(count, 1);
}

HRESULT KvNewTavrixControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        if (const HRESULT hr = com::RequirePointers(info); FAILED(hr)) {
            return hr;
        }
        *info = nullptr;
        if (index != 0) {
            return DISP_E_BADINDEX;
        }
        *info = com::ComPtr<ITypeInfo>(ControlTypeLibrary::Instance().InterfaceInfo()).Detach();
        return S_OK;
    });
}

HRESULT KvNewTavrixControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        return ControlTypeLibrary::Instance().InterfaceInfo()->GetIDsOfNames(names, count, ids);
    });
}

HRESULT KvNewTavrixControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* bad_argument) noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        return ControlTypeLibrary::Instance().InterfaceInfo()->Invoke(
            static_cast<IKvNewTavrix*>(this), id, flags, parameters, result, exception,
            bad_argument);
    });
}

HRESULT KvNewTavrixControl::GetClassInfo(ITypeInfo** info) noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        if (const HRESULT hr = com::RequirePointers(info); FAILED(hr)) {
            return hr;
        }
        *info = com::ComPtr<ITypeInfo>(ControlTypeLibrary::Instance().ClassInfo()).Detach();
        return S_OK;
    });
}

HRESULT KvNewTavrixControl::InterfaceSupportsErrorInfo(REFIID iid) noexcept {
    return iid == IID_IDvPlugin || iid == IID_IKvNewTavrix ? S_OK : S_FALSE;
}

HRESULT KvNewTavrixControl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                      DWORD* enabled) noexcept {
    if (const HRESULT hr = com::RequirePointers(supported, enabled); FAILED(hr)) {
        return hr;
    }
    if (!Answers(iid)) {
        *supported = 0;
        *enabled = 0;
        return E_NOINTERFACE;
    }
    *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    *enabled = safety_enabled_;
    return S_OK;
}

HRESULT KvNewTavrixControl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask,
                                                      DWORD enabled) noexcept {
    if (!Answers(iid)) {
        return E_NOINTERFACE;
    }
    safety_enabled_ = mask & enabled;
    return S_OK;
}

HRESULT KvNewTavrixControl::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept {
    return NoConnectionPoints::New(points);
}

HRESULT KvNewTavrixControl::FindConnectionPoint(REFIID, IConnectionPoint** point) noexcept {
    if (const HRESULT hr = com::RequirePointers(point); FAILED(hr)) {
        return hr;
    }
    return com::AnswerEmpty(CONNECT_E_NOCONNECTION, point);
}

}  // namespace kvt::server
