#pragma once
// What one page load of the scripted engine plays, in order, and the engine's history list.
// Plain data and rules; the engine (scripted_browser_win.*) fires the events.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "scripted_engine.h"

namespace kvt::engine {

// The engine's copy of a PageScript.
struct Page {
    std::optional<std::wstring> title = std::wstring();  // nullopt: not an HTML document
    unsigned frames = 0;
    std::vector<ProgressStep> progress_before{{0, 0}};
    std::vector<ProgressStep> progress_after{{100, 100}};
    std::vector<ProgressStep> progress_final{{-1, 100}};
    bool wait_until_shown = false;
};

Page PageFrom(const PageScript& script);

enum class StepKind {
    BeforeNavigate,
    DownloadBegin,
    Progress,
    NavigateComplete,
    CommandStateBack,
    CommandStateForward,
    TitleChange,
    DocumentComplete,
    DownloadComplete,
    NewWindow,
};

struct Step {
    StepKind kind;
    int frame = -1;  // -1: the top document; otherwise the frame's index
    ProgressStep progress{};
    bool wait_until_shown = false;
};

// The events of one load of `page`, in the order the WebBrowser control documents them:
// - BeforeNavigate2 fires before the navigation occurs, and a handler that sets Cancel
//   stops it;
// - DownloadBegin, then ProgressChange as the download proceeds;
// - NavigateComplete2 once the navigation has completed and the document object exists,
//   while the document may still be downloading;
// - CommandStateChange for CSC_NAVIGATEBACK and CSC_NAVIGATEFORWARD when the history list
//   has changed the ability of GoBack and GoForward;
// - TitleChange when the document's title is known (HTML documents only);
// - each frame navigates as a browser of its own: BeforeNavigate2, NavigateComplete2 and
//   DocumentComplete with the frame's pDisp, different from the top browser's;
// - DownloadComplete, then the final DocumentComplete for the top document with the top
//   browser as pDisp, once every frame has loaded;
// - ProgressChange with Progress -1 once progress is complete.
std::vector<Step> LoadSteps(const Page& page);

// The back-and-forward list of visited pages and the position of the current one.
class History {
  public:
    struct Entry {
        std::wstring url;
        Page page;
    };
    enum class Move { New, Back, Forward };

    // A load committed: a new page drops the pages ahead of the current one.
    void Commit(Entry entry, Move move);
    bool CanGoBack() const { return position_ > 0; }
    bool CanGoForward() const { return position_ + 1 < static_cast<int>(entries_.size()); }
    // The entry a back or forward move would load; null when there is none.
    const Entry* Neighbour(Move move) const;

  private:
    std::vector<Entry> entries_;
    int position_ = -1;
};

}  // namespace kvt::engine
