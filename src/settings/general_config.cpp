#include "settings/general_config.h"

#include <utility>

#include "base/errors.h"
#include "base/format.h"
#include "settings/sql_literal.h"

namespace kvt::settings {
namespace {

constexpr const char* kTableName = "GeneralConfig";
constexpr const char* kCreateTable =
    "Create Table GeneralConfig (ConfigID CHAR(50), ConfigContent TEXT)";
// Any query on the host's own table yields a recordset on the host's connection, through
// which the table listing is reached.
constexpr const char* kHostTableQuery = "select IValue from netSYSTEM";

// Text arguments go into single-quoted literals; a quote inside them must not end one.
AnsiString Literal(std::string_view text) {
    return EscapeSqlLiteral(Trim(text));
}

// A listing cell compared as text; a null cell matches nothing.
bool CellIs(const Variant& cell, std::string_view wanted, bool ignore_case) {
    if (cell.IsNull() || cell.IsEmpty()) {
        return false;
    }
    const AnsiString text = cell.ToAnsi();
    return ignore_case ? SameTextAscii(text, wanted) : text == wanted;
}

}  // namespace

TGeneralConfig& TGeneralConfig::Instance() {
    static TGeneralConfig store;
    return store;
}

void TGeneralConfig::SetHost(std::shared_ptr<host::Controller> host) {
    TGeneralConfig& store = Instance();
    std::shared_ptr<host::Controller> previous;  // let go outside the lock
    {
        const std::lock_guard lock(store.mutex_);
        auto& slot = store.hosts_[std::this_thread::get_id()];
        previous = std::exchange(slot, host);
        if (!host) {
            store.hosts_.erase(std::this_thread::get_id());
        }
    }
    if (host) {
        store.EnsureTable();
    }
}

std::shared_ptr<host::Controller> TGeneralConfig::Host() const {
    const std::lock_guard lock(mutex_);
    const auto found = hosts_.find(std::this_thread::get_id());
    return found != hosts_.end() ? found->second : nullptr;
}

bool TGeneralConfig::Load(std::string_view config_id, TSerialization& object) {
    const std::optional<AnsiString> content = ReadContent(config_id);
    if (!content) {
        return false;
    }
    object.FromJson(*content);
    return true;
}

void TGeneralConfig::Save(std::string_view config_id, const TSerialization& object) {
    WriteContent(config_id, object.ToJson());
}

void TGeneralConfig::EnsureTable() {
    if (!TableExists(kTableName)) {
        Execute(kCreateTable);
    }
}

bool TGeneralConfig::TableExists(std::string_view table_name) {
    const auto probe = Host()->OpenSQL(AnsiToWide(kHostTableQuery));
    if (!probe) {
        throw Exception("The host returned no recordset for its own table netSYSTEM");
    }
    const auto tables = probe->OpenTableSchema();
    if (!tables) {
        throw Exception("The host database returned no table listing");
    }
    for (tables->MoveFirst(); !tables->Eof(); tables->MoveNext()) {
        if (CellIs(tables->FieldValue(u"TABLE_TYPE"), "TABLE", false) &&
            CellIs(tables->FieldValue(u"TABLE_NAME"), table_name, true)) {
            return true;
        }
    }
    return false;
}

// The first column of the first row, or null when there is none; nullopt when there is no
// host or anything fails, so the answer is unknown.
std::optional<Variant> TGeneralConfig::QueryValue(const AnsiString& statement) noexcept {
    try {
        const auto host = Host();
        if (!host) {
            return std::nullopt;
        }
        const auto records = host->OpenSQL(AnsiToWide(statement));
        if (!records) {
            return std::nullopt;
        }
        // A RecordCount of -1 means the cursor cannot tell; that reads as no row.
        if (records->RecordCount() > 0 && records->FieldCount() > 0) {
            return records->FieldValue(0);
        }
        return Variant::Null();
    } catch (...) {
        // Reading settings is never fatal: the caller keeps its current values.
        return std::nullopt;
    }
}

std::int32_t TGeneralConfig::Execute(const AnsiString& statement) {
    const auto host = Host();
    if (!host) {
        throw Exception("Cannot save settings: the settings store has no host database");
    }
    return host->ExecSQL(AnsiToWide(statement));
}

// The stored text, empty when there is no row or the cell holds no text; nullopt when the
// database could not be asked.
std::optional<AnsiString> TGeneralConfig::ReadContent(std::string_view config_id) {
    const std::optional<Variant> content =
        QueryValue(Format("select ConfigContent from GeneralConfig where ConfigID = '%s'",
                          Literal(config_id).c_str()));
    if (!content) {
        return std::nullopt;
    }
    if (content->IsNull() || content->IsEmpty()) {
        return AnsiString();
    }
    try {
        return content->ToAnsi();
    } catch (const Exception&) {
        return AnsiString();  // a cell that is not text (a blob) holds no settings
    }
}

void TGeneralConfig::WriteContent(std::string_view config_id, std::string_view text) {
    const AnsiString id = Literal(config_id);
    Execute(Format("delete from GeneralConfig where ConfigID='%s'", id.c_str()));
    Execute(Format("insert into GeneralConfig (ConfigID, ConfigContent) values ('%s', '%s')",
                   id.c_str(), Literal(text).c_str()));
}

}  // namespace kvt::settings
