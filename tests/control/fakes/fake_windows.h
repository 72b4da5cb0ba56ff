#pragma once
// Scriptable windows: a message queue that the message passes drain, a progress window
// whose state outlives it and that dies with its parent, the control's form and popups.

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/format.h"
#include "fakes/journal.h"
#include "ui/control_form.h"
#include "ui/popup_port.h"
#include "ui/progress_port.h"

namespace kvt::fakes {

// Messages posted by a test run at the next message pass, re-entrantly inside it.
class MessageQueue {
  public:
    void Post(std::function<void()> message) { pending_.push_back(std::move(message)); }
    void ProcessPending() {
        ++passes;
        while (!pending_.empty()) {
            auto message = std::move(pending_.front());
            pending_.pop_front();
            message();
        }
    }
    int passes = 0;

  private:
    std::deque<std::function<void()>> pending_;
};

struct ProgressState {
    ui::WindowHandle parent = 0;
    int left = 0;
    int top = 0;
    int percent = -1;
    bool visible = false;
    bool destroyed = false;
    bool gone_with_parent = false;  // the native window died with its parent
};

// As a native child window: once it has gone with its parent it stays gone (a destroyed
// handle never comes back), and every call does nothing and leaves no entry, its destruction
// included. No parent is refused, as both back ends refuse it: SetParent with a null parent
// makes a Win32 window a child of the desktop.
class FakeProgressWindow : public ui::ProgressWindow {
  public:
    FakeProgressWindow(Journal& journal, std::shared_ptr<ProgressState> state)
        : journal_(journal), state_(std::move(state)) {}
    ~FakeProgressWindow() override {
        if (Alive()) {
            journal_.Add("ProgressDestroy");
        }
        state_->destroyed = true;
    }
    void SetParent(ui::WindowHandle parent) override {
        if (parent == 0) {
            throw Exception("The progress window's parent window does not exist");
        }
        if (Alive()) {
            state_->parent = parent;
            journal_.Add(Format("ProgressParent %zu", static_cast<std::size_t>(parent)));
        }
    }
    void MoveTo(int left, int top) override {
        if (Alive()) {
            state_->left = left;
            state_->top = top;
            journal_.Add(Format("ProgressMove %d %d", left, top));
        }
    }
    void SetPercent(int percent) override {
        if (Alive()) {
            state_->percent = percent;
            journal_.Add(Format("ProgressPercent %d", percent));
        }
    }
    void ShowOnTop() override {
        if (Alive()) {
            state_->visible = true;
            journal_.Add("ProgressShow");
        }
    }
    void Hide() override {
        if (Alive()) {
            state_->visible = false;
            journal_.Add("ProgressHide");
        }
    }
    bool Alive() const override { return !state_->gone_with_parent; }

  private:
    Journal& journal_;
    std::shared_ptr<ProgressState> state_;
};

class FakeProgressPlatform : public ui::ProgressPlatform {
  public:
    FakeProgressPlatform(Journal& journal, MessageQueue& queue)
        : journal_(journal), queue_(queue) {}

    std::unique_ptr<ui::ProgressWindow> CreateProgressWindow() override {
        journal_.Add("ProgressCreate");
        windows.push_back(std::make_shared<ProgressState>());
        return std::make_unique<FakeProgressWindow>(journal_, windows.back());
    }
    void ProcessMessages() override {
        journal_.Add("ProcessMessages");
        queue_.ProcessPending();
    }
    void Pause(std::chrono::milliseconds duration) override {
        journal_.Add(Format("Pause %lld", static_cast<long long>(duration.count())));
    }

    // DestroyWindow destroys the child windows of the window it destroys first, so every
    // progress window inside `parent` goes with it.
    void DestroyParent(ui::WindowHandle parent) {
        for (const auto& window : windows) {
            if (window->parent == parent && !window->destroyed) {
                window->gone_with_parent = true;
                window->visible = false;
            }
        }
    }

    // Every window created, newest last; each state stays readable after destruction.
    std::vector<std::shared_ptr<ProgressState>> windows;
    const ProgressState& Current() const { return *windows.back(); }

  private:
    Journal& journal_;
    MessageQueue& queue_;
};

class FakeForm : public ui::ControlForm {
  public:
    FakeForm(Journal& journal, MessageQueue& queue) : journal_(journal), queue_(queue) {}

    ui::WindowHandle Handle() override { return handle; }
    void SetFrameBorderNone() override { journal_.Add("FrameBorderNone"); }
    void SetResizeHandler(std::function<void(int, int)> handler) override {
        journal_.Add("ResizeHandler");
        on_resize = std::move(handler);
    }
    void SetApplicationOwner(std::int32_t main_window) override {
        journal_.Add(Format("ApplicationOwner %d", main_window));
    }
    void ProcessMessages() override {
        journal_.Add("ProcessMessages");
        queue_.ProcessPending();
    }
    void Resize(int width, int height) {
        if (on_resize) {
            on_resize(width, height);
        }
    }

    ui::WindowHandle handle = 0x77;
    std::function<void(int, int)> on_resize;

  private:
    Journal& journal_;
    MessageQueue& queue_;
};

class FakeBrowserApplication : public InterfaceBase {};

class FakePopup : public ui::PopupWindow {
  public:
    FakePopup(Journal& journal, std::function<void()> on_destroyed)
        : journal_(journal),
          on_destroyed_(std::move(on_destroyed)),
          application_(std::make_shared<FakeBrowserApplication>()) {}
    void BringToFront() override {
        journal_.Add("PopupFront");
        ++fronted;
    }
    std::shared_ptr<InterfaceBase> BrowserApplication() override {
        if (fail_application) {
            throw Exception("IWebBrowser2::get_Application failed");
        }
        return application_;
    }
    void Discard() noexcept override {
        journal_.Add("PopupDiscard");
        discarded = true;
    }
    void Destroying() {
        if (on_destroyed_) {
            on_destroyed_();
        }
    }
    int fronted = 0;
    bool fail_application = false;  // the popup's engine cannot tell its automation object
    bool discarded = false;

  private:
    Journal& journal_;
    std::function<void()> on_destroyed_;
    std::shared_ptr<InterfaceBase> application_;
};

// Owns its popups as a platform does; Close runs the destroy notification first.
class FakePopupFactory : public ui::PopupFactory {
  public:
    explicit FakePopupFactory(Journal& journal) : journal_(journal) {}
    std::shared_ptr<ui::PopupWindow> CreatePopup(std::function<void()> on_destroyed) override {
        journal_.Add("CreatePopup");
        if (fail_next) {
            fail_next = false;
            throw Exception("The popup window could not be created");
        }
        popups.push_back(std::make_shared<FakePopup>(journal_, std::move(on_destroyed)));
        popups.back()->fail_application = std::exchange(fail_next_application, false);
        return popups.back();
    }
    void Close(std::size_t index) {
        const auto popup = popups.at(index);
        popup->Destroying();
        popups.erase(popups.begin() + static_cast<std::ptrdiff_t>(index));
    }
    std::vector<std::shared_ptr<FakePopup>> popups;
    bool fail_next = false;  // the next creation throws, as a platform out of windows does
    bool fail_next_application = false;  // the next popup's BrowserApplication throws

  private:
    Journal& journal_;
};

}  // namespace kvt::fakes
