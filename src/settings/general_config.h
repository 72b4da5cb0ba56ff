#pragma once
// The settings store: settings objects kept as JSON text in the host's database, one row
// per configuration identifier in the table GeneralConfig. Every statement goes through
// the host's services; the store opens no database of its own.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "base/text.h"
#include "base/variant.h"
#include "control/host_ports.h"
#include "settings/serialization.h"

namespace kvt::settings {

class TGeneralConfig {
  public:
    TGeneralConfig(const TGeneralConfig&) = delete;
    TGeneralConfig& operator=(const TGeneralConfig&) = delete;

    // The one store of the process, created on first use; every control shares it. The host
    // is attached per thread: a host's interfaces may only be called on the thread (the
    // apartment) that handed them over, so each thread's controls use their own host.
    static TGeneralConfig& Instance();

    // Attaches `host` to the calling thread (replacing the previous one) and creates the
    // table when it is missing; nullptr detaches. Failures of the table test and creation
    // propagate, among them a host database without its table netSYSTEM.
    static void SetHost(std::shared_ptr<host::Controller> host);
    // True while `host` is the one attached on the calling thread.
    static bool Holds(const std::shared_ptr<host::Controller>& host) {
        return host != nullptr && Instance().Host() == host;
    }

    // Fills `object` from the text stored under `config_id`. Reading never reports a
    // database error: without a host, a row or readable content nothing changes. Errors
    // of FromJson propagate. Answers false when the stored text could not be read (no
    // host, or a failing query), so the caller does not know what is stored; true when
    // the database answered, with a row or without one.
    bool Load(std::string_view config_id, TSerialization& object);

    // Replaces the row of `config_id` with the object's JSON text. Fails without a host
    // and on every failed statement; when the insert fails after the delete, the
    // identifier has no row until the next successful save.
    void Save(std::string_view config_id, const TSerialization& object);

  private:
    TGeneralConfig() = default;

    void EnsureTable();
    bool TableExists(std::string_view table_name);
    std::optional<Variant> QueryValue(const AnsiString& statement) noexcept;
    std::int32_t Execute(const AnsiString& statement);
    std::optional<AnsiString> ReadContent(std::string_view config_id);
    void WriteContent(std::string_view config_id, std::string_view text);

    // The host attached on the calling thread, if any.
    std::shared_ptr<host::Controller> Host() const;

    mutable std::mutex mutex_;
    std::map<std::thread::id, std::shared_ptr<host::Controller>> hosts_;
};

}  // namespace kvt::settings
