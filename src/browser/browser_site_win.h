#pragma once
// The container side of an embedded WebBrowser: client site, in-place site and frame,
// document host UI handler, and the ambient properties.

#include <windows.h>

#include <docobj.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <functional>

#include "com/com_object_win.h"
#include "com/dispatch_base_win.h"

namespace kvt::browser {

class BrowserSite final
    : public com::ComObjectBase<IOleClientSite, IOleInPlaceSite,
                                com::Alias<IOleWindow, IOleInPlaceSite>, IOleInPlaceFrame,
                                com::Alias<IOleInPlaceUIWindow, IOleInPlaceFrame>,
                                IDocHostUIHandler, com::DispatchWithoutTypeInfo<>> {
  public:
    explicit BrowserSite(HWND window) : window_(window) {}

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() noexcept override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) noexcept override;
    HRESULT STDMETHODCALLTYPE ShowObject() noexcept override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept override;

    // IOleWindow (in-place site and frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) noexcept override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override;

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() noexcept override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() noexcept override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() noexcept override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) noexcept override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) noexcept override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() noexcept override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() noexcept override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() noexcept override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) noexcept override;

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) noexcept override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) noexcept override;
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) noexcept override;
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*,
                                              LPCOLESTR) noexcept override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) noexcept override;
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) noexcept override;
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) noexcept override;
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) noexcept override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) noexcept override;

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*,
                                              IDispatch*) noexcept override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) noexcept override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                     IOleInPlaceFrame*, IOleInPlaceUIWindow*) noexcept override;
    HRESULT STDMETHODCALLTYPE HideUI() noexcept override;
    HRESULT STDMETHODCALLTYPE UpdateUI() noexcept override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) noexcept override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) noexcept override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) noexcept override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) noexcept override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) noexcept override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*,
                                               IDataObject** filtered) noexcept override;

    // IDispatch: the ambient properties.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) noexcept override;

    // Offers a keyboard message to the engine's active object, as a container's message loop
    // does while the engine is UI-active; S_OK when the engine used it.
    HRESULT OfferAccelerator(MSG& message) noexcept;

    // Runs when the engine becomes UI-active, on its own (the user clicked into the page) or
    // at our request, before it names its active object. A failure refuses the activation.
    void SetUIActivationHandler(std::function<void()> handler);

  private:
    HWND window_;
    std::function<void()> ui_activation_handler_;
    // What the engine named as its active object when it became UI-active.
    com::ComPtr<IOleInPlaceActiveObject> active_object_;
};

}  // namespace kvt::browser
