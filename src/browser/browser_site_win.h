#pragma once
// The container side of an embedded WebBrowser: client site, in-place site and frame,
// document host UI handler, and the ambient properties.

#include <windows.h>

#include <docobj.h>
#include <mshtmhst.h>
#include <ole2.h>

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
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

    // IOleWindow (in-place site and frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override;

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override;
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override;
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override;
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override;
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override;
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override;

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                     IOleInPlaceFrame*, IOleInPlaceUIWindow*) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** filtered) override;

    // IDispatch: the ambient properties.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;

    // Offers a keyboard message to the engine's active object, as a container's message loop
    // does while the engine is UI-active; S_OK when the engine used it.
    HRESULT OfferAccelerator(MSG& message);

  private:
    HWND window_;
    // What the engine named as its active object when it became UI-active.
    com::ComPtr<IOleInPlaceActiveObject> active_object_;
};

}  // namespace kvt::browser
