#pragma once
// The core's host ports over the host's COM interfaces: IDvController, IDvRanges,
// IDvRangeItem and the IDvRangesEvents connection point. Every failed call raises
// EOleError carrying its HRESULT.

#include <windows.h>

#include <memory>

#include "control/host_ports.h"

struct IUnknown;

namespace kvt::server {

// The host's service object as the core sees it; nullptr for a null object.
std::shared_ptr<host::ServiceObject> HostServiceObject(IUnknown* service);

}  // namespace kvt::server
