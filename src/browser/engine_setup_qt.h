#pragma once
// What the Qt WebEngine back end needs before the application object exists.

namespace kvt::browser {

// The private scheme of page commands; registered so that a script click on such a link
// reaches the navigation hook instead of being dropped by the engine.
inline constexpr const char* kCommandScheme = "zq";

// Prepares the process for the engine and registers the command scheme. Call once, before
// the QApplication is created:
// - as root the engine's sandbox cannot start, so it is switched off;
// - the engine refuses a runtime directory that is missing or open to others, so a private
//   one is made when needed.
void PrepareWebEngineProcess();

}  // namespace kvt::browser
