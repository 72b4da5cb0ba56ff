#pragma once
// Plays a host process's floating-point settings in tests: the x87 control word and the SSE
// unit's control and status register (MXCSR), read and set directly, independently of the
// code under test.

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#define KVT_TEST_X86_FPU 1
#else
#define KVT_TEST_X86_FPU 0
#endif
#if defined(__SSE__) || defined(__x86_64__)
#define KVT_TEST_SSE 1
#else
#define KVT_TEST_SSE 0
#endif

namespace kvt::test {

// The settings: the x87 control word, and MXCSR without its exception flags (bits 0-5),
// which any inexact operation raises and which are state, not settings.
struct FpuWords {
    std::uint16_t x87 = 0;
    std::uint32_t sse = 0;
    bool operator==(const FpuWords&) const = default;
};

inline FpuWords ReadFpuWords() {
    FpuWords words;
#if KVT_TEST_X86_FPU
    __asm__ volatile("fnstcw %0" : "=m"(words.x87) : : "memory");
#endif
#if KVT_TEST_SSE
    __asm__ volatile("stmxcsr %0" : "=m"(words.sse) : : "memory");
    words.sse &= ~0x3Fu;
#endif
    return words;
}

// Clears the x87 exception flags first: a flag left by earlier arithmetic would trap at the
// next x87 instruction once `words` unmasks its exception.
inline void SetFpuWords([[maybe_unused]] const FpuWords& words) {
#if KVT_TEST_X86_FPU
    __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(words.x87) : "memory");
#endif
#if KVT_TEST_SSE
    __asm__ volatile("ldmxcsr %0" : : "m"(words.sse) : "memory");
#endif
}

// Whether `host` sets a 24-bit significand and the x87 unit rounds a double it loads to
// that precision. No x87 processor does (precision control rounds arithmetic results only;
// a load is exact), but qemu's emulation does, and then a double returned in st(0), as
// 32-bit code returns one, loses its low bits in the caller whatever the callee computed.
// Such a run cannot tell a wrong result from the emulator's rounding.
inline bool LoadsRoundedToSinglePrecision([[maybe_unused]] std::uint16_t host_x87) {
#if defined(__i386__)
    if ((host_x87 & 0x0300) != 0) {
        return false;
    }
    const std::uint16_t single = 0x007F;
    const std::uint16_t saved = ReadFpuWords().x87;
    const double in = 1.0 + 0x1p-40;
    double out = 0;
    __asm__ volatile("fldcw %2\n\tfldl %1\n\tfstpl %0\n\tfldcw %3"
                     : "=m"(out)
                     : "m"(in), "m"(single), "m"(saved)
                     : "memory");
    return out != in;
#else
    return false;
#endif
}

// A host's settings that differ from the defaults (x87 0x037F, MXCSR rounding to nearest):
// the x87 control word, and the MXCSR rounding field (bits 13-14).
struct HostFpuSettings {
    std::uint16_t x87;
    std::uint32_t sse_rounding;
    const char* what;
};
inline constexpr HostFpuSettings kHostFpuSettings[] = {
    {0x027F, 0x0000, "x87 53-bit significand"},
    {0x007F, 0x0000, "x87 24-bit significand"},
    {0x0F7F, 0x0000, "x87 rounding toward zero"},
    {0x067F, 0x0000, "x87 53-bit significand, rounding down"},
    {0x037F, 0x6000, "SSE rounding toward zero"},
    {0x037F, 0x2000, "SSE rounding down"},
    {0x037F, 0x4000, "SSE rounding up"},
    {0x0B7F, 0x4000, "x87 and SSE rounding up"},
};

// Runs `call` under `host` and answers whether the settings were still the host's after it;
// the previous settings are back when this returns (`call` must not throw).
template <typename Call>
bool RunWithHostFpuSettings(const HostFpuSettings& host, Call&& call) {
    const FpuWords previous = ReadFpuWords();
#if KVT_TEST_X86_FPU && KVT_TEST_SSE
    const FpuWords wanted{host.x87, (previous.sse & ~0x6000u) | host.sse_rounding};
#elif KVT_TEST_X86_FPU
    // Code built without SSE leaves MXCSR alone, and so does the test.
    const FpuWords wanted{host.x87, previous.sse};
#else
    const FpuWords wanted = previous;
#endif
    SetFpuWords(wanted);
    call();
    const FpuWords after = ReadFpuWords();
    SetFpuWords(previous);
    return after == wanted;
}

}  // namespace kvt::test
