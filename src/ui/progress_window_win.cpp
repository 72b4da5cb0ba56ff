#include "ui/progress_window_win.h"

#include <vector>

#include "base/errors.h"
#include "com/handle_win.h"
#include "ui/load_progress.h"
#include "ui/message_pass_win.h"
#include "ui/progress_bar.h"
#include "ui/window_class_win.h"
#include "ui/window_region.h"

namespace kvt::ui {

namespace {

constexpr wchar_t kProgressClass[] = L"KvNewTavrixLoadProgress";

COLORREF Colour(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The bitmap's pixels as 0x00RRGGBB, rows from the top.
Bitmap PixelsOf(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    Bitmap picture;
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    picture.pixels.resize(static_cast<std::size_t>(info.bmWidth) *
                          static_cast<std::size_t>(info.bmHeight));
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;  // top-down
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    const com::WindowDc screen(nullptr);
    GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(info.bmHeight), picture.pixels.data(),
              &request, DIB_RGB_COLORS);
    return picture;
}

com::UniqueHrgn RegionOf(const std::vector<Rect>& rects) {
    com::UniqueHrgn region(CreateRectRgn(0, 0, 0, 0));
    for (const Rect& rect : rects) {
        const com::UniqueHrgn run(CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom));
        CombineRgn(region.Get(), region.Get(), run.Get(), RGN_OR);
    }
    return region;
}

class Win32ProgressWindow final : public ProgressWindow {
  public:
    Win32ProgressWindow(HMODULE module, int bitmap_id)
        : module_(module),
          bitmap_(static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(bitmap_id), IMAGE_BITMAP,
                                                  0, 0, LR_CREATEDIBSECTION))) {
        if (!bitmap_) {
            throw Exception("The progress window's bitmap is missing");
        }
        RegisterWindowClassOnce(module, kProgressClass, WindowProc);
        Window();
    }
    Win32ProgressWindow(const Win32ProgressWindow&) = delete;
    Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

    ~Win32ProgressWindow() override { DestroyObjectWindow(window_); }

    void SetParent(WindowHandle parent) override {
        parent_ = reinterpret_cast<HWND>(parent);
        ::SetParent(Window(), parent_);
    }

    bool Alive() const override { return window_ != nullptr && IsWindow(window_); }

    void MoveTo(int left, int top) override {
        SetWindowPos(Window(), nullptr, left, top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        placed_ = true;
    }

    void SetPercent(int percent) override {
        percent_ = percent;
        HWND window = Window();
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    }

    void ShowOnTop() override {
        HWND window = Window();
        if (!shown_before_) {
            ShowFirstTime();
        }
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        UpdateWindow(window);
    }

    void Hide() override { ShowWindow(Window(), SW_HIDE); }

  private:
    // The shared window outlives the control it was parented to: when that control's
    // window took it along on destruction, a new one is made, as yet unplaced and unshown.
    // It is always a child window: of the last parent while that lives, else of the
    // message-only parent until the next control attaches it. Never a top-level window,
    // which would stay on top of every application.
    HWND Window() {
        if (window_ != nullptr) {
            return window_;
        }
        const HWND parent = IsWindow(parent_) ? parent_ : HWND_MESSAGE;
        window_ = CreateWindowExW(0, kProgressClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                                  kProgressWindowWidth, kProgressWindowHeight, parent, nullptr,
                                  module_, this);
        if (window_ == nullptr) {
            throw Exception("The progress window could not be created");
        }
        shown_before_ = false;
        placed_ = false;
        return window_;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        auto* const self = WindowObject<Win32ProgressWindow>(window, message, lparam);
        if (self != nullptr) {
            switch (message) {
                case WM_PAINT:
                    self->Paint();
                    return 0;
                case WM_NCDESTROY:
                    ReleaseWindowObject(window);
                    self->window_ = nullptr;
                    break;
                case WM_ERASEBKGND:
                    return 1;
                case WM_LBUTTONDOWN:
                    // Dragging the picture moves the window within its parent.
                    ReleaseCapture();
                    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
                    return 0;
                default:
                    break;
            }
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    // The outline is computed once; the first showing centres the window by the screen's
    // size, which for a child window counts inside its parent.
    void ShowFirstTime() {
        shown_before_ = true;
        const Bitmap picture = PixelsOf(bitmap_.Get());
        com::UniqueHrgn outline = RegionOf(RegionRects(picture, TransparentColour(picture)));
        if (SetWindowRgn(window_, outline.Get(), FALSE) != 0) {
            outline.Detach();  // the window owns it now
        }
        if (!placed_) {
            const Point origin =
                CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               kProgressWindowWidth, kProgressWindowHeight);
            SetWindowPos(window_, nullptr, origin.left, origin.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    void Paint() {
        const com::PaintDc dc(window_);
        PaintPicture(dc.Get());
        PaintBar(dc.Get());
    }

    void PaintPicture(HDC dc) const {
        const com::UniqueHdc picture(CreateCompatibleDC(dc));
        const com::SelectedObject selected(picture.Get(), bitmap_.Get());
        BITMAP info{};
        GetObjectW(bitmap_.Get(), sizeof(info), &info);
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, picture.Get(), 0, 0, SRCCOPY);
    }

    void PaintBar(HDC dc) const {
        const RECT bar{kBarLeft, kBarTop, kBarLeft + kBarWidth, kBarTop + kBarHeight};
        const com::UniqueHbrush bar_brush(CreateSolidBrush(Colour(kBarColourRgb)));
        const com::UniqueHbrush back_brush(CreateSolidBrush(Colour(kBarBackColourRgb)));
        FrameRect(dc, &bar, bar_brush.Get());
        RECT inner = bar;
        InflateRect(&inner, -kBarBorderWidth, -kBarBorderWidth);
        const int fill = BarFillWidth(percent_, BarInnerWidth(kBarWidth, kBarBorderWidth));
        const RECT filled{inner.left, inner.top, inner.left + fill, inner.bottom};
        const RECT rest{inner.left + fill, inner.top, inner.right, inner.bottom};
        FillRect(dc, &filled, bar_brush.Get());
        FillRect(dc, &rest, back_brush.Get());

        const std::string text = PercentText(percent_);
        SetBkMode(dc, TRANSPARENT);
        const com::SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawPart(dc, inner, filled, text, Colour(kBarBackColourRgb));
        DrawPart(dc, inner, rest, text, Colour(kBarColourRgb));
    }

    // The text centred on the whole bar, drawn only inside `part`.
    static void DrawPart(HDC dc, RECT whole, const RECT& part, const std::string& text,
                         COLORREF colour) {
        if (part.right <= part.left) {
            return;
        }
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
        SetTextColor(dc, colour);
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &whole,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        RestoreDC(dc, saved);
    }

    HMODULE module_;
    HWND parent_ = nullptr;
    HWND window_ = nullptr;
    com::UniqueHbitmap bitmap_;
    int percent_ = 0;
    bool shown_before_ = false;
    bool placed_ = false;
};

}  // namespace

Win32ProgressPlatform::Win32ProgressPlatform(HMODULE module, int bitmap_id)
    : module_(module), bitmap_id_(bitmap_id) {}

std::unique_ptr<ProgressWindow> Win32ProgressPlatform::CreateProgressWindow() {
    return std::make_unique<Win32ProgressWindow>(module_, bitmap_id_);
}

void Win32ProgressPlatform::ProcessMessages() {
    ProcessPendingMessages();
}

void Win32ProgressPlatform::Pause(std::chrono::milliseconds duration) {
    Sleep(static_cast<DWORD>(duration.count()));
}

}  // namespace kvt::ui
