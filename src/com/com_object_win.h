#pragma once
// Reference counting for the COM objects of the DLL: created with one reference, deleted
// when the last one goes. Each object answers QueryInterface itself.

#include <windows.h>

#include <unknwn.h>

#include <utility>

#include "com/com_ptr_win.h"

namespace kvt::com {

// COM interfaces have no virtual destructor by design; objects of ours delete themselves
// in Release, through their own virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <typename... Interfaces>
class ComObjectBase : public Interfaces... {
  public:
    ComObjectBase(const ComObjectBase&) = delete;
    ComObjectBase& operator=(const ComObjectBase&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

  protected:
    ComObjectBase() = default;
    virtual ~ComObjectBase() = default;

    // Answers `iid` with `pointer` when they match; for QueryInterface chains.
    template <typename Interface>
    bool Answer(REFIID iid, REFIID wanted, Interface* pointer, void** out) {
        if (iid != wanted) {
            return false;
        }
        *out = pointer;
        AddRef();
        return true;
    }

  private:
    LONG references_ = 1;
};

#pragma GCC diagnostic pop

// A new object of ours, owned by the returned reference.
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args) {
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

}  // namespace kvt::com
