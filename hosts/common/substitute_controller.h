#pragma once
// Host services over a substitute database: OpenSQL and ExecSQL go to the database; the
// other services answer from values set beforehand and record what they were asked.

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "control/host_ports.h"
#include "hosts/common/host_database.h"

namespace kvt::hosts {

class SubstituteController : public host::Controller {
  public:
    explicit SubstituteController(std::shared_ptr<HostDatabase> database);

    std::int32_t MainHandle() override;
    void OpenModule(std::u16string_view prog_id, std::u16string_view parameter) override;
    std::shared_ptr<host::Ranges> QueryRanges() override;
    void HandleKey(std::int32_t key) override;
    std::unique_ptr<host::Recordset> OpenSQL(std::u16string_view sql) override;
    std::int32_t ExecSQL(std::u16string_view sql) override;
    // A parameter never set reads as the empty text.
    WideString GetParam(std::u16string_view name) override;

    void SetMainHandle(std::int32_t handle) { main_handle_ = handle; }
    void SetRanges(std::shared_ptr<host::Ranges> ranges) { ranges_ = std::move(ranges); }
    void SetParam(WideString name, WideString value);

    const std::vector<std::pair<WideString, WideString>>& OpenedModules() const {
        return opened_modules_;
    }
    const std::vector<std::int32_t>& HandledKeys() const { return handled_keys_; }
    HostDatabase& Database() { return *database_; }

  private:
    std::shared_ptr<HostDatabase> database_;
    std::shared_ptr<host::Ranges> ranges_;
    std::map<WideString, WideString, std::less<>> params_;
    std::vector<std::pair<WideString, WideString>> opened_modules_;
    std::vector<std::int32_t> handled_keys_;
    std::int32_t main_handle_ = 0;
};

}  // namespace kvt::hosts
