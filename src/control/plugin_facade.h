#pragma once
// The host's plug-in interface, operation by operation in the interface's order. Every
// operation catches everything and answers with an HRESULT-like result and the error's
// message (CallResult); out arguments are written before it returns. A COM back end only
// marshals arguments and sets the thread's error information from the message.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "base/call_result.h"
#include "base/text.h"
#include "base/variant.h"
#include "control/host_ports.h"
#include "control/kvnewtavrix.h"

namespace kvt::control {

// The host's stock record: 38 packed bytes, wide-text fields at these byte offsets; the
// other bytes are plain data the control never reads.
inline constexpr std::size_t kStockInfoSize = 38;
inline constexpr std::array<std::size_t, 4> kStockInfoTextOffsets = {8, 12, 28, 34};

struct StockInfo {
    std::array<WideString, kStockInfoTextOffsets.size()> texts;
};

class PluginFacade {
  public:
    explicit PluginFacade(std::shared_ptr<TKvNewTavrix> control);

    // 1. Start-up; the second argument is ignored.
    CallResult InitPlugin(const std::shared_ptr<host::ServiceObject>& service,
                          std::int32_t ignored);
    // 2.
    CallResult ClosePlugin();
    // 3., 6., 7.: accepted and ignored.
    CallResult Reserved3();
    // 4.
    CallResult ShowPlugin();
    // 5.
    CallResult HidePlugin();
    CallResult Reserved6();
    CallResult Reserved7(std::int32_t value);
    // 8. Answers false for every stock.
    CallResult QueryStockFlag(std::int32_t value, const StockInfo& stock, bool& flag);
    // 9. Answers 0.
    CallResult QueryCount(std::int32_t& count);
    // 10., 11., 12.: accepted and ignored.
    CallResult Reserved10(std::int32_t a, std::int32_t b, std::int32_t c);
    CallResult Reserved11();
    CallResult Reserved12(std::int32_t a, std::int32_t b, std::int32_t c);
    // 13. Empties the record's text fields; the value is ignored.
    CallResult GetStockInfo(StockInfo& stock, std::int32_t value);
    // 14. Accepted and ignored.
    CallResult Reserved14(std::int32_t a, std::int32_t b, const Variant& value);
    // 15. Answers two empty references; a null argument is skipped.
    CallResult QueryObjects(Variant* first, Variant* second);
    // 16. History navigation: "GOTOBACK" goes back, "GOTOPREV" forward, each answered
    // "OK" when the history allows it; anything else answers empty text.
    CallResult ExecCommand(std::u16string_view command, WideString& reply);

    const std::shared_ptr<TKvNewTavrix>& Control() const { return control_; }

  private:
    std::shared_ptr<TKvNewTavrix> control_;
};

}  // namespace kvt::control
