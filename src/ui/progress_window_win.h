#pragma once
// The load-progress window on Windows: a borderless child window shaped by its bitmap,
// with the bar drawn by GDI.

#include <windows.h>

#include <memory>

#include "ui/progress_port.h"

namespace kvt::ui {

class Win32ProgressPlatform final : public ProgressPlatform {
  public:
    // `module` holds the window's bitmap resource `bitmap_id`.
    Win32ProgressPlatform(HMODULE module, int bitmap_id);

    std::unique_ptr<ProgressWindow> CreateProgressWindow() override;
    void ProcessMessages() override;
    void Pause(std::chrono::milliseconds duration) override;

  private:
    HMODULE module_;
    int bitmap_id_;
};

}  // namespace kvt::ui
