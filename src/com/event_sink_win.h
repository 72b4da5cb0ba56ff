#pragma once
// The IDispatch of an event sink: it answers IUnknown, IDispatch and its one event
// interface, carries no type information, and leaves Invoke to the sink.

#include <windows.h>

#include <oaidl.h>

#include "com/com_object_win.h"

namespace kvt::com {

class EventSinkBase : public ComObjectBase<IDispatch> {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        auto* dispatch = static_cast<IDispatch*>(this);
        if (Answer(iid, IID_IUnknown, dispatch, out) || Answer(iid, IID_IDispatch, dispatch, out) ||
            Answer(iid, events_, dispatch, out)) {
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
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

  protected:
    explicit EventSinkBase(REFIID events) : events_(events) {}

  private:
    const IID events_;
};

}  // namespace kvt::com
