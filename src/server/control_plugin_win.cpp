// IDvPlugin of the control object: arguments marshalled into the core's plug-in facade,
// results and errors back through the one COM error barrier.
#include <cstddef>

#include "com/bstr_win.h"
#include "com/com_error_win.h"
#include "com/out_param_win.h"
#include "com/variant_win.h"
#include "server/control_object_win.h"
#include "server/host_adapters_win.h"

namespace kvt::server {

// The host's record as a 32-bit host lays it out.
static_assert(sizeof(void*) != 4 ||
                  (sizeof(StockInfoRec) == 38 && offsetof(StockInfoRec, Text8) == 8 &&
                   offsetof(StockInfoRec, Text12) == 12 && offsetof(StockInfoRec, Text28) == 28 &&
                   offsetof(StockInfoRec, Text34) == 34),
              "StockInfoRec must be 38 packed bytes with its texts at 8, 12, 28 and 34");

HRESULT KvNewTavrixControl::InitPlugin(IUnknown* service, LONG reserved) noexcept {
    return com::ComCall([&] { return facade_->InitPlugin(HostServiceObject(service), reserved); });
}

HRESULT KvNewTavrixControl::ClosePlugin() noexcept {
    return com::ComCall([&] { return facade_->ClosePlugin(); });
}

HRESULT KvNewTavrixControl::Reserved3() noexcept {
    return com::ComCall([&] { return facade_->Reserved3(); });
}

HRESULT KvNewTavrixControl::ShowPlugin() noexcept {
    return com::ComCall([&] { return facade_->ShowPlugin(); });
}

HRESULT KvNewTavrixControl::HidePlugin() noexcept {
    return com::ComCall([&] { return facade_->HidePlugin(); });
}

HRESULT KvNewTavrixControl::Reserved6() noexcept {
    return com::ComCall([&] { return facade_->Reserved6(); });
}

HRESULT KvNewTavrixControl::Reserved7(LONG value) noexcept {
    return com::ComCall([&] { return facade_->Reserved7(value); });
}

HRESULT KvNewTavrixControl::QueryStockFlag(LONG value, StockInfoRec, VARIANT_BOOL* flag) noexcept {
    if (const HRESULT hr = com::RequirePointers(flag); FAILED(hr)) {
        return hr;
    }
    return com::ComCall([&] {
        bool answer = false;
        const CallResult result = facade_->QueryStockFlag(value, {}, answer);
        *flag = answer ? VARIANT_TRUE : VARIANT_FALSE;
        return result;
    });
}

HRESULT KvNewTavrixControl::QueryCount(LONG* count) noexcept {
    if (const HRESULT hr = com::RequirePointers(count); FAILED(hr)) {
        return hr;
    }
    return com::ComCall([&] {
        std::int32_t answer = 0;
        const CallResult result = facade_->QueryCount(answer);
        *count = answer;
        return result;
    });
}

HRESULT KvNewTavrixControl::Reserved10(LONG a, LONG b, LONG c) noexcept {
    return com::ComCall([&] { return facade_->Reserved10(a, b, c); });
}

HRESULT KvNewTavrixControl::Reserved11() noexcept {
    return com::ComCall([&] { return facade_->Reserved11(); });
}

HRESULT KvNewTavrixControl::Reserved12(LONG a, LONG b, LONG c) noexcept {
    return com::ComCall([&] { return facade_->Reserved12(a, b, c); });
}

// The record is an out argument: whatever its text fields held on the way in is not the
// control's to free, so they are only set to the empty text.
HRESULT KvNewTavrixControl::GetStockInfo(StockInfoRec* stock, LONG value) noexcept {
    if (const HRESULT hr = com::RequirePointers(stock); FAILED(hr)) {
        return hr;
    }
    return com::ComCall([&] {
        control::StockInfo info;
        const CallResult result = facade_->GetStockInfo(info, value);
        stock->Text8 = nullptr;
        stock->Text12 = nullptr;
        stock->Text28 = nullptr;
        stock->Text34 = nullptr;
        return result;
    });
}

HRESULT KvNewTavrixControl::Reserved14(LONG a, LONG b, VARIANT value) noexcept {
    return com::ComCall([&] { return facade_->Reserved14(a, b, com::FromVariantOrEmpty(value)); });
}

HRESULT KvNewTavrixControl::QueryObjects(IUnknown** first, IUnknown** second) noexcept {
    return com::ComCall([&] {
        Variant first_value;
        Variant second_value;
        const CallResult result = facade_->QueryObjects(
            first != nullptr ? &first_value : nullptr, second != nullptr ? &second_value : nullptr);
        com::ClearOuts(first, second);
        return result;
    });
}

HRESULT KvNewTavrixControl::ExecCommand(BSTR command, BSTR* reply) noexcept {
    if (const HRESULT hr = com::RequirePointers(reply); FAILED(hr)) {
        return hr;
    }
    *reply = nullptr;
    return com::ComCall([&] {
        WideString answer;
        const CallResult result = facade_->ExecCommand(com::Bstr::ToWide(command), answer);
        *reply = com::Bstr(answer).Detach();
        return result;
    });
}

}  // namespace kvt::server
