#pragma once
// A scriptable browser engine: records every call and lets a test fire its events.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/browser_port.h"
#include "fakes/journal.h"

namespace kvt::fakes {

struct NavigateCall {
    std::string url;  // UTF-8
    Variant flags;
    Variant target_frame_name;
    Variant post_data;
    Variant headers;

    std::string PostBody() const {
        const auto& bytes = post_data.ToBytes();
        return std::string(bytes.begin(), bytes.end());
    }
};

class FakeBrowser : public browser::Browser {
  public:
    explicit FakeBrowser(Journal& journal) : journal_(journal) {}

    void Navigate(const WideString& url, const Variant& flags, const Variant& target_frame_name,
                  const Variant& post_data, const Variant& headers) override {
        journal_.Add("Navigate " + WideToUtf8(url));
        faults.Check("Navigate");
        navigations.push_back({WideToUtf8(url), flags, target_frame_name, post_data, headers});
        if (on_navigate) {
            on_navigate(navigations.back());
        }
    }
    void GoBack() override { Record("GoBack"); }
    void GoForward() override { Record("GoForward"); }
    void Stop() override { Record("Stop"); }
    void FocusDocument() override { Record("FocusDocument"); }
    void SetEvents(std::weak_ptr<browser::BrowserEvents> events) override { events_ = events; }

    // Event firing; an event whose handler is gone is dropped, as a back end does.
    struct Navigation {
        bool cancel = false;
        CallResult result;
    };
    Navigation FireBeforeNavigate(const std::string& url_utf8) {
        browser::BrowserEvents::BeforeNavigate event;
        event.url = Variant(Utf8ToWide(url_utf8));
        Navigation navigation;
        if (const auto events = events_.lock()) {
            navigation.result = events->BeforeNavigate2(event);
        }
        navigation.cancel = event.cancel;
        return navigation;
    }
    CallResult FireNewWindow(std::shared_ptr<InterfaceBase>& window, bool* cancel = nullptr) {
        browser::BrowserEvents::NewWindow event;
        CallResult result;
        if (const auto events = events_.lock()) {
            result = events->NewWindow2(event);
        }
        window = event.window;
        if (cancel != nullptr) {
            *cancel = event.cancel;
        }
        return result;
    }
    CallResult FireProgress(std::int32_t progress, std::int32_t progress_max) {
        return Fire([&](auto& e) { return e.ProgressChange(progress, progress_max); });
    }
    CallResult FireNavigateComplete() {
        return Fire([&](auto& e) { return e.NavigateComplete2(Variant()); });
    }
    CallResult FireDocumentComplete() {
        return Fire([&](auto& e) { return e.DocumentComplete(Variant()); });
    }
    CallResult FireCommandState(std::int32_t command, bool enable) {
        return Fire([&](auto& e) { return e.CommandStateChange(command, enable); });
    }

    std::vector<NavigateCall> navigations;
    // Runs inside Navigate, for engines that report a navigation synchronously.
    std::function<void(const NavigateCall&)> on_navigate;
    Faults faults;

  private:
    void Record(const std::string& call) {
        journal_.Add(call);
        faults.Check(call);
    }

    template <typename Call>
    CallResult Fire(Call&& call) {
        if (const auto events = events_.lock()) {
            return call(*events);
        }
        return {};
    }

    Journal& journal_;
    std::weak_ptr<browser::BrowserEvents> events_;
};

}  // namespace kvt::fakes
