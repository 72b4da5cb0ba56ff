// TKvNewTavrix: the browser's events, the page commands, popups and resizing.

#include <utility>

#include "control/jump_command.h"
#include "control/kvnewtavrix.h"
#include "control/page_commands.h"
#include "control/progress_percent.h"
#include "control/range_ref.h"

namespace kvt::control {

template <typename Body>
CallResult TKvNewTavrix::OnEvent(Body&& body) {
    if (closed_) {
        return {};
    }
    CallResult result = Guarded(std::forward<Body>(body));
    if (!result.Ok()) {
        last_event_error_ = result;
    }
    return result;
}

bool TKvNewTavrix::ProgressInsideThisControl() {
    const ui::WindowHandle own = ports_.form->Handle();
    if (own == 0) {
        return false;
    }
    if (!ports_.progress->HasWindow()) {
        ports_.progress->AttachProgress(own);
    }
    return true;
}

void TKvNewTavrix::ControlResized(int width, int height) {
    OnEvent([&] {
        if (ProgressInsideThisControl()) {
            ports_.progress->CenterProgress(width, height);
        }
    });
}

CallResult TKvNewTavrix::BeforeNavigate2(BeforeNavigate& event) {
    return OnEvent([&] {
        if (RewriteRangeRef(event.url)) {
            event.cancel = true;
            ports_.browser->Navigate(event.url.ToWide(), Variant(), Variant(), Variant(),
                                     Variant());
            if (closed_) {
                return;  // closed by an event of the re-navigation
            }
        }
        const TJumpCommand command = ParseJumpCommand(event.url.ToAnsi());
        const PageCommand action = ClassifyCommand(command.Command);
        if (action == PageCommand::None) {
            if (ProgressInsideThisControl()) {
                ports_.progress->StartProgress();
            }
            return;
        }
        if (CancelsNavigation(action)) {
            event.cancel = true;
        }
        switch (action) {
            case PageCommand::Key:
                Controller().HandleKey(KeyCodeOf(command.Param1));
                break;
            case PageCommand::SelectID:
                cur_sector_id_ = command.Param1;
                Config().LastSeleID = command.Param2;
                selection_made_ = true;
                RequestContent();
                break;
            case PageCommand::CallUds:
                Controller().OpenModule(kRangeModuleProgID, kRangeModuleParameter);
                ports_.browser->FocusDocument();
                break;
            case PageCommand::Refresh:
                RequestContent();
                break;
            case PageCommand::CallUdr:
            case PageCommand::Unknown:
            case PageCommand::None:
                break;
        }
    });
}

bool TKvNewTavrix::RewriteRangeRef(Variant& url) {
    const WideString text = url.ToWide();
    const auto first = FindRangeRef(text);
    if (!first) {
        return false;
    }
    const std::shared_ptr<host::RangeItem> sector = Ranges().FindRange(first->id);
    if (!sector) {
        return false;
    }
    const WideString replacement = u"0X" + sector->Code();
    url = Variant(ReplaceRangeRefs(text, replacement));
    return true;
}

CallResult TKvNewTavrix::NewWindow2(NewWindow& event) {
    const CallResult result = OnEvent([&] {
        const std::shared_ptr<ui::PopupWindow> popup =
            ports_.popups->CreatePopup([weak = weak_from_this()] {
                if (const auto self = weak.lock()) {
                    self->PopupClosed();
                }
            });
        if (!popup) {
            throw Exception("The popup window could not be created");
        }
        try {
            event.window = popup->BrowserApplication();
        } catch (...) {
            // The engine gets no window: a popup left behind would still show itself.
            popup->Discard();
            throw;
        }
        popup_ = popup;
    });
    if (!result.Ok()) {
        // Without a popup of ours the engine would open a browser window of its own,
        // outside the host.
        event.window.reset();
        event.cancel = true;
    }
    return result;
}

void TKvNewTavrix::PopupClosed() {
    popup_.reset();
    OnEvent([&] { ports_.browser->FocusDocument(); });
}

CallResult TKvNewTavrix::NavigateComplete2(const Variant& /*url*/) {
    return OnEvent([&] { ports_.browser->FocusDocument(); });
}

CallResult TKvNewTavrix::DocumentComplete(const Variant& /*url*/) {
    return OnEvent([&] {
        ports_.progress->FinishProgress();
        ports_.browser->FocusDocument();
    });
}

CallResult TKvNewTavrix::ProgressChange(std::int32_t progress, std::int32_t progress_max) {
    return OnEvent([&] { ports_.progress->SetProgress(ProgressPercent(progress, progress_max)); });
}

CallResult TKvNewTavrix::CommandStateChange(std::int32_t command, bool enable) {
    return OnEvent([&] {
        if (command == browser::kCommandNavigateForward) {
            can_go_forward_ = enable;
        } else if (command == browser::kCommandNavigateBack) {
            can_go_back_ = enable;
        }
    });
}

}  // namespace kvt::control
