#pragma once
// Plays a host process's x87 settings in tests: reads and sets the control word directly,
// independently of the code under test.

#include <cstdint>

#if (defined(__i386__) || defined(__x86_64__)) && __SIZEOF_LONG_DOUBLE__ > 8
#define KVT_TEST_X87_LONG_DOUBLE 1
#else
#define KVT_TEST_X87_LONG_DOUBLE 0
#endif

namespace kvt::test {

#if KVT_TEST_X87_LONG_DOUBLE
inline std::uint16_t ReadX87ControlWord() {
    std::uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word) : : "memory");
    return word;
}

// Clears the exception flags first: a flag left by earlier arithmetic would trap at the next
// x87 instruction once `word` unmasks its exception.
inline void SetX87ControlWord(std::uint16_t word) {
    __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(word) : "memory");
}
#endif

// Control words of hosts that differ from the full-precision default 0x037F.
struct HostControlWord {
    std::uint16_t word;
    const char* what;
};
inline constexpr HostControlWord kHostControlWords[] = {
    {0x027F, "53-bit significand (a 64-bit Windows process at start)"},
    {0x007F, "24-bit significand"},
    {0x0F7F, "rounding toward zero"},
    {0x067F, "53-bit significand, rounding down"},
};

// Runs `call` with the x87 control word set to `word` and returns the word found after it;
// the previous word is back when this returns (`call` must not throw).
template <typename Call>
std::uint16_t RunWithX87ControlWord([[maybe_unused]] std::uint16_t word, Call&& call) {
#if KVT_TEST_X87_LONG_DOUBLE
    const std::uint16_t previous = ReadX87ControlWord();
    SetX87ControlWord(word);
    call();
    const std::uint16_t after = ReadX87ControlWord();
    SetX87ControlWord(previous);
    return after;
#else
    call();
    return word;
#endif
}

}  // namespace kvt::test
