#include "hosts/demo/demo_host.h"

#include <cstdlib>
#include <filesystem>

#include "base/errors.h"
#include "base/text.h"

namespace kvt::demo {

namespace {

constexpr const char* kUsage =
    "usage: kvt_demo [--db FILE] [--server HOST:PORT] [--screenshot FILE]";

}  // namespace

DemoOptions ParseDemoOptions(const std::vector<std::string>& arguments) {
    DemoOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        std::string* target = nullptr;
        if (name == "--db") {
            target = &options.database;
        } else if (name == "--server") {
            target = &options.server;
        } else if (name == "--screenshot") {
            target = &options.screenshot;
        }
        if (target == nullptr || i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            throw Exception(kUsage);
        }
        *target = arguments[++i];
    }
    return options;
}

std::string DefaultDatabasePath() {
    std::filesystem::path folder;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
        folder = data;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folder = std::filesystem::path(home) / ".local" / "share";
    } else {
        folder = std::filesystem::temp_directory_path();
    }
    folder /= "KvNewTavrix";
    std::filesystem::create_directories(folder);
    return (folder / "demo.sqlite").string();
}

DemoController::DemoController(std::shared_ptr<hosts::SqliteDatabase> database,
                               std::shared_ptr<SectorTree> sectors,
                               const std::string& server_address)
    : SubstituteController(std::move(database)) {
    SetRanges(std::move(sectors));
    SetParam(u"ServerIP", Utf8ToWide(server_address));
    SetParam(u"HtmlValidate", WideString(kDemoHtmlValidate));
}

void DemoController::OpenModule(std::u16string_view prog_id, std::u16string_view parameter) {
    SubstituteController::OpenModule(prog_id, parameter);
    Status(u"OpenModule(" + std::u16string(prog_id) + u", " + std::u16string(parameter) + u")");
}

void DemoController::HandleKey(std::int32_t key) {
    SubstituteController::HandleKey(key);
    Status(u"HandleKey(" + Utf8ToWide(std::to_string(key)) + u")");
}

void DemoController::Status(const std::u16string& text) {
    if (status_) {
        status_(text);
    }
}

std::shared_ptr<hosts::SqliteDatabase> OpenHostDatabase(const std::string& path) {
    auto database = std::make_shared<hosts::SqliteDatabase>(path, hosts::OpenMode::CreateIfMissing);
    database->CreateHostTables();
    return database;
}

}  // namespace kvt::demo
