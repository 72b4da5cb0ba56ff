#pragma once
// The host database of the fakes, chosen by the build: SQLite in memory where the platform
// has SQLite (Linux), the memory database of the test hosts elsewhere (Windows).

#include <memory>

#include "hosts/common/host_database.h"

namespace kvt::fakes {

// A new, empty database.
std::shared_ptr<hosts::HostDatabase> NewHostDatabase();

}  // namespace kvt::fakes
