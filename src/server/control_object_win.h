#pragma once
// The control object the factory makes: the ActiveX control around one TKvNewTavrix. It
// answers the standard control interfaces, its own dual interface IKvNewTavrix and the
// host's plug-in interface IDvPlugin, which dispatches into the core's plug-in facade.

#include <windows.h>

#include <objsafe.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <memory>

#include "browser/web_browser_win.h"
#include "com/com_object_win.h"
#include "control/plugin_facade.h"
#include "dravon.h"
#include "kvnewtavrixproj.h"

// MinGW's objsafe.h gives IObjectSafety no __uuidof; this is its identifier.
__CRT_UUID_DECL(IObjectSafety, 0xcb5bdc81, 0x93c1, 0x11cf, 0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0,
                0x64)
#include "ui/control_form_win.h"

namespace kvt::server {

class KvNewTavrixControl final
    : public com::ComObjectBase<
          IKvNewTavrix, com::Alias<IDispatch, IKvNewTavrix>, IDvPlugin, IProvideClassInfo,
          ISupportErrorInfo, IOleObject, IOleControl, IOleInPlaceObject,
          com::Alias<IOleWindow, IOleInPlaceObject>, IOleInPlaceActiveObject, IViewObject2,
          com::Alias<IViewObject, IViewObject2>, IDataObject, IPersistStreamInit,
          com::Alias<IPersist, IPersistStreamInit>, IPersistStorage, IPersistPropertyBag,
          IPerPropertyBrowsing, ISpecifyPropertyPages, ISimpleFrameSite, IQuickActivate,
          IObjectSafety, IConnectionPointContainer> {
  public:
    // A new control object, answered as `iid`.
    static HRESULT Create(REFIID iid, void** out);

    // IDispatch (IKvNewTavrix, and the dispatch part of IDvPlugin)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* bad_argument) noexcept override;

    // IDvPlugin
    HRESULT STDMETHODCALLTYPE InitPlugin(IUnknown* service, LONG reserved) noexcept override;
    HRESULT STDMETHODCALLTYPE ClosePlugin() noexcept override;
    HRESULT STDMETHODCALLTYPE Reserved3() noexcept override;
    HRESULT STDMETHODCALLTYPE ShowPlugin() noexcept override;
    HRESULT STDMETHODCALLTYPE HidePlugin() noexcept override;
    HRESULT STDMETHODCALLTYPE Reserved6() noexcept override;
    HRESULT STDMETHODCALLTYPE Reserved7(LONG value) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryStockFlag(LONG value, StockInfoRec stock,
                                             VARIANT_BOOL* flag) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryCount(LONG* count) noexcept override;
    HRESULT STDMETHODCALLTYPE Reserved10(LONG a, LONG b, LONG c) noexcept override;
    HRESULT STDMETHODCALLTYPE Reserved11() noexcept override;
    HRESULT STDMETHODCALLTYPE Reserved12(LONG a, LONG b, LONG c) noexcept override;
    HRESULT STDMETHODCALLTYPE GetStockInfo(StockInfoRec* stock, LONG value) noexcept override;
    HRESULT STDMETHODCALLTYPE Reserved14(LONG a, LONG b, VARIANT value) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryObjects(IUnknown** first, IUnknown** second) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecCommand(BSTR command, BSTR* reply) noexcept override;

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) noexcept override;
    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) noexcept override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) noexcept override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) noexcept override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) noexcept override;
    HRESULT STDMETHODCALLTYPE Close(DWORD save_option) noexcept override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) noexcept override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) noexcept override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT position) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) noexcept override;
    HRESULT STDMETHODCALLTYPE Update() noexcept override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() noexcept override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* class_id) noexcept override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) noexcept override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) noexcept override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) noexcept override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) noexcept override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) noexcept override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) noexcept override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) noexcept override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) noexcept override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) noexcept override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) noexcept override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) noexcept override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) noexcept override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() noexcept override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() noexcept override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) noexcept override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() noexcept override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) noexcept override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) noexcept override;

    // IViewObject, IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) noexcept override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE** palette) noexcept override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD* freeze) noexcept override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) noexcept override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags,
                                        IAdviseSink* sink) noexcept override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags,
                                        IAdviseSink** sink) noexcept override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                        LPSIZEL size) noexcept override;

    // IDataObject
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) noexcept override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) noexcept override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** formats) noexcept override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advise) noexcept override;

    // IPersist, IPersistStreamInit, IPersistStorage, IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* class_id) noexcept override;
    HRESULT STDMETHODCALLTYPE IsDirty() noexcept override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) noexcept override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clear_dirty) noexcept override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) noexcept override;
    HRESULT STDMETHODCALLTYPE InitNew() noexcept override;
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) noexcept override;
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) noexcept override;
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL same_as_load) noexcept override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) noexcept override;
    HRESULT STDMETHODCALLTYPE HandsOffStorage() noexcept override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) noexcept override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clear_dirty,
                                   BOOL save_all) noexcept override;

    // IPerPropertyBrowsing, ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID, BSTR* text) noexcept override;
    HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID, CLSID* page) noexcept override;
    HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID, CALPOLESTR* strings,
                                                   CADWORD* cookies) noexcept override;
    HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID, DWORD, VARIANT* value) noexcept override;
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) noexcept override;

    // ISimpleFrameSite
    HRESULT STDMETHODCALLTYPE PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT* result,
                                               DWORD* cookie) noexcept override;
    HRESULT STDMETHODCALLTYPE PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT* result,
                                                DWORD cookie) noexcept override;

    // IQuickActivate
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container,
                                            QACONTROL* control) noexcept override;
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) noexcept override;
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) noexcept override;

    // IObjectSafety
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                        DWORD* enabled) noexcept override;
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask,
                                                        DWORD enabled) noexcept override;

    // IConnectionPointContainer: the class has no event interface.
    HRESULT STDMETHODCALLTYPE
    EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid,
                                                  IConnectionPoint** point) noexcept override;

  private:
    KvNewTavrixControl();
    ~KvNewTavrixControl() override;

    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
    HRESULT ActivateUserInterface(IOleClientSite* site, HWND parent, LPCRECT position);
    bool EnterUserInterfaceActive();
    void SetActiveObjectOfContainer(IOleInPlaceActiveObject* object);

    std::shared_ptr<ui::ControlFormWindow> form_;
    std::shared_ptr<browser::WebBrowserHost> browser_;
    std::unique_ptr<control::PluginFacade> facade_;
    com::ComPtr<IOleClientSite> client_site_;
    com::ComPtr<IOleInPlaceSite> in_place_site_;
    // The container's frame and document window while in place: told about the control's
    // active object while it is UI-active, so that the container offers it the keyboard.
    com::ComPtr<IOleInPlaceFrame> frame_;
    com::ComPtr<IOleInPlaceUIWindow> document_;
    com::ComPtr<IOleAdviseHolder> ole_advise_;
    com::ComPtr<IAdviseSink> view_advise_;
    DWORD view_advise_aspects_ = 0;
    DWORD view_advise_flags_ = 0;
    SIZEL extent_{};  // HIMETRIC
    DWORD safety_enabled_ = 0;
    bool in_place_active_ = false;
    bool ui_active_ = false;
};

}  // namespace kvt::server
