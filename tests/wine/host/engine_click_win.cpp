// A click into the page. The engine UI-activates itself inside the control; the control must
// then become the UI-active object of its own container, or a container that offers keys
// only to its UI-active object never offers Tab, Delete or Ctrl+C to the page.
#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

// What the container heard, in order, and whom it takes for the control.
struct ContainerLog {
    std::vector<std::string> calls;
    com::ComPtr<IUnknown> control;

    std::string Name(IUnknown* object) const {
        if (object == nullptr) {
            return "null";
        }
        com::ComPtr<IUnknown> identity;
        object->QueryInterface(IID_IUnknown, identity.OutVoid());
        return identity.Get() == control.Get() ? "control" : "other";
    }
};

// The container's frame or document window: it keeps the object named through
// SetActiveObject, the one its message loop offers the keyboard.
class ContainerWindow final
    : public com::ComObjectBase<IOleInPlaceFrame, com::Alias<IOleInPlaceUIWindow, IOleInPlaceFrame>,
                                com::Alias<IOleWindow, IOleInPlaceFrame>> {
  public:
    ContainerWindow(HWND window, std::string name, ContainerLog& log)
        : window_(window), name_(std::move(name)), log_(log) {}

    const com::ComPtr<IOleInPlaceActiveObject>& Active() const { return active_; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        return com::SetOut(window, window_);
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        log_.calls.push_back(name_ + " SetActiveObject " + log_.Name(object));
        active_ = object;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  private:
    HWND window_;
    std::string name_;
    ContainerLog& log_;
    com::ComPtr<IOleInPlaceActiveObject> active_;
};

// The container's site for the control, with a frame and a document window of its own.
class ContainerSite final : public com::ComObjectBase<IOleClientSite, IOleInPlaceSite,
                                                      com::Alias<IOleWindow, IOleInPlaceSite>> {
  public:
    explicit ContainerSite(HWND window)
        : window_(window),
          frame_(com::MakeComObject<ContainerWindow>(window, "frame", log_)),
          document_(com::MakeComObject<ContainerWindow>(window, "document", log_)) {}

    ContainerLog& Log() { return log_; }
    // A container's message loop offers a key to its UI-active object only.
    void Offer(MSG& message) {
        if (const com::ComPtr<IOleInPlaceActiveObject> active = frame_->Active()) {
            active->TranslateAccelerator(&message);
        }
    }

    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        return com::NotImplemented(moniker);
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
        return com::AnswerEmpty(E_NOINTERFACE, container);
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        return com::SetOut(window, window_);
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return Heard("OnUIActivate"); }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (const HRESULT hr = com::RequirePointers(frame, document, position, clip, info);
            FAILED(hr)) {
            return hr;
        }
        *frame = com::ComPtr<IOleInPlaceFrame>(frame_.Get()).Detach();
        *document = com::ComPtr<IOleInPlaceUIWindow>(document_.Get()).Detach();
        *position = kEmbedArea;
        *clip = kEmbedArea;
        info->fMDIApp = FALSE;
        info->hwndFrame = window_;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return Heard("OnUIDeactivate"); }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
        return Heard("OnInPlaceDeactivate");
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  private:
    HRESULT Heard(const char* call) {
        log_.calls.push_back(call);
        return S_OK;
    }

    HWND window_;
    ContainerLog log_;
    com::ComPtr<ContainerWindow> frame_;
    com::ComPtr<ContainerWindow> document_;
};

// What the container heard since the last call, as Joined writes it.
std::string Heard(ContainerSite& site) {
    std::string heard = Joined(site.Log().calls);
    site.Log().calls.clear();
    return heard;
}

const std::vector<std::string> kActivated{"OnUIActivate", "frame SetActiveObject control",
                                          "document SetActiveObject control"};
const std::vector<std::string> kDeactivated{"frame SetActiveObject null",
                                            "document SetActiveObject null", "OnUIDeactivate"};

}  // namespace

void CheckClick(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: click");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!checks.That(control.Ready(), "a control with its engine")) {
        return;
    }
    // The control moves from the harness's site into this container's.
    const auto object = com::ComPtr<IDvPlugin>(&control.Plugin()).As<IOleObject>();
    const auto in_place = object.As<IOleInPlaceObject>();
    in_place->InPlaceDeactivate();
    const auto site = com::MakeComObject<ContainerSite>(main_window);
    site->Log().control = object.As<IUnknown>();
    object->SetClientSite(static_cast<IOleClientSite*>(site.Get()));
    object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site.Get()), 0,
                   main_window, &kEmbedArea);
    control.Start(kLayoutArea);
    control.Plugin().ShowPlugin();
    IScriptedEngine& engine = control.Engine();
    WaitIdle(engine);
    const HWND page = engine.InPlaceWindow();

    // Another object becomes UI-active in the container, which UI-deactivates the control.
    Heard(*site.Get());
    in_place->UIDeactivate();
    checks.Equal(Heard(*site.Get()), Joined(kDeactivated),
                 "UIDeactivate clears the active object of the container's frame and document "
                 "window, then tells the site");
    SetFocus(main_window);

    engine.ClickPage();
    checks.Equal(Heard(*site.Get()), Joined(kActivated),
                 "a click into the page makes the control the container's UI-active object: "
                 "OnUIActivate, then SetActiveObject with the control on frame and document");

    const WPARAM keys[] = {VK_TAB, VK_DELETE, 'C'};  // Tab, Delete, the C of Ctrl+C
    std::vector<std::string> expected;
    const std::size_t before = RecordSize(engine);
    for (const WPARAM key : keys) {
        MSG message{page, WM_KEYDOWN, key, 0, 0, {0, 0}};
        site->Offer(message);
        expected.push_back("TranslateAccelerator message=0x100 key=" +
                           std::to_string(static_cast<unsigned long long>(key)));
    }
    checks.Equal(Joined(Starting(RecordOf(engine, before), "TranslateAccelerator ")),
                 Joined(expected),
                 "Tab, Delete and Ctrl+C offered by the container reach the engine once each");

    // The user clicks the control where the container sees it: the container UI-activates
    // it, the control's window takes the focus and passes it on to the page.
    in_place->UIDeactivate();
    Heard(*site.Get());
    SetFocus(main_window);
    object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(site.Get()), 0,
                   main_window, &kLayoutArea);
    checks.Equal(Heard(*site.Get()), Joined(kActivated),
                 "the container's DoVerb(OLEIVERB_UIACTIVATE) UI-activates the control once, "
                 "though the page activates itself inside it");
    checks.That(page != nullptr && GetFocus() == page,
                "after the container's UI activation the page has the focus");
    SetFocus(main_window);
    SetFocus(control.Window());
    checks.That(page != nullptr && GetFocus() == page,
                "focusing the control's window puts the focus in the page");

    in_place->InPlaceDeactivate();
    std::vector<std::string> closed = kDeactivated;
    closed.push_back("OnInPlaceDeactivate");
    checks.Equal(Heard(*site.Get()), Joined(closed),
                 "in-place deactivation clears the container's active object first");
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
