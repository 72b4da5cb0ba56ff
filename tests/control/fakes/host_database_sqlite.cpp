#include "fakes/host_database.h"
#include "hosts/common/sqlite_database.h"

namespace kvt::fakes {

std::shared_ptr<hosts::HostDatabase> NewHostDatabase() {
    return std::make_shared<hosts::SqliteDatabase>(":memory:");
}

}  // namespace kvt::fakes
