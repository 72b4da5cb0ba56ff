#pragma once
// The demo terminal's host services on real parts: its own parameters, a SQLite database
// file, the sector tree, and a status line for what the control asked of the host.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/host_ports.h"
#include "hosts/common/sqlite_database.h"
#include "hosts/common/substitute_controller.h"
#include "hosts/demo/sector_tree.h"

namespace kvt::demo {

struct DemoOptions {
    std::string database;    // empty: the default file in the user's data folder
    std::string server;      // empty: the demo's own content server
    std::string screenshot;  // empty: run interactively
};

// Reads --db FILE, --server HOST:PORT and --screenshot FILE. Raises Exception with a usage
// message on anything else or on a missing value.
DemoOptions ParseDemoOptions(const std::vector<std::string>& arguments);

// $XDG_DATA_HOME/KvNewTavrix/demo.sqlite, else ~/.local/share/KvNewTavrix/demo.sqlite; the
// folder is created.
std::string DefaultDatabasePath();

// The validation text the demo hands to the control.
inline constexpr std::u16string_view kDemoHtmlValidate = u"user=demo&sign=7f3a";

// OpenModule and HandleKey are recorded and shown on the status line.
class DemoController final : public hosts::SubstituteController {
  public:
    using StatusSink = std::function<void(const std::u16string& text)>;

    DemoController(std::shared_ptr<hosts::SqliteDatabase> database,
                   std::shared_ptr<SectorTree> sectors, const std::string& server_address);

    void OpenModule(std::u16string_view prog_id, std::u16string_view parameter) override;
    void HandleKey(std::int32_t key) override;

    void SetStatusSink(StatusSink sink) { status_ = std::move(sink); }

  private:
    void Status(const std::u16string& text);

    StatusSink status_;
};

// Opens (creating when missing) the host database with its own table netSYSTEM.
std::shared_ptr<hosts::SqliteDatabase> OpenHostDatabase(const std::string& path);

}  // namespace kvt::demo
