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
        // Under the message-only parent until it is attached: a child window always, never
        // a top-level one, which would stay on top of every application.
        window_ = CreateWindowExW(0, kProgressClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                                  kProgressWindowWidth, kProgressWindowHeight, HWND_MESSAGE,
                                  nullptr, module_, this);
        if (window_ == nullptr) {
            throw Exception("The progress window could not be created");
        }
    }
    Win32ProgressWindow(const Win32ProgressWindow&) = delete;
    Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

    ~Win32ProgressWindow() override { DestroyObjectWindow(window_); }

    // SetParent with no parent would make the window a child of the desktop, shown over
    // every application.
    void SetParent(WindowHandle parent) override {
        const HWND new_parent = reinterpret_cast<HWND>(parent);
        if (new_parent == nullptr || !IsWindow(new_parent)) {
            throw Exception("The progress window's parent window does not exist");
        }
        if (window_ != nullptr) {
            ::SetParent(window_, new_parent);
        }
    }

    // WM_NCDESTROY clears the handle when the parent takes the window along.
    bool Alive() const override { return window_ != nullptr; }

    void MoveTo(int left, int top) override {
        if (window_ == nullptr) {
            return;
        }
        SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        placed_ = true;
    }

    void SetPercent(int percent) override {
        percent_ = percent;
        if (window_ == nullptr) {
            return;
        }
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
    }

    void ShowOnTop() override {
        if (window_ == nullptr) {
            return;
        }
        if (!shown_before_) {
            ShowFirstTime();
        }
        SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        UpdateWindow(window_);
    }

    void Hide() override {
        if (window_ != nullptr) {
            ShowWindow(window_, SW_HIDE);
        }
    }

  private:
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

    // The outline is computed once. A window not yet moved is centred in its parent's client
    // area, whatever the order in which the control was sized and started: centred by the
    // screen's size it would sit off a control smaller than the screen.
    void ShowFirstTime() {
        shown_before_ = true;
        const Bitmap picture = PixelsOf(bitmap_.Get());
        com::UniqueHrgn outline = RegionOf(RegionRects(picture, TransparentColour(picture)));
        if (SetWindowRgn(window_, outline.Get(), FALSE) != 0) {
            outline.Detach();  // the window owns it now
        }
        RECT area{};
        if (!placed_ && GetClientRect(GetParent(window_), &area)) {
            const Point origin = CenteredOrigin(area.right, area.bottom, kProgressWindowWidth,
                                                kProgressWindowHeight);
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
