#pragma once
// TDvRangeEvents: the control's listener on the host's range object. It advises its
// dispatcher on the object's connection point, turns each change event (dispatch id 201)
// into one call of OnRangeChange, and detaches on demand. The connection point's wire
// mechanics are the back end's; the rules are here.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/variant.h"
#include "control/host_ports.h"

namespace kvt::control {

inline constexpr std::int32_t kRangeChangeDispatchId = 201;

class TDvRangeEvents {
  public:
    TDvRangeEvents();
    TDvRangeEvents(const TDvRangeEvents&) = delete;
    TDvRangeEvents& operator=(const TDvRangeEvents&) = delete;
    // Detaches, and cuts the dispatcher's link, so calls that still reach the dispatcher
    // find no listener.
    ~TDvRangeEvents();

    // Detaches first, keeps `ranges` and advises the dispatcher on its change events.
    // Advising fails silently: the object stays held and no events come.
    void AttachRanges(std::shared_ptr<host::Ranges> ranges);

    // Unadvises on the connection point it advised on (failures are silent) and lets go of
    // the range object. Does nothing on a detached listener.
    void DetachRanges();

    // Calls OnRangeChange once for dispatch id 201; every other id is ignored.
    void DispatchEvent(std::int32_t dispatch_id, const std::vector<Variant>& arguments);

    const std::shared_ptr<host::Ranges>& Ranges() const { return ranges_; }
    bool Advised() const { return cookie_ != 0; }
    // What a back end advises on a connection point on this listener's behalf.
    std::shared_ptr<host::RangeEventsDispatch> Dispatcher() const;

    std::function<void()> OnRangeChange;

  private:
    class Dispatch;

    std::shared_ptr<Dispatch> dispatch_;
    std::shared_ptr<host::Ranges> ranges_;
    // The connection point the dispatcher is advised on, held while it is: the unadvise
    // goes to it without asking the range object again, which could fail and leave the
    // dispatcher advised for good.
    std::shared_ptr<host::RangeEventsConnection> connection_;
    std::uint32_t cookie_ = 0;
};

}  // namespace kvt::control
