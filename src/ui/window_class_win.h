#pragma once
// The window classes of the DLL's own windows, and the object each window belongs to.

#include <windows.h>

#include "com/handle_win.h"

// The linker's symbol at the start of the module's image: its address is the module handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kvt::ui {

// The module (the DLL, or a test program) that holds this code; its windows' classes are
// registered under it.
inline HMODULE ThisModule() {
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

struct WindowClassLook {
    HICON icon = nullptr;
    HBRUSH background = nullptr;
};

// Registers the class `name` of `module` unless it is registered already; false when
// registering fails. Another thread may register the class between the look-up and the
// registration: that counts as registered.
inline bool RegisterWindowClassOnce(HMODULE module, const wchar_t* name, WNDPROC procedure,
                                    const WindowClassLook& look = {}) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(module, name, &existing)) {
        return true;
    }
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = module;
    window_class.hIcon = look.icon;
    window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.hbrBackground = look.background;
    window_class.lpszClassName = name;
    return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The object given as CreateWindowExW's last argument: recorded at WM_NCCREATE and found
// again for every later message, until ReleaseWindowObject.
template <typename T>
T* WindowObject(HWND window, UINT message, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

inline void ReleaseWindowObject(HWND window) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

// Destroys the window of an object that is going, unless it went already; the object is
// let go first, so the window's last messages no longer reach it.
inline void DestroyObjectWindow(HWND window) {
    if (IsWindow(window)) {
        ReleaseWindowObject(window);
        DestroyWindow(window);
    }
}

// An object's window, destroyed that way when its owner goes (also when the object's
// construction fails after the window was made).
using UniqueObjectWindow = com::UniqueHandle<HWND, DestroyObjectWindow>;

}  // namespace kvt::ui
