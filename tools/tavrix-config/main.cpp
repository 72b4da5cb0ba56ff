// tavrix-config: reads and writes the control's settings record in a host database file.
//
//   tavrix-config init <db-file>              create a host database (file and table netSYSTEM)
//   tavrix-config get <db-file> [id]          print the JSON text stored under id
//   tavrix-config set <db-file> <LastSeleID>  store a fresh settings record with that LastSeleID
//
// get and set never create the database file. Exit status: 0 done, 1 failed (also when the
// printed text cannot be written), 2 usage.

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/errors.h"
#include "base/format.h"
#include "hosts/common/sqlite_database.h"
#include "hosts/common/substitute_controller.h"
#include "settings/general_config.h"
#include "settings/kvtavrix_config.h"
#include "settings/sql_literal.h"

namespace {

using kvt::hosts::OpenMode;
using kvt::hosts::SqliteDatabase;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// A failure already phrased for the user.
class ToolError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

int Usage() {
    std::fputs(
        "usage: tavrix-config init <db-file>\n"
        "       tavrix-config get <db-file> [id]\n"
        "       tavrix-config set <db-file> <LastSeleID>\n",
        stderr);
    return kExitUsage;
}

std::shared_ptr<SqliteDatabase> OpenExisting(const std::string& path) {
    try {
        return std::make_shared<SqliteDatabase>(path, OpenMode::ExistingOnly);
    } catch (const kvt::Exception& error) {
        throw ToolError(kvt::Format("no database file '%s' (%s)", path.c_str(), error.what()));
    }
}

// Writes `text` and a newline to standard output, flushed so that a write that fails is
// seen here rather than lost at exit.
void PrintLine(const std::string& text) {
    if (std::printf("%s\n", text.c_str()) < 0 || std::fflush(stdout) != 0) {
        throw ToolError("cannot write standard output");
    }
}

bool HasSettingsTable(SqliteDatabase& database) {
    const auto tables = database.OpenTableSchema();
    for (tables->MoveFirst(); !tables->Eof(); tables->MoveNext()) {
        if (tables->FieldValue(u"TABLE_TYPE").ToWide() == u"TABLE" &&
            kvt::SameTextAscii(tables->FieldValue(u"TABLE_NAME").ToWide(), u"GeneralConfig")) {
            return true;
        }
    }
    return false;
}

// Detaches the store from the tool's host however the command ends.
class HostAttachment {
  public:
    explicit HostAttachment(std::shared_ptr<kvt::host::Controller> host) {
        try {
            kvt::settings::TGeneralConfig::SetHost(std::move(host));
        } catch (...) {
            kvt::settings::TGeneralConfig::SetHost(nullptr);
            throw;
        }
    }
    ~HostAttachment() { kvt::settings::TGeneralConfig::SetHost(nullptr); }
    HostAttachment(const HostAttachment&) = delete;
    HostAttachment& operator=(const HostAttachment&) = delete;
};

int Init(const std::string& path) {
    SqliteDatabase(path, OpenMode::CreateIfMissing).CreateHostTables();
    return 0;
}

int Get(const std::string& path, std::string_view utf8_id) {
    const auto database = OpenExisting(path);
    if (!HasSettingsTable(*database)) {
        throw ToolError(kvt::Format("'%s' has no table GeneralConfig", path.c_str()));
    }
    const kvt::AnsiString id = kvt::Trim(kvt::AnsiFromUtf8(utf8_id));
    const kvt::AnsiString query =
        kvt::Format("select ConfigContent from GeneralConfig where ConfigID = '%s'",
                    kvt::settings::EscapeSqlLiteral(id).c_str());
    const auto records = database->OpenSQL(kvt::AnsiToWide(query));
    if (records->RecordCount() <= 0) {
        throw ToolError(kvt::Format("no settings stored under '%s'", std::string(utf8_id).c_str()));
    }
    const kvt::Variant content = records->FieldValue(0);
    const std::string text = content.IsNull() ? std::string() : kvt::WideToUtf8(content.ToWide());
    PrintLine(text);
    return 0;
}

int Set(const std::string& path, std::string_view utf8_value) {
    const auto database = OpenExisting(path);
    auto host = std::make_shared<kvt::hosts::SubstituteController>(database);
    std::optional<HostAttachment> attachment;
    try {
        attachment.emplace(std::move(host));
    } catch (const kvt::Exception& error) {
        throw ToolError(
            kvt::Format("'%s' is not a usable host database (%s)", path.c_str(), error.what()));
    }
    auto& store = kvt::settings::TGeneralConfig::Instance();
    kvt::settings::TKvTavrixConfig config;
    config.LastSeleID = kvt::AnsiFromUtf8(utf8_value);
    store.Save(kvt::settings::kKvTavrixConfigID, config);
    PrintLine(kvt::Utf8FromAnsi(config.ToJson()));
    return 0;
}

int Run(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    const std::string_view command = argv[1];
    const std::string path = argv[2];
    if (command == "init" && argc == 3) {
        return Init(path);
    }
    if (command == "get" && (argc == 3 || argc == 4)) {
        return Get(path, argc == 4 ? argv[3] : kvt::settings::kKvTavrixConfigID);
    }
    if (command == "set" && argc == 4) {
        return Set(path, argv[3]);
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tavrix-config: %s\n", error.what());
        return kExitFailed;
    }
}
