#pragma once
// The load-progress window's routines. One LoadProgress manages at most one window, and
// the controls that share an instance drive the same window: the Windows server gives each
// user-interface thread its own (a window belongs to the thread that made it); the Qt host
// and the tests use the process's instance (Shared).

#include <chrono>
#include <memory>

#include "ui/progress_port.h"

namespace kvt::ui {

inline constexpr int kProgressWindowWidth = 224;
inline constexpr int kProgressWindowHeight = 151;
inline constexpr std::chrono::milliseconds kFinishPause{200};

class LoadProgress {
  public:
    explicit LoadProgress(std::shared_ptr<ProgressPlatform> platform = nullptr);
    LoadProgress(const LoadProgress&) = delete;
    LoadProgress& operator=(const LoadProgress&) = delete;
    ~LoadProgress();

    // The process-wide instance; its platform is installed once by the back end.
    static LoadProgress& Shared();
    void SetPlatform(std::shared_ptr<ProgressPlatform> platform);

    // Creates the window if needed and makes it a child of `parent`.
    void AttachProgress(WindowHandle parent);
    // Creates the window if needed and centres it in a parent area of that size; division
    // truncates, so a smaller parent gives a negative offset.
    void CenterProgress(int parent_width, int parent_height);
    // Creates the window if needed, sets the bar to 0 and shows it.
    void StartProgress();
    // Sets the bar when a live window exists (never makes one); then, either way, processes
    // pending messages.
    void SetProgress(int percent);
    // When a live window exists: bar to 100, pause, hide.
    void FinishProgress();
    // When the window exists: destroys it.
    void FreeProgress();

    // A window exists and has not gone with its parent.
    bool HasWindow() const { return window_ != nullptr && window_->Alive(); }

  private:
    // The window unless there is none or it has gone with its parent.
    ProgressWindow* LiveWindow();
    ProgressWindow& Window();
    ProgressPlatform& Platform();

    std::shared_ptr<ProgressPlatform> platform_;
    std::unique_ptr<ProgressWindow> window_;
};

}  // namespace kvt::ui
