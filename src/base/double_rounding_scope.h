#pragma once
// Double arithmetic and rounding to an integer at double precision, to nearest, whatever the
// calling thread's floating-point settings.
//
// The settings belong to the thread and so to whatever process has loaded this code: a
// 32-bit host may set the x87 unit to a 24-bit significand or to another rounding
// (_controlfp with _PC_24, _RC_CHOP, ...), a 64-bit host may set the SSE unit's rounding.
// On 32-bit x86 GCC computes double on the x87 unit, so its control word decides every
// quotient and product; on x86-64 the SSE unit computes them, but MinGW's nearbyint rounds
// on the x87 unit (frndint) and so follows the x87 rounding, while glibc's follows the SSE
// one. For its lifetime the scope sets the x87 unit to a 53-bit significand with rounding
// to nearest, and the SSE unit, where the code uses it, to rounding to nearest; it puts the
// caller's settings back when it ends, also when an exception leaves it. The other bits
// (exception masks and flags, the infinity bit, flush to zero) stay as the caller had them.
//
// Use one scope per public call, around the arithmetic and its rounding.

#include <cstdint>

#include "base/x87_control_scope.h"

#if defined(__SSE__) || defined(__x86_64__)
#define KVT_SSE_CONTROL 1
#else
#define KVT_SSE_CONTROL 0
#endif

namespace kvt {

// The x87 part is a member, so it is set before the SSE part and put back after it.
class DoubleRoundingScope {
  public:
    DoubleRoundingScope() noexcept {
#if KVT_SSE_CONTROL
        __asm__ volatile("stmxcsr %0" : "=m"(saved_sse_) : : "memory");
        const std::uint32_t sse = saved_sse_ & ~kSseRounding;
        sse_changed_ = sse != saved_sse_;
        if (sse_changed_) {
            __asm__ volatile("ldmxcsr %0" : : "m"(sse) : "memory");
        }
#endif
    }
    ~DoubleRoundingScope() {
#if KVT_SSE_CONTROL
        if (sse_changed_) {
            __asm__ volatile("ldmxcsr %0" : : "m"(saved_sse_) : "memory");
        }
#endif
    }
    DoubleRoundingScope(const DoubleRoundingScope&) = delete;
    DoubleRoundingScope& operator=(const DoubleRoundingScope&) = delete;

  private:
#if KVT_X87_CONTROL
    X87ControlScope x87_{X87ControlScope::kDoubleToNearest};
#endif
#if KVT_SSE_CONTROL
    // MXCSR bits 13-14 (0: to nearest, ties to even).
    static constexpr std::uint32_t kSseRounding = 0x6000;
    std::uint32_t saved_sse_ = 0;
    bool sse_changed_ = false;
#endif
};

}  // namespace kvt
