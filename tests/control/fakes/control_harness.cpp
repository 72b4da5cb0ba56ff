#include "fakes/control_harness.h"

#include "fakes/host_database.h"
#include "settings/general_config.h"
#include "settings/kvtavrix_config.h"

namespace kvt::fakes {

namespace {

std::shared_ptr<hosts::HostDatabase> DatabaseWithHostTables() {
    auto database = NewHostDatabase();
    database->CreateHostTables();
    return database;
}

control::ControlPorts Ports(ControlHarness& harness, ui::LoadProgress* shared_progress) {
    control::ControlPorts ports;
    ports.form = harness.form;
    ports.browser = harness.browser;
    ports.popups = harness.popups;
    ports.progress = shared_progress != nullptr ? shared_progress : &harness.own_progress;
    return ports;
}

}  // namespace

std::shared_ptr<FakeRangeItem> ControlHarness::DefaultTree() {
    return FakeRangeItem::Group("root", {FakeRangeItem::Sector("101", "Bank", "0065"),
                                         FakeRangeItem::Sector("102", "Steel", "1A2B")});
}

ControlHarness::ControlHarness(std::shared_ptr<FakeRangeItem> root,
                               std::shared_ptr<hosts::HostDatabase> db,
                               ui::LoadProgress* shared_progress)
    : database(db ? std::move(db) : DatabaseWithHostTables()),
      ranges(std::make_shared<FakeRanges>(HostContext{&journal, &host_faults})),
      controller(
          std::make_shared<FakeController>(HostContext{&journal, &host_faults}, database, ranges)),
      service(std::make_shared<hosts::ServiceObject>(controller)),
      progress_platform(std::make_shared<FakeProgressPlatform>(journal, queue)),
      own_progress(progress_platform),
      form(std::make_shared<FakeForm>(journal, queue)),
      browser(std::make_shared<FakeBrowser>(journal)),
      popups(std::make_shared<FakePopupFactory>(journal)),
      control(control::TKvNewTavrix::Create(Ports(*this, shared_progress))),
      facade_holder(std::make_unique<control::PluginFacade>(control)),
      facade(*facade_holder) {
    ranges->SetRoot(std::move(root));
    controller->SetParam(u"ServerIP", u"10.0.0.5:8080");
    controller->SetParam(u"HtmlValidate", u"v=abc&u=7");
}

ControlHarness::~ControlHarness() {
    settings::TGeneralConfig::SetHost(nullptr);
}

void ControlHarness::Start() {
    const auto init = Init();
    if (!init.Ok()) {
        throw Exception("Init failed: " + init.message);
    }
    const auto show = facade.ShowPlugin();
    if (!show.Ok()) {
        throw Exception("Show failed: " + show.message);
    }
    journal.Clear();
    browser->navigations.clear();
}

std::optional<std::string> ControlHarness::StoredLastSeleID() {
    const auto records = database->OpenSQL(
        u"select ConfigContent from GeneralConfig where ConfigID = 'KvTavrix2009'");
    if (records->Eof()) {
        return std::nullopt;
    }
    settings::TKvTavrixConfig config;
    config.FromJson(records->FieldValue(0).ToAnsi());
    return config.LastSeleID;
}

void ControlHarness::StoreLastSeleID(const std::string& value) {
    settings::TGeneralConfig::SetHost(controller);
    settings::TKvTavrixConfig config;
    config.LastSeleID = value;
    settings::TGeneralConfig::Instance().Save(settings::kKvTavrixConfigID, config);
    settings::TGeneralConfig::SetHost(nullptr);
    journal.Clear();
}

}  // namespace kvt::fakes
