// Errors raised by the test host's own COM objects name it as their source.
#include "com/com_error_win.h"

namespace kvt::com {

const ErrorOrigin kModuleErrorOrigin{&IID_IDispatch, L"KvNewTavrix test host"};

}  // namespace kvt::com
