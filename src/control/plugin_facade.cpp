#include "control/plugin_facade.h"

#include <utility>

namespace kvt::control {

PluginFacade::PluginFacade(std::shared_ptr<TKvNewTavrix> control) : control_(std::move(control)) {}

CallResult PluginFacade::InitPlugin(const std::shared_ptr<host::ServiceObject>& service,
                                    std::int32_t /*ignored*/) {
    return Guarded([&] { control_->InitPlugin(service); });
}

CallResult PluginFacade::ClosePlugin() {
    return Guarded([&] { control_->ClosePlugin(); });
}

CallResult PluginFacade::Reserved3() {
    return {};
}

CallResult PluginFacade::ShowPlugin() {
    return Guarded([&] { control_->ShowPlugin(); });
}

CallResult PluginFacade::HidePlugin() {
    return Guarded([&] { control_->HidePlugin(); });
}

CallResult PluginFacade::Reserved6() {
    return {};
}

CallResult PluginFacade::Reserved7(std::int32_t /*value*/) {
    return {};
}

CallResult PluginFacade::QueryStockFlag(std::int32_t /*value*/, const StockInfo& /*stock*/,
                                        bool& flag) {
    flag = false;
    return {};
}

CallResult PluginFacade::QueryCount(std::int32_t& count) {
    count = 0;
    return {};
}

CallResult PluginFacade::Reserved10(std::int32_t /*a*/, std::int32_t /*b*/, std::int32_t /*c*/) {
    return {};
}

CallResult PluginFacade::Reserved11() {
    return {};
}

CallResult PluginFacade::Reserved12(std::int32_t /*a*/, std::int32_t /*b*/, std::int32_t /*c*/) {
    return {};
}

CallResult PluginFacade::GetStockInfo(StockInfo& stock, std::int32_t /*value*/) {
    for (WideString& text : stock.texts) {
        text.clear();
    }
    return {};
}

CallResult PluginFacade::Reserved14(std::int32_t /*a*/, std::int32_t /*b*/,
                                    const Variant& /*value*/) {
    return {};
}

CallResult PluginFacade::QueryObjects(Variant* first, Variant* second) {
    for (Variant* out : {first, second}) {
        if (out != nullptr) {
            *out = Variant();
        }
    }
    return {};
}

CallResult PluginFacade::ExecCommand(std::u16string_view command, WideString& reply) {
    reply.clear();
    return Guarded([&] { reply = control_->ExecCommand(command); });
}

}  // namespace kvt::control
