#pragma once
// Owners of Win32 handles, after the Windows Implementation Library's unique_hkey /
// unique_hbrush family: UniqueHandle<Handle, Close> closes its handle with Close when it
// goes, is moved and never copied, and names its operations as ComPtr does (Get, Reset,
// Detach to hand the handle over, Out for an out parameter). A window DC needs its window
// to be released, a paint DC its PAINTSTRUCT and a selection the previous object back:
// three small guards.

#include <windows.h>

#include <utility>

namespace kvt::com {

template <typename Handle, auto Close, Handle Invalid = Handle{}>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Invalid; }
    // Closes the handle held and takes `handle` in its place.
    void Reset(Handle handle = Invalid) noexcept {
        if (const Handle old = std::exchange(handle_, handle); old != Invalid) {
            Close(old);
        }
    }
    // Hands the handle over to the caller (or to a call that takes ownership).
    Handle Detach() noexcept { return std::exchange(handle_, Invalid); }
    // For out parameters: closes the current handle first.
    Handle* Out() noexcept {
        Reset();
        return &handle_;
    }

  private:
    Handle handle_ = Invalid;
};

using UniqueHkey = UniqueHandle<HKEY, RegCloseKey>;
using UniqueHbrush = UniqueHandle<HBRUSH, DeleteObject>;
using UniqueHbitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniqueHrgn = UniqueHandle<HRGN, DeleteObject>;
using UniqueHfont = UniqueHandle<HFONT, DeleteObject>;
// A DC of our own making (CreateCompatibleDC, CreateDC).
using UniqueHdc = UniqueHandle<HDC, DeleteDC>;
using UniqueHwnd = UniqueHandle<HWND, DestroyWindow>;

// A window's DC (GetDC; the screen's for a null window), released with its window.
class WindowDc {
  public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }

    HDC Get() const noexcept { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The DC of a WM_PAINT: BeginPaint when it comes, EndPaint when it goes.
class PaintDc {
  public:
    explicit PaintDc(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(window_, &paint_); }

    HDC Get() const noexcept { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects an object into a DC and selects the previous one back when it goes.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { SelectObject(dc_, previous_); }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace kvt::com
