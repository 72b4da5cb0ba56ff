#pragma once
// What the test hosts watch and change below COM: window creation refused for one class and
// windows seen as they start to go (both through a WH_CBT hook on this thread), and the
// exports of the DLL that implements an object.

#include <windows.h>

#include <unknwn.h>

#include <functional>
#include <string_view>
#include <utility>

#include "com/handle_win.h"

namespace kvt::wintest {

using UniqueHook = com::UniqueHandle<HHOOK, UnhookWindowsHookEx>;

// While it lives, windows of the class `name` cannot be created on this thread: the CBT
// hook answers HCBT_CREATEWND with a non-zero value, which makes CreateWindowEx fail before
// the window gets WM_NCCREATE.
class RefusedWindowClass {
  public:
    explicit RefusedWindowClass(const wchar_t* name)
        : hook_(SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId())) {
        refused_ = name;
    }
    RefusedWindowClass(const RefusedWindowClass&) = delete;
    RefusedWindowClass& operator=(const RefusedWindowClass&) = delete;
    ~RefusedWindowClass() { refused_ = nullptr; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
        if (code == HCBT_CREATEWND && refused_ != nullptr) {
            wchar_t name[64] = {};
            GetClassNameW(reinterpret_cast<HWND>(wparam), name, 64);
            if (std::wstring_view(name) == refused_) {
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, wparam, lparam);
    }

    static inline const wchar_t* refused_ = nullptr;
    UniqueHook hook_;
};

// While it lives, `seen` is called with every window of this thread that DestroyWindow is
// about to destroy: the CBT hook's HCBT_DESTROYWND comes before the window is hidden and
// before it gets WM_DESTROY.
class DestroyWatch {
  public:
    explicit DestroyWatch(std::function<void(HWND)> seen)
        : hook_(SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId())) {
        seen_ = std::move(seen);
    }
    DestroyWatch(const DestroyWatch&) = delete;
    DestroyWatch& operator=(const DestroyWatch&) = delete;
    ~DestroyWatch() { seen_ = nullptr; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
        if (code == HCBT_DESTROYWND && seen_) {
            seen_(reinterpret_cast<HWND>(wparam));
        }
        return CallNextHookEx(nullptr, code, wparam, lparam);
    }

    static inline std::function<void(HWND)> seen_;
    UniqueHook hook_;
};

// The DLL that implements `object`: the module holding its QueryInterface.
inline HMODULE ModuleOf(IUnknown* object) {
    void** vtable = *reinterpret_cast<void***>(object);
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(vtable[0]), &module);
    return module;
}

// The DLL's own DllCanUnloadNow; E_NOTIMPL when it exports none.
inline HRESULT CanUnloadNow(HMODULE dll) {
    using Function = HRESULT(STDAPICALLTYPE*)();
    const auto function =
        reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    return function != nullptr ? function() : E_NOTIMPL;
}

}  // namespace kvt::wintest
