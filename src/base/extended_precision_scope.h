#pragma once
// Long double arithmetic at its full width whatever the calling thread's x87 settings.
//
// On x86 long double is the x87 extended type, but the precision and rounding the x87 unit
// applies come from its control word, which belongs to the thread and so to whatever
// process has loaded this code. Windows starts 64-bit processes with the precision set to
// a 53-bit significand (the x64 calling convention's "FpCsr": precision control 10B, double
// precision, at the start of program execution), and 32-bit programs may set it so
// themselves (_controlfp with _PC_53, or 24 bits with _PC_24); then every extended
// addition, multiplication and division rounds like a double, and the codec's exact
// scalings and digit shortcuts give other (wrong) results. The scope sets a 64-bit
// significand and rounding to nearest for its lifetime and puts the caller's control word
// back when it ends, also when an exception leaves it. The other bits (the exception
// masks, the infinity bit) stay as the caller had them.
//
// Use one scope per public call that does extended arithmetic, not one per number: it
// costs a read of the control word, and two writes only when the caller's word differs.
// Where long double is not the x87 type the scope does nothing.

#include "base/x87_control_scope.h"

#if (defined(__i386__) || defined(__x86_64__)) && __SIZEOF_LONG_DOUBLE__ > 8
#define KVT_X87_LONG_DOUBLE 1
#else
#define KVT_X87_LONG_DOUBLE 0
#endif

namespace kvt {

class ExtendedPrecisionScope {
  public:
    ExtendedPrecisionScope() noexcept = default;
    ExtendedPrecisionScope(const ExtendedPrecisionScope&) = delete;
    ExtendedPrecisionScope& operator=(const ExtendedPrecisionScope&) = delete;

  private:
#if KVT_X87_LONG_DOUBLE
    X87ControlScope x87_{X87ControlScope::kExtendedToNearest};
#endif
};

}  // namespace kvt
