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
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* bad_argument) override;

    // IDvPlugin
    HRESULT STDMETHODCALLTYPE InitPlugin(IUnknown* service, LONG reserved) override;
    HRESULT STDMETHODCALLTYPE ClosePlugin() override;
    HRESULT STDMETHODCALLTYPE Reserved3() override;
    HRESULT STDMETHODCALLTYPE ShowPlugin() override;
    HRESULT STDMETHODCALLTYPE HidePlugin() override;
    HRESULT STDMETHODCALLTYPE Reserved6() override;
    HRESULT STDMETHODCALLTYPE Reserved7(LONG value) override;
    HRESULT STDMETHODCALLTYPE QueryStockFlag(LONG value, StockInfoRec stock,
                                             VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE QueryCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE Reserved10(LONG a, LONG b, LONG c) override;
    HRESULT STDMETHODCALLTYPE Reserved11() override;
    HRESULT STDMETHODCALLTYPE Reserved12(LONG a, LONG b, LONG c) override;
    HRESULT STDMETHODCALLTYPE GetStockInfo(StockInfoRec* stock, LONG value) override;
    HRESULT STDMETHODCALLTYPE Reserved14(LONG a, LONG b, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE QueryObjects(IUnknown** first, IUnknown** second) override;
    HRESULT STDMETHODCALLTYPE ExecCommand(BSTR command, BSTR* reply) override;

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    // IOleObject
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
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override;

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

    // IViewObject, IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE** palette) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD* freeze) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IDataObject
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advise) override;

    // IPersist, IPersistStreamInit, IPersistStorage, IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* class_id) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clear_dirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL same_as_load) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;

    // IPerPropertyBrowsing, ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID, CLSID* page) override;
    HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID, CALPOLESTR* strings,
                                                   CADWORD* cookies) override;
    HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID, DWORD, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

    // ISimpleFrameSite
    HRESULT STDMETHODCALLTYPE PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT* result,
                                               DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT* result,
                                                DWORD cookie) override;

    // IQuickActivate
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override;
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override;

    // IObjectSafety
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                        DWORD* enabled) override;
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask,
                                                        DWORD enabled) override;

    // IConnectionPointContainer: the class has no event interface.
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  private:
    KvNewTavrixControl();
    ~KvNewTavrixControl() override;

    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
    HRESULT ActivateUserInterface(IOleClientSite* site, HWND parent, LPCRECT position);
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
