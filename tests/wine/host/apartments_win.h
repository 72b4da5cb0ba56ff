#pragma once
// Controls of the DLL on two user-interface threads of the host at once, each thread its own
// single-threaded apartment.

#include <windows.h>

#include "checks_win.h"

namespace kvt::wintest {

class HttpRecorder;

// Expects no control of the DLL alive when it starts, and leaves none.
void CheckApartments(Checks& checks, HttpRecorder& server);

}  // namespace kvt::wintest
