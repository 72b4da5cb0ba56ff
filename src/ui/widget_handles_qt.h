#pragma once
// Window handles for Qt widgets: small numbers that the core passes around and that lead
// back to the widget only while it exists.

#include <QWidget>

#include "ui/progress_port.h"

namespace kvt::ui {

// The handle of `widget`, the same one every time; never 0. Handles fit in 32 bits.
WindowHandle HandleOfWidget(QWidget* widget);

// The widget of a handle, or nullptr when the handle is unknown or its widget is gone.
QWidget* WidgetOfHandle(WindowHandle handle);

// The owner window of the application's top-level windows (popups); nullptr when none.
void SetApplicationOwner(QWidget* owner);
QWidget* ApplicationOwner();

}  // namespace kvt::ui
