#pragma once
// Base classes for the test host's COM objects: one whose IDispatch part is not used
// (early-bound host interfaces), and one reached only through IDispatch by member name,
// as the control reaches the host's recordsets.

#include <windows.h>

#include <oaidl.h>

#include <string>
#include <vector>

#include "com/com_object_win.h"

namespace kvt::wintest {

template <typename... Interfaces>
class EarlyBound : public com::ComObjectBase<Interfaces...> {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count != nullptr) {
            *count = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

// An automation object with named members; Invoke hands the member's name, its
// arguments first to last and the result to Member.
class ScriptObject : public com::ComObjectBase<IDispatch> {
  public:
    explicit ScriptObject(std::vector<std::wstring> members) : members_(std::move(members)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) override;

  protected:
    virtual HRESULT Member(const std::wstring& name, const std::vector<VARIANT*>& arguments,
                           VARIANT& result) = 0;

  private:
    std::vector<std::wstring> members_;
};

// Result helpers.
void SetText(VARIANT& result, const std::wstring& text);
void SetInteger(VARIANT& result, LONG value);
void SetBoolean(VARIANT& result, bool value);
void SetObject(VARIANT& result, IDispatch* object);  // takes a new reference

}  // namespace kvt::wintest
