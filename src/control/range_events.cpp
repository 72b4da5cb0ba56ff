#include "control/range_events.h"

#include <utility>

namespace kvt::control {

class TDvRangeEvents::Dispatch final : public host::RangeEventsDispatch {
  public:
    explicit Dispatch(TDvRangeEvents* owner) : owner_(owner) {}

    void Cut() { owner_ = nullptr; }

    CallResult Invoke(std::int32_t dispatch_id, const std::vector<Variant>& arguments) override {
        return Guarded([&] {
            if (owner_ != nullptr) {
                owner_->DispatchEvent(dispatch_id, arguments);
            }
        });
    }

  private:
    TDvRangeEvents* owner_;
};

TDvRangeEvents::TDvRangeEvents() : dispatch_(std::make_shared<Dispatch>(this)) {}

TDvRangeEvents::~TDvRangeEvents() {
    DetachRanges();
    dispatch_->Cut();
}

std::shared_ptr<host::RangeEventsDispatch> TDvRangeEvents::Dispatcher() const {
    return dispatch_;
}

void TDvRangeEvents::AttachRanges(std::shared_ptr<host::Ranges> ranges) {
    DetachRanges();
    ranges_ = std::move(ranges);
    if (!ranges_) {
        return;
    }
    try {
        if (auto connection = ranges_->ChangeEvents()) {
            cookie_ = connection->Advise(dispatch_);
            connection_ = std::move(connection);
        }
    } catch (...) {
        // Without a connection the control works on, only without change notifications.
    }
}

void TDvRangeEvents::DetachRanges() {
    if (!ranges_) {
        return;
    }
    // The cookie belongs to the object being let go: it is dropped even when the
    // unadvise fails, so it can never be handed to the next object's connection point.
    const std::uint32_t cookie = std::exchange(cookie_, 0);
    const std::shared_ptr<host::RangeEventsConnection> connection = std::move(connection_);
    connection_.reset();
    ranges_.reset();
    if (cookie == 0 || !connection) {
        return;
    }
    try {
        connection->Unadvise(cookie);
    } catch (...) {
        // Nothing to recover: the host will stop calling once it drops the connection.
    }
}

void TDvRangeEvents::DispatchEvent(std::int32_t dispatch_id,
                                   const std::vector<Variant>& /*arguments*/) {
    if (dispatch_id != kRangeChangeDispatchId || !OnRangeChange) {
        return;
    }
    // A copy, so a handler that replaces or destroys this listener runs to its end.
    const std::function<void()> handler = OnRangeChange;
    handler();
}

}  // namespace kvt::control
