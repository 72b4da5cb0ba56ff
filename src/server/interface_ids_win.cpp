// The interface, class and library identifiers of the generated headers, defined once. The
// system headers come first, so only our own identifiers are defined here.
#include <windows.h>

#include <ocidl.h>
#include <oleauto.h>

#include <initguid.h>

#include "dravon.h"
#include "kvnewtavrixproj.h"
#include "orvanta.h"
