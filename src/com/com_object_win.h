#pragma once
// Reference counting and QueryInterface for the COM objects of the DLL and its test
// programs, written once. An object lists what it answers:
//
//   class Site final : public ComObjectBase<IOleClientSite, IOleInPlaceSite,
//                                           Alias<IOleWindow, IOleInPlaceSite>> { ... };
//
// Each interface in the list is a base class and is answered by its own identifier;
// `Alias<Base, Via>` answers a base interface that several listed interfaces share (here
// IOleWindow) through the one named. IUnknown is answered through the first interface.
// Identifiers that are known only at run time (an event sink's interface) are answered
// through `AnswerDynamic`. Objects are created with one reference and deleted when the
// last one goes.

#include <windows.h>

#include <unknwn.h>

#include <type_traits>
#include <utility>

#include "com/com_ptr_win.h"
#include "com/out_param_win.h"

namespace kvt::com {

// Answers __uuidof(Base) with the Base part of the listed interface Via. An empty base.
template <typename Base, typename Via>
struct Alias {
    static_assert(std::is_base_of_v<Base, Via>,
                  "an alias answers a base of the interface it names");
};

namespace detail {

// The interface a list entry stands for: the entry itself, or, for a partial
// implementation such as DispatchWithoutTypeInfo<I>, the interface it names.
template <typename Entry, typename = void>
struct InterfaceOf {
    using Type = Entry;
};
template <typename Entry>
struct InterfaceOf<Entry, std::void_t<typename Entry::ComInterface>> {
    using Type = typename Entry::ComInterface;
};

template <typename Entry>
struct EntryTraits {
    using First = Entry;
    template <typename Object>
    static void* Match(Object* object, REFIID iid) {
        using Interface = typename InterfaceOf<Entry>::Type;
        return iid == __uuidof(Interface) ? static_cast<Interface*>(static_cast<Entry*>(object))
                                          : nullptr;
    }
};

template <typename Base, typename Via>
struct EntryTraits<Alias<Base, Via>> {
    using First = Via;
    template <typename Object>
    static void* Match(Object* object, REFIID iid) {
        return iid == __uuidof(Base) ? static_cast<Base*>(static_cast<Via*>(object)) : nullptr;
    }
};

template <typename First, typename... Rest>
struct FirstOf {
    using Type = First;
};

}  // namespace detail

// COM interfaces have no virtual destructor by design; objects of ours delete themselves
// in Release, through their own virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <typename... Entries>
class ComObjectBase : public Entries... {
    using Primary = typename detail::EntryTraits<typename detail::FirstOf<Entries...>::Type>::First;

  public:
    ComObjectBase(const ComObjectBase&) = delete;
    ComObjectBase& operator=(const ComObjectBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (const HRESULT hr = RequirePointers(out); FAILED(hr)) {
            return hr;
        }
        void* answer = nullptr;
        if (iid == IID_IUnknown) {
            answer = static_cast<IUnknown*>(static_cast<Primary*>(this));
        } else {
            (void)((((answer = detail::EntryTraits<Entries>::Match(this, iid)) != nullptr)) || ...);
        }
        if (answer == nullptr) {
            answer = AnswerDynamic(iid);
        }
        *out = answer;
        if (answer == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

  protected:
    ComObjectBase() = default;
    virtual ~ComObjectBase() = default;

    // For identifiers not in the list: the interface pointer to answer, or null. Must not
    // add a reference; QueryInterface does.
    virtual void* AnswerDynamic(REFIID) { return nullptr; }

    // True when QueryInterface answers `iid`.
    bool Answers(REFIID iid) {
        void* answered = nullptr;
        if (FAILED(QueryInterface(iid, &answered)) || answered == nullptr) {
            return false;
        }
        Release();
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
