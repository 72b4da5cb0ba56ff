#pragma once
// The scripted browser engine of the Wine tests, as a test program sees it.
//
// Wine has no HTML engine here, so the Wine tests put this engine in the WebBrowser's place:
// the test prefix gets a TreatAs key under CLSID_WebBrowser naming kEngineClassId, and the
// control's own CoCreateInstance(CLSID_WebBrowser) then creates a ScriptedBrowser from
// this test-only DLL. The control is unchanged and never knows.
//
// The scripting channel. The test host holds only the control, never the engine inside
// it, so it reaches the engines through the engine class's class object: both run in the
// same process and COM loads the DLL once, so
//
//     CoGetClassObject(kEngineClassId, CLSCTX_INPROC_SERVER, nullptr,
//                      __uuidof(IEngineDirectory), ...)
//
// answers the DLL's one directory of live engines (in creation order; the frames of a page
// are not listed). From there the host takes an IScriptedEngine, tells it what its next
// page plays, starts page-side actions (a link click, a request for a new window) and reads
// back, line by line, everything the engine was asked and answered. An IEngineObserver set
// on the directory is called before and after every event any engine fires, on the thread
// and inside the message dispatch that fires it, so checks can look at the control between
// two events and post work into the control's nested message passes.
//
// Every type here crosses between two modules built by the same compiler; the interfaces
// are COM interfaces with their own identifiers, the structures plain data.

#include <windows.h>

#include <oaidl.h>

namespace kvt::engine {

// {89C6F275-DF3B-4616-91F4-DBC082EE1AD0}
inline constexpr CLSID kEngineClassId = {
    0x89c6f275, 0xdf3b, 0x4616, {0x91, 0xf4, 0xdb, 0xc0, 0x82, 0xee, 0x1a, 0xd0}};

// One ProgressChange(Progress, ProgressMax).
struct ProgressStep {
    LONG progress;
    LONG progress_max;
};

// What a page plays when it loads. The engine copies it; the pointers need to live only
// for the call that hands it over.
struct PageScript {
    // The document's title (may be empty); null makes the document one that is not HTML
    // (it answers no IHTMLDocument2 and fires no TitleChange).
    const wchar_t* title = L"";
    // Frames whose documents complete before the top document.
    unsigned frames = 0;
    // ProgressChange runs before NavigateComplete2, after TitleChange and after the top
    // document's DocumentComplete.
    const ProgressStep* progress_before = nullptr;
    unsigned progress_before_count = 0;
    const ProgressStep* progress_after = nullptr;
    unsigned progress_after_count = 0;
    const ProgressStep* progress_final = nullptr;
    unsigned progress_final_count = 0;
    // The load waits before its NavigateComplete2 until the engine's window is visible, as a
    // slow server would let a window show before its page arrives.
    bool wait_until_shown = false;
};

// One event as the engine fires it.
struct EngineEvent {
    DISPID id = 0;
    // Fired for the engine itself (pDisp is the engine), not for one of its frames.
    bool top = true;
    // ProgressChange: Progress and ProgressMax; CommandStateChange: Command and Enable (0/1).
    LONG first = 0;
    LONG second = 0;
    // The URL (BeforeNavigate2, NavigateComplete2, DocumentComplete, NewWindow2) or the
    // title (TitleChange).
    const wchar_t* text = L"";
    // After BeforeNavigate2 and NewWindow2: whether the handlers cancelled.
    bool cancelled = false;
};

// COM interfaces: objects are deleted by their own Release, never through these.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IScriptedEngine : public IUnknown {
    // The next load plays `page`; a load with nothing queued plays an untitled page without
    // frames, with ProgressChange(0, 0) before NavigateComplete2, (100, 100) after it and
    // (-1, 100) after DocumentComplete.
    virtual HRESULT STDMETHODCALLTYPE QueuePage(const PageScript* page) = 0;
    // A link click in the page: a navigation that the page starts, with no Navigate call.
    virtual HRESULT STDMETHODCALLTYPE ClickLink(const wchar_t* url) = 0;
    // The page asks for a new window showing `url`, which then plays `page`.
    virtual HRESULT STDMETHODCALLTYPE OpenWindow(const wchar_t* url, const PageScript* page) = 0;
    // S_OK when nothing is left to play, S_FALSE while events are queued or a load waits.
    virtual HRESULT STDMETHODCALLTYPE Idle() = 0;
    // Its record, oldest first: every call it received, what it asked its site and every
    // event it fired, one line each. S_FALSE past the end.
    virtual HRESULT STDMETHODCALLTYPE RecordLine(ULONG index, BSTR* line) = 0;
    // Its number in the order of creation, from 1.
    virtual ULONG STDMETHODCALLTYPE Serial() = 0;
    // Its in-place window; null while it is not in place.
    virtual HWND STDMETHODCALLTYPE InPlaceWindow() = 0;
    // From now on the engine's own method `call` ("Navigate", "get_Document" or
    // "get_Application", the last also read through IDispatch) does nothing but answer `hr`,
    // and the record says so; S_OK makes it work again. E_INVALIDARG for a call that cannot
    // be made to fail.
    virtual HRESULT STDMETHODCALLTYPE FailCall(const wchar_t* call, HRESULT hr) = 0;
    // A mouse click into the page (not on a link): the engine UI-activates itself if it is
    // not UI-active, then takes the focus. E_UNEXPECTED while it is not in place.
    virtual HRESULT STDMETHODCALLTYPE ClickPage() = 0;
};

struct IEngineObserver : public IUnknown {
    virtual void STDMETHODCALLTYPE BeforeEvent(IScriptedEngine* engine,
                                               const EngineEvent* event) = 0;
    virtual void STDMETHODCALLTYPE AfterEvent(IScriptedEngine* engine,
                                              const EngineEvent* event) = 0;
};

struct IEngineDirectory : public IUnknown {
    // The live engines, oldest first.
    virtual ULONG STDMETHODCALLTYPE Count() = 0;
    virtual HRESULT STDMETHODCALLTYPE At(ULONG index, IScriptedEngine** engine) = 0;
    // Replaces the observer; null removes it.
    virtual HRESULT STDMETHODCALLTYPE SetObserver(IEngineObserver* observer) = 0;
    // Every engine created from now on starts as if FailCall(call, hr) had been called on it,
    // for an engine that the control creates inside an event; S_OK stops that.
    virtual HRESULT STDMETHODCALLTYPE FailInNewEngines(const wchar_t* call, HRESULT hr) = 0;
};
#pragma GCC diagnostic pop

}  // namespace kvt::engine

// {C1DD0869-EF0C-4785-8A36-47676F2D5664}
__CRT_UUID_DECL(kvt::engine::IScriptedEngine, 0xc1dd0869, 0xef0c, 0x4785, 0x8a, 0x36, 0x47, 0x67,
                0x6f, 0x2d, 0x56, 0x64)
// {E175C0A3-6FCA-4B25-8BB8-B603A16F9D8C}
__CRT_UUID_DECL(kvt::engine::IEngineObserver, 0xe175c0a3, 0x6fca, 0x4b25, 0x8b, 0xb8, 0xb6, 0x03,
                0xa1, 0x6f, 0x9d, 0x8c)
// {49855308-6C66-4C2A-AD70-AF9182667200}
__CRT_UUID_DECL(kvt::engine::IEngineDirectory, 0x49855308, 0x6c66, 0x4c2a, 0xad, 0x70, 0xaf, 0x91,
                0x82, 0x66, 0x72, 0x00)
