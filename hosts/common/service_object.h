#pragma once
// The service object a substitute host hands to the control at start-up.

#include <memory>
#include <utility>

#include "control/host_ports.h"

namespace kvt::hosts {

// Gives out the controller it was made with; nullptr stands for a service object that
// provides none.
class ServiceObject final : public host::ServiceObject {
  public:
    explicit ServiceObject(std::shared_ptr<host::Controller> controller)
        : controller_(std::move(controller)) {}
    std::shared_ptr<host::Controller> QueryController() override { return controller_; }

  private:
    std::shared_ptr<host::Controller> controller_;
};

}  // namespace kvt::hosts
