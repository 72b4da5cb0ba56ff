#include "fakes/host_database.h"
#include "hosts/common/memory_database.h"

namespace kvt::fakes {

std::shared_ptr<hosts::HostDatabase> NewHostDatabase() {
    return std::make_shared<hosts::MemoryDatabase>();
}

}  // namespace kvt::fakes
