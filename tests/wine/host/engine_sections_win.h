#pragma once
// The test host's sections that drive the control through the scripted engine. Each
// starts its own controls in `main_window` and prints "== engine: <name>" and its checks.

#include <windows.h>

#include "checks_win.h"
#include "engine_harness_win.h"

namespace kvt::wintest {

// Where the container embeds the control, and where it lays it out after start-up.
inline constexpr RECT kEmbedArea{10, 10, 610, 340};
inline constexpr RECT kLayoutArea{10, 10, 630, 370};

void CheckAmbient(Checks& checks, Engines& engines, HWND main_window);
void CheckCompletion(Checks& checks, Engines& engines, HWND main_window);
void CheckHistory(Checks& checks, Engines& engines, HWND main_window);
void CheckCommands(Checks& checks, Engines& engines, HWND main_window);
void CheckKeyboard(Checks& checks, Engines& engines, HWND main_window);
void CheckClick(Checks& checks, Engines& engines, HWND main_window);
void CheckReentrancy(Checks& checks, Engines& engines, HWND main_window);
void CheckPopups(Checks& checks, Engines& engines, HWND main_window);
void CheckQuit(Checks& checks, Engines& engines, HWND main_window);
void CheckFaults(Checks& checks, Engines& engines, HWND main_window);
void CheckHostFpu(Checks& checks, Engines& engines, HWND main_window);
void CheckProgressParent(Checks& checks, Engines& engines, HWND main_window);

}  // namespace kvt::wintest
