#include "ui/load_progress.h"

#include <utility>

#include "base/errors.h"
#include "ui/progress_bar.h"

namespace kvt::ui {

LoadProgress::LoadProgress(std::shared_ptr<ProgressPlatform> platform)
    : platform_(std::move(platform)) {}

LoadProgress::~LoadProgress() = default;

LoadProgress& LoadProgress::Shared() {
    static LoadProgress instance;
    return instance;
}

void LoadProgress::SetPlatform(std::shared_ptr<ProgressPlatform> platform) {
    platform_ = std::move(platform);
}

ProgressPlatform& LoadProgress::Platform() {
    if (!platform_) {
        throw Exception("No progress window platform is installed");
    }
    return *platform_;
}

ProgressWindow* LoadProgress::LiveWindow() {
    // A window that went with its parent is let go: the next routine that needs one makes a
    // new one rather than drawing into nothing, and HasWindow tells the control to attach it.
    if (window_ && !window_->Alive()) {
        window_.reset();
    }
    return window_.get();
}

ProgressWindow& LoadProgress::Window() {
    if (LiveWindow() == nullptr) {
        window_ = Platform().CreateProgressWindow();
        if (!window_) {
            throw Exception("The progress window could not be created");
        }
    }
    return *window_;
}

void LoadProgress::AttachProgress(WindowHandle parent) {
    Window().SetParent(parent);
}

void LoadProgress::CenterProgress(int parent_width, int parent_height) {
    const Point origin =
        CenteredOrigin(parent_width, parent_height, kProgressWindowWidth, kProgressWindowHeight);
    Window().MoveTo(origin.left, origin.top);
}

void LoadProgress::StartProgress() {
    ProgressWindow& window = Window();
    window.SetPercent(0);
    window.ShowOnTop();
}

void LoadProgress::SetProgress(int percent) {
    if (ProgressWindow* const window = LiveWindow()) {
        window->SetPercent(percent);
    }
    // Handlers run inside this pass may free the window; nothing of it is used after.
    Platform().ProcessMessages();
}

void LoadProgress::FinishProgress() {
    ProgressWindow* const window = LiveWindow();
    if (window == nullptr) {
        return;
    }
    window->SetPercent(100);
    Platform().Pause(kFinishPause);
    if (ProgressWindow* const still = LiveWindow()) {
        still->Hide();
    }
}

void LoadProgress::FreeProgress() {
    // Released before destruction so a re-entrant call sees no window.
    std::unique_ptr<ProgressWindow> window = std::move(window_);
}

}  // namespace kvt::ui
