#pragma once
// Base classes for the test host's COM objects: one whose IDispatch part is not used
// (early-bound host interfaces), and one reached only through IDispatch by member name,
// as the control reaches the host's recordsets.

#include <windows.h>

#include <oaidl.h>

#include <string>
#include <vector>

#include "com/com_object_win.h"
#include "com/dispatch_base_win.h"

namespace kvt::wintest {

template <typename Primary, typename... Others>
class EarlyBound
    : public com::ComObjectBase<com::DispatchWithoutTypeInfo<Primary>,
                                com::Alias<IDispatch, com::DispatchWithoutTypeInfo<Primary>>,
                                Others...> {
  public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override {
        return E_NOTIMPL;
    }
};

// An automation object with named members; Invoke hands the member's name, its
// arguments first to last and the result to Member. Each Invoke is one host call on the
// fault switch, named "<kind>::<member> <origin>".
class ScriptObject : public com::ComObjectBase<com::DispatchWithoutTypeInfo<>> {
  public:
    ScriptObject(std::vector<std::wstring> members, std::string kind, std::string origin)
        : members_(std::move(members)), kind_(std::move(kind)), origin_(std::move(origin)) {}

    const std::string& Origin() const { return origin_; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) noexcept override;

  protected:
    virtual HRESULT Member(const std::wstring& name, const std::vector<VARIANT*>& arguments,
                           VARIANT& result) = 0;

  private:
    std::vector<std::wstring> members_;
    std::string kind_;
    std::string origin_;
};

// Result helpers.
void SetText(VARIANT& result, const std::wstring& text);
void SetInteger(VARIANT& result, LONG value);
void SetBoolean(VARIANT& result, bool value);
void SetObject(VARIANT& result, IDispatch* object);  // takes a new reference

}  // namespace kvt::wintest
