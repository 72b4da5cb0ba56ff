#pragma once
// The scripted browser engine: a stand-in for the WebBrowser control that implements what
// an embedding container uses of it (OLE embedding, IWebBrowser2, the DWebBrowserEvents2
// connection point), plays scripted page loads on the thread's message loop and records
// everything it is asked. See scripted_engine.h for how a test steers it.

#include <windows.h>

#include <exdisp.h>
#include <ocidl.h>
#include <ole2.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com/com_object_win.h"
#include "com/dispatch_base_win.h"
#include "engine_server_win.h"
#include "event_point_win.h"
#include "load_plan.h"
#include "scripted_engine.h"

namespace kvt::engine {

// Answered by every ScriptedBrowser with the object itself, so that an engine handed back
// by NewWindow2 can be told to load the new window's page.
// {427E8083-3911-40C3-A20D-8C772193593A}
inline constexpr IID kScriptedBrowserId = {
    0x427e8083, 0x3911, 0x40c3, {0xa2, 0x0d, 0x8c, 0x77, 0x21, 0x93, 0x59, 0x3a}};

using WebBrowserDispatch = com::DispatchWithoutTypeInfo<IWebBrowser2>;

class ScriptedBrowser final
    : public com::ComObjectBase<
          WebBrowserDispatch, com::Alias<IDispatch, WebBrowserDispatch>,
          com::Alias<IWebBrowser, WebBrowserDispatch>,
          com::Alias<IWebBrowserApp, WebBrowserDispatch>, IOleObject, IOleInPlaceObject,
          com::Alias<IOleWindow, IOleInPlaceObject>, IOleInPlaceActiveObject, IPersistStreamInit,
          com::Alias<IPersist, IPersistStreamInit>, IConnectionPointContainer, IScriptedEngine> {
  public:
    // The engine of a WebBrowser object, listed in the directory.
    static com::ComPtr<ScriptedBrowser> CreateTop();

    // IScriptedEngine
    HRESULT STDMETHODCALLTYPE QueuePage(const PageScript* page) override;
    HRESULT STDMETHODCALLTYPE ClickLink(const wchar_t* url) override;
    HRESULT STDMETHODCALLTYPE OpenWindow(const wchar_t* url, const PageScript* page) override;
    HRESULT STDMETHODCALLTYPE Idle() override;
    HRESULT STDMETHODCALLTYPE RecordLine(ULONG index, BSTR* line) override;
    ULONG STDMETHODCALLTYPE Serial() override { return serial_; }
    HWND STDMETHODCALLTYPE InPlaceWindow() override { return window_; }
    HRESULT STDMETHODCALLTYPE FailCall(const wchar_t* call, HRESULT hr) noexcept override;
    HRESULT STDMETHODCALLTYPE ClickPage() override;

    // IDispatch: Application (200) and Document (203) as properties.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) override;

    // IWebBrowser, IWebBrowserApp, IWebBrowser2 (scripted_browser_automation_win.cpp)
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE Navigate(BSTR url, VARIANT* flags, VARIANT* target_frame,
                                       VARIANT* post_data, VARIANT* headers) noexcept override;
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target_frame,
                                        VARIANT* post_data, VARIANT* headers) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_Application(IDispatch** application) noexcept override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) noexcept override;
    HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
    HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* busy) override;
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* visible) override;
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL visible) override;
    HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* state) override;
    HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* silent) override;
    HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL silent) override;

    // IOleObject (scripted_browser_embedding_win.cpp)
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD save_option) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT position) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* class_id) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override;

    // IPersist, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* class_id) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // Not used by an embedding container; each answers E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE GoHome() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GoSearch() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Refresh() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Refresh2(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Parent(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Container(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Type(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Left(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Left(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Top(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Top(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Width(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Width(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Height(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Height(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Quit() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ClientToWindow(int*, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PutProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FullName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_StatusText(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_StatusText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ToolBar(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ToolBar(int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID, OLECMDF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL) override { return E_NOTIMPL; }

  private:
    enum class Role { Top, Frame };
    enum class Origin { Navigate, Link, Back, Forward, NewWindow, NewWindowRequest };

    // One navigation (or one request for a new window) and what it plays.
    struct Navigation {
        int id = 0;
        Origin origin = Origin::Navigate;
        std::wstring url;
        Page page;
        std::vector<BYTE> post_data;
        bool has_post_data = false;
        std::wstring headers;
    };
    struct Queued {
        std::shared_ptr<const Navigation> load;
        Step step;
    };

    ScriptedBrowser(Role role, std::wstring url);
    ~ScriptedBrowser() override;

    void* AnswerDynamic(REFIID iid) override;
    IDispatch* Dispatch() { return static_cast<WebBrowserDispatch*>(this); }
    void Record(std::wstring line);
    // What FailCall set for `call`, recorded when it is a failure; S_OK when the call works.
    HRESULT InjectedFailure(const wchar_t* call);

    // Embedding (scripted_browser_embedding_win.cpp)
    void AskSite(const wchar_t* when);
    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
    void ActivateUI();
    void DestroyInPlaceWindow();

    // Playback (scripted_browser_playback_win.cpp)
    void StartLoad(Origin origin, std::wstring url, Page page, std::vector<BYTE> post_data = {},
                   bool has_post_data = false, std::wstring headers = {});
    Page NextPage();
    void DropSteps(int load_id, int frame);
    std::size_t DropAllSteps();
    void Schedule();
    void Play();
    bool PlayOne();
    bool Run(const Queued& queued);
    void Commit(const Navigation& load);
    void Fire(EngineEvent& event, DISPPARAMS& parameters, const VARIANT_BOOL* cancel);
    bool FireBeforeNavigate(const Navigation& load, int frame);
    void FireComplete(DISPID id, const Navigation& load, int frame);
    void FireProgress(const ProgressStep& progress);
    bool FireCommandState(LONG command, bool enabled, bool& reported);
    void FireTitleChange(const std::wstring& title);
    void FireNewWindow(const Navigation& load);
    void FireWithoutArguments(DISPID id);
    IDispatch* FrameDispatch(int frame);
    std::wstring FrameUrl(const Navigation& load, int frame) const;
    void EnsureTaskWindow();
    static LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    ModuleReference module_;
    const Role role_;
    ULONG serial_ = 0;
    std::vector<std::wstring> record_;

    com::ComPtr<IOleClientSite> site_;
    com::ComPtr<IOleInPlaceSite> in_place_site_;
    com::ComPtr<IOleInPlaceFrame> frame_;
    com::ComPtr<IOleInPlaceUIWindow> ui_window_;  // the container's document window, if any
    HWND window_ = nullptr;                       // in place
    bool ui_active_ = false;
    com::ComPtr<EventPoint> point_;

    std::wstring location_url_;
    std::wstring location_name_;
    com::ComPtr<IDispatch> document_;
    std::vector<com::ComPtr<ScriptedBrowser>> frames_;
    History history_;
    bool reported_back_ = false;
    bool reported_forward_ = false;
    bool silent_ = false;
    bool visible_ = true;
    std::map<std::wstring, HRESULT> failing_calls_;

    HWND tasks_ = nullptr;  // the message-only window the events are played from
    std::deque<Queued> queue_;
    std::deque<Page> pages_;
    int next_load_id_ = 1;
    bool posted_ = false;
    bool waiting_ = false;
    int firing_ = 0;
};

}  // namespace kvt::engine
