#pragma once
// One control wired to a fake host, browser, form, popups and its own progress window,
// with the settings store on a host database in memory (see host_database.h).

#include <memory>
#include <string>

#include "control/kvnewtavrix.h"
#include "control/plugin_facade.h"
#include "fakes/fake_browser.h"
#include "fakes/fake_host.h"
#include "fakes/fake_windows.h"
#include "hosts/common/host_database.h"
#include "hosts/common/service_object.h"
#include "ui/load_progress.h"

namespace kvt::fakes {

class ControlHarness {
  public:
    // root [Bank 101 (code 0065), Steel 102 (code 1A2B)]
    static std::shared_ptr<FakeRangeItem> DefaultTree();

    explicit ControlHarness(std::shared_ptr<FakeRangeItem> root = DefaultTree(),
                            std::shared_ptr<hosts::HostDatabase> database = nullptr,
                            ui::LoadProgress* shared_progress = nullptr);
    ~ControlHarness();

    CallResult Init() { return facade.InitPlugin(service, 0); }
    // Init and the first show; the journal and the browser's record start empty after.
    void Start();

    // The settings row's LastSeleID, or nullopt without a row.
    std::optional<std::string> StoredLastSeleID();
    void StoreLastSeleID(const std::string& value);

    Journal journal;
    Faults host_faults;
    MessageQueue queue;
    std::shared_ptr<hosts::HostDatabase> database;
    std::shared_ptr<FakeRanges> ranges;
    std::shared_ptr<FakeController> controller;
    std::shared_ptr<hosts::ServiceObject> service;
    std::shared_ptr<FakeProgressPlatform> progress_platform;
    ui::LoadProgress own_progress;
    std::shared_ptr<FakeForm> form;
    std::shared_ptr<FakeBrowser> browser;
    std::shared_ptr<FakePopupFactory> popups;
    std::shared_ptr<control::TKvNewTavrix> control;
    std::unique_ptr<control::PluginFacade> facade_holder;
    control::PluginFacade& facade;
};

}  // namespace kvt::fakes
