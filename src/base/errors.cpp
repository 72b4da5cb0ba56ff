#include "base/errors.h"

#include "base/format.h"

namespace kvt {

HResult HResultOf(const std::exception& error) {
    if (const auto* ole = dynamic_cast<const EOleError*>(&error)) {
        return ole->Code();
    }
    return kEUnexpected;
}

void CheckHResult(HResult hr, const char* what) {
    if (Failed(hr)) {
        throw EOleError(hr, Format("%s failed (HRESULT 0x%08X)", what, static_cast<unsigned>(hr)));
    }
}

}  // namespace kvt
