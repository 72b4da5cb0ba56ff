#include "browser/web_browser_win.h"

#include <mshtml.h>
#include <ocidl.h>

#include "base/errors.h"
#include "browser/browser_events_win.h"
#include "browser/browser_site_win.h"
#include "com/bstr_win.h"
#include "com/com_error_win.h"
#include "com/handle_win.h"
#include "com/variant_win.h"

namespace kvt::browser {

namespace {

constexpr wchar_t kPostPlatformKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

com::ComPtr<IOleObject> CreateEngine() {
    com::ComPtr<IOleObject> object;
    com::Check(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                object.OutVoid()),
               "Creating the WebBrowser control");
    return object;
}

}  // namespace

void RegisterUserAgentToken() {
    // Controls may start on several threads at once: the static's initialisation runs once.
    static const bool registered = [] {
        com::UniqueHkey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kPostPlatformKey, 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, key.Out(), nullptr) != ERROR_SUCCESS) {
            return false;  // the engine then sends its own User-Agent only
        }
        const wchar_t empty[] = L"";
        return RegSetValueExW(key.Get(), kUserAgentToken, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(empty), sizeof(empty)) == ERROR_SUCCESS;
    }();
    static_cast<void>(registered);
}

WebBrowserHost::WebBrowserHost(HWND parent)
    : parent_(parent),
      site_(com::MakeComObject<BrowserSite>(parent)),
      sink_(com::MakeComObject<BrowserEventSink>()),
      object_(CreateEngine()) {
    RegisterUserAgentToken();
    com::Check(object_->SetClientSite(static_cast<IOleClientSite*>(site_.Get())),
               "IOleObject::SetClientSite");
    if (const auto persist = object_.As<IPersistStreamInit>()) {
        persist->InitNew();
    }
    RECT area{};
    GetClientRect(parent_, &area);
    com::Check(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                               static_cast<IOleClientSite*>(site_.Get()), 0, parent_, &area),
               "Activating the WebBrowser control");
    browser_ = object_.As<IWebBrowser2>();
    if (!browser_) {
        throw EOleError(static_cast<HResult>(E_NOINTERFACE), "Interface not supported");
    }
    browser_->put_Silent(VARIANT_TRUE);
    Connect();
}

WebBrowserHost::~WebBrowserHost() {
    site_->SetUIActivationHandler({});
    sink_->SetEvents({});
    if (cookie_ != 0) {
        if (const auto container = browser_.As<IConnectionPointContainer>()) {
            com::ComPtr<IConnectionPoint> point;
            if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Out()))) {
                point->Unadvise(cookie_);
            }
        }
    }
    if (const auto in_place = object_.As<IOleInPlaceObject>()) {
        in_place->InPlaceDeactivate();
    }
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
}

void WebBrowserHost::Connect() {
    const auto container = browser_.As<IConnectionPointContainer>();
    if (!container) {
        return;
    }
    com::ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Out()))) {
        point->Advise(static_cast<IDispatch*>(sink_.Get()), &cookie_);
    }
}

void WebBrowserHost::Navigate(const WideString& url, const Variant& flags,
                              const Variant& target_frame_name, const Variant& post_data,
                              const Variant& headers) {
    com::ComVariant flags_value;
    com::ComVariant target_value;
    com::ComVariant post_value;
    com::ComVariant headers_value;
    com::ToVariant(flags, *flags_value.Out());
    com::ToVariant(target_frame_name, *target_value.Out());
    com::ToVariant(post_data, *post_value.Out());
    com::ToVariant(headers, *headers_value.Out());
    const com::Bstr address(url);
    com::Check(browser_->Navigate(address.Get(), flags_value.Get(), target_value.Get(),
                                  post_value.Get(), headers_value.Get()),
               "IWebBrowser2::Navigate");
}

void WebBrowserHost::GoBack() {
    com::Check(browser_->GoBack(), "IWebBrowser2::GoBack");
}

void WebBrowserHost::GoForward() {
    com::Check(browser_->GoForward(), "IWebBrowser2::GoForward");
}

void WebBrowserHost::Stop() {
    com::Check(browser_->Stop(), "IWebBrowser2::Stop");
}

void WebBrowserHost::FocusDocument() {
    com::ComPtr<IDispatch> document;
    com::Check(browser_->get_Document(document.Out()), "IWebBrowser2::get_Document");
    if (!document) {
        return;
    }
    const auto application = Application().As<IOleObject>();
    if (!application) {
        return;
    }
    RECT area{};
    GetClientRect(parent_, &area);
    application->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(site_.Get()), 0,
                        parent_, &area);
}

void WebBrowserHost::ActivateDocument() noexcept {
    try {
        FocusDocument();
    } catch (...) {
        // Activation is a courtesy; a page that cannot take the focus stays as it is.
    }
}

bool WebBrowserHost::TranslateAccelerator(MSG& message) {
    return site_->OfferAccelerator(message) == S_OK;
}

void WebBrowserHost::SetUIActivationHandler(std::function<void()> handler) {
    site_->SetUIActivationHandler(std::move(handler));
}

void WebBrowserHost::DeactivateUserInterface() noexcept {
    if (const auto in_place = object_.As<IOleInPlaceObject>()) {
        in_place->UIDeactivate();
    }
}

void WebBrowserHost::TakeFocus() noexcept {
    ActivateDocument();
    const HWND engine = EngineWindow();
    const HWND focus = GetFocus();
    if (engine != nullptr && focus != engine && !IsChild(engine, focus)) {
        SetFocus(engine);
    }
}

HWND WebBrowserHost::EngineWindow() const {
    HWND window = nullptr;
    if (const auto in_place = object_.As<IOleInPlaceObject>();
        !in_place || FAILED(in_place->GetWindow(&window))) {
        return nullptr;
    }
    return window;
}

void WebBrowserHost::SetEvents(std::weak_ptr<BrowserEvents> events) {
    sink_->SetEvents(std::move(events));
}

void WebBrowserHost::Resize(int width, int height) {
    const auto in_place = object_.As<IOleInPlaceObject>();
    if (!in_place) {
        return;
    }
    const RECT area{0, 0, width, height};
    in_place->SetObjectRects(&area, &area);
}

com::ComPtr<IDispatch> WebBrowserHost::Application() {
    com::ComPtr<IDispatch> application;
    com::Check(browser_->get_Application(application.Out()), "IWebBrowser2::get_Application");
    return application;
}

bool WebBrowserHost::DocumentTitle(WideString& title) {
    com::ComPtr<IDispatch> document;
    com::Check(browser_->get_Document(document.Out()), "IWebBrowser2::get_Document");
    const auto html = document.As<IHTMLDocument2>();
    if (!html) {
        return false;
    }
    com::Bstr text;
    com::Check(html->get_title(text.Out()), "IHTMLDocument2::get_title");
    title = text.Text();
    return true;
}

}  // namespace kvt::browser
