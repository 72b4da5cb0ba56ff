// TKvNewTavrix: construction, start-up, show and hide, history commands and shutdown.

#include "control/kvnewtavrix.h"

#include <utility>

#include "base/errors.h"
#include "control/content_request.h"
#include "settings/general_config.h"

namespace kvt::control {

namespace {

constexpr std::u16string_view kServerIPParam = u"ServerIP";
constexpr std::u16string_view kHtmlValidateParam = u"HtmlValidate";
constexpr std::u16string_view kGoBackCommand = u"GOTOBACK";
// Moves forward in the history, whatever the word suggests.
constexpr std::u16string_view kGoForwardCommand = u"GOTOPREV";
constexpr std::u16string_view kCommandDone = u"OK";

[[noreturn]] void InterfaceNotSupported() {
    throw Exception("Interface not supported");
}

[[noreturn]] void NotStarted() {
    throw Exception("The plug-in has not been started");
}

}  // namespace

std::shared_ptr<TKvNewTavrix> TKvNewTavrix::Create(ControlPorts ports) {
    if (!ports.form || !ports.browser || !ports.popups || ports.progress == nullptr) {
        throw Exception("The control needs a form, a browser, popups and a progress window");
    }
    auto control = std::make_shared<TKvNewTavrix>(Token{}, std::move(ports));
    control->ports_.browser->SetEvents(control->weak_from_this());
    return control;
}

TKvNewTavrix::TKvNewTavrix(Token, ControlPorts ports) : ports_(std::move(ports)) {}

TKvNewTavrix::~TKvNewTavrix() {
    // A control released without ClosePlugin lets go of the host it attached to the shared
    // store: the host belongs to this thread's apartment, which may end before the store.
    try {
        if (controller_ && settings::TGeneralConfig::Holds(controller_)) {
            settings::TGeneralConfig::SetHost(nullptr);
        }
    } catch (...) {
        // Detaching takes a lock and erases an entry; nothing of it may escape a destructor.
    }
}

host::Controller& TKvNewTavrix::Controller() {
    if (!controller_) {
        NotStarted();
    }
    return *controller_;
}

host::Ranges& TKvNewTavrix::Ranges() {
    if (!ranges_) {
        NotStarted();
    }
    return *ranges_;
}

settings::TKvTavrixConfig& TKvNewTavrix::Config() {
    if (!config_) {
        NotStarted();
    }
    return *config_;
}

StringList& TKvNewTavrix::Ids() {
    if (!sector_ids_) {
        NotStarted();
    }
    return *sector_ids_;
}

StringList& TKvNewTavrix::Names() {
    if (!sector_names_) {
        NotStarted();
    }
    return *sector_names_;
}

AnsiString TKvNewTavrix::LastSeleID() const {
    return config_ ? config_->LastSeleID : AnsiString();
}

void TKvNewTavrix::InitPlugin(const std::shared_ptr<host::ServiceObject>& service) {
    if (closed_) {
        throw Exception("The plug-in has been closed");
    }
    ui::ControlForm& form = *ports_.form;
    form.SetFrameBorderNone();
    form.SetResizeHandler([weak = weak_from_this()](int width, int height) {
        if (const auto self = weak.lock()) {
            self->ControlResized(width, height);
        }
    });
    if (form.Handle() != 0) {
        ports_.progress->AttachProgress(form.Handle());
    }

    need_reload_ = true;
    hidden_ = false;
    popup_.reset();
    sector_ids_ = std::make_unique<StringList>();
    sector_names_ = std::make_unique<StringList>();

    controller_ = service ? service->QueryController() : nullptr;
    if (!controller_) {
        InterfaceNotSupported();
    }
    form.SetApplicationOwner(controller_->MainHandle());
    server_ip_ = WideToAnsi(controller_->GetParam(kServerIPParam));
    content_url_ =
        ComposeContentURL(server_ip_, WideToAnsi(controller_->GetParam(kHtmlValidateParam)));

    settings::TGeneralConfig::SetHost(controller_);
    config_ = std::make_unique<settings::TKvTavrixConfig>();
    selection_made_ = false;
    settings_read_ =
        settings::TGeneralConfig::Instance().Load(settings::kKvTavrixConfigID, *config_);

    ranges_ = controller_->QueryRanges();
    if (!ranges_) {
        InterfaceNotSupported();
    }
    range_events_ = std::make_unique<TDvRangeEvents>();
    range_events_->OnRangeChange = [weak = weak_from_this()] {
        const auto self = weak.lock();
        if (self && !self->closed_) {
            self->RangesChanged();
        }
    };
    range_events_->AttachRanges(ranges_);

    BuildSectorLists();
    form.ProcessMessages();
}

void TKvNewTavrix::ShowPlugin() {
    if (closed_) {
        return;
    }
    hidden_ = false;
    ports_.browser->FocusDocument();
    if (const auto popup = popup_.lock()) {
        popup->BringToFront();
    }
    if (need_reload_) {
        RequestContent();
    }
}

void TKvNewTavrix::HidePlugin() {
    if (closed_) {
        return;
    }
    hidden_ = true;
}

WideString TKvNewTavrix::ExecCommand(std::u16string_view command) {
    if (closed_) {
        return {};
    }
    if (command == kGoBackCommand && can_go_back_) {
        ports_.browser->GoBack();
        return WideString(kCommandDone);
    }
    if (command == kGoForwardCommand && can_go_forward_) {
        ports_.browser->GoForward();
        return WideString(kCommandDone);
    }
    return {};
}

void TKvNewTavrix::ClosePlugin() {
    if (close_finished_) {
        return;
    }
    // From here on every late call and event is a no-op, including those that the steps
    // below trigger re-entrantly. Each step is done once; when one fails (the host refuses
    // the save), the close reports it and a later close goes on from that step.
    closed_ = true;
    SaveSelection();
    settings::TGeneralConfig::SetHost(nullptr);
    ports_.browser->Stop();
    sector_ids_.reset();
    sector_names_.reset();
    if (range_events_) {
        range_events_->DetachRanges();
    }
    ranges_.reset();
    controller_.reset();
    ports_.progress->FreeProgress();
    close_finished_ = true;
}

void TKvNewTavrix::SaveSelection() {
    if (selection_saved_ || !config_ || !controller_) {
        return;
    }
    // When start-up could not read the stored record, the record holds the initial values,
    // not what is stored: saving them would replace a stored selection this session never
    // saw. Only a selection made in this session is saved then.
    if (!settings_read_ && !selection_made_) {
        selection_saved_ = true;
        return;
    }
    // Another control of the thread may have closed and detached the shared store, or
    // attached its own host since: then this control's host takes it again (with its table
    // check) for the save. While the store holds this host, it saves at once.
    if (!settings::TGeneralConfig::Holds(controller_)) {
        settings::TGeneralConfig::SetHost(controller_);
    }
    settings::TGeneralConfig::Instance().Save(settings::kKvTavrixConfigID, *config_);
    selection_saved_ = true;
}

}  // namespace kvt::control
