#pragma once
// Processing the window messages that are pending on the calling thread.

namespace kvt::ui {

// Dispatches every pending message; a WM_QUIT met on the way is posted again for the
// thread's own message loop.
void ProcessPendingMessages();

}  // namespace kvt::ui
