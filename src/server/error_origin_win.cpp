// Errors raised at this server's COM boundary name the control's default interface and
// its ProgID.
#include "com/com_error_win.h"
#include "kvnewtavrixproj.h"
#include "server/com_identity.h"

namespace kvt::com {

const ErrorOrigin kModuleErrorOrigin{&IID_IKvNewTavrix,
                                     reinterpret_cast<const wchar_t*>(server::kProgId.data())};

}  // namespace kvt::com
