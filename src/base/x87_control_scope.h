#pragma once
// The x87 unit's precision and rounding control for the lifetime of a scope.
//
// The control word belongs to the thread and so to whatever process has loaded this code.
// The scope reads it, sets its precision control (bits 8-9) and rounding control (bits
// 10-11) to the value given, and puts the caller's word back when it ends, also when an
// exception leaves it. The other bits (the exception masks, the infinity bit) stay as the
// caller had them. It costs a read of the word, and two writes only when the caller's word
// differs.

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#define KVT_X87_CONTROL 1
#else
#define KVT_X87_CONTROL 0
#endif

#if KVT_X87_CONTROL

namespace kvt {

class X87ControlScope {
  public:
    // Precision control 3: 64-bit significand; 2: 53-bit. Rounding control 0: to nearest,
    // ties to even.
    static constexpr std::uint16_t kExtendedToNearest = 0x0300;
    static constexpr std::uint16_t kDoubleToNearest = 0x0200;

    explicit X87ControlScope(std::uint16_t precision_and_rounding) noexcept {
        // The "memory" clobbers keep the compiler from moving loads and stores of the
        // arithmetic's operands across the switch.
        __asm__ volatile("fnstcw %0" : "=m"(saved_) : : "memory");
        const auto wanted =
            static_cast<std::uint16_t>((saved_ & ~kPrecisionAndRounding) | precision_and_rounding);
        changed_ = wanted != saved_;
        if (changed_) {
            __asm__ volatile("fldcw %0" : : "m"(wanted) : "memory");
        }
    }
    ~X87ControlScope() {
        if (changed_) {
            __asm__ volatile("fldcw %0" : : "m"(saved_) : "memory");
        }
    }
    X87ControlScope(const X87ControlScope&) = delete;
    X87ControlScope& operator=(const X87ControlScope&) = delete;

  private:
    static constexpr std::uint16_t kPrecisionAndRounding = 0x0F00;

    std::uint16_t saved_ = 0;
    bool changed_ = false;
};

}  // namespace kvt

#endif
