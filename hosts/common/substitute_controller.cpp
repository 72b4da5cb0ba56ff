#include "hosts/common/substitute_controller.h"

namespace kvt::hosts {

SubstituteController::SubstituteController(std::shared_ptr<HostDatabase> database)
    : database_(std::move(database)) {}

std::int32_t SubstituteController::MainHandle() {
    return main_handle_;
}

void SubstituteController::OpenModule(std::u16string_view prog_id, std::u16string_view parameter) {
    opened_modules_.emplace_back(WideString(prog_id), WideString(parameter));
}

std::shared_ptr<host::Ranges> SubstituteController::QueryRanges() {
    return ranges_;
}

void SubstituteController::HandleKey(std::int32_t key) {
    handled_keys_.push_back(key);
}

std::unique_ptr<host::Recordset> SubstituteController::OpenSQL(std::u16string_view sql) {
    return database_->OpenSQL(sql);
}

std::int32_t SubstituteController::ExecSQL(std::u16string_view sql) {
    return database_->ExecSQL(sql);
}

WideString SubstituteController::GetParam(std::u16string_view name) {
    const auto found = params_.find(name);
    return found != params_.end() ? found->second : WideString();
}

void SubstituteController::SetParam(WideString name, WideString value) {
    params_.insert_or_assign(std::move(name), std::move(value));
}

}  // namespace kvt::hosts
