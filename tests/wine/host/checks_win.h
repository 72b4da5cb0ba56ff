#pragma once
// The test host's checks: each prints its outcome; the exit code counts the failures.

#include <cstdio>
#include <string>
#include <type_traits>

namespace kvt::wintest {

class Checks {
  public:
    void Section(const char* name) { std::printf("== %s\n", name); }
    bool That(bool holds, const std::string& what) {
        std::printf("%s: %s\n", holds ? "ok" : "FAIL", what.c_str());
        std::fflush(stdout);
        if (!holds) {
            ++failures_;
        }
        return holds;
    }
    template <typename A, typename B>
    bool Equal(const A& actual, const B& expected, const std::string& what) {
        const bool same = actual == expected;
        if (!same) {
            std::printf("  actual:   %s\n  expected: %s\n", Show(actual).c_str(),
                        Show(expected).c_str());
        }
        return That(same, what);
    }
    int Failures() const { return failures_; }

  private:
    static std::string Show(const std::string& text) { return "\"" + text + "\""; }
    static std::string Show(const char* text) { return Show(std::string(text)); }
    template <typename T>
    requires std::is_integral_v<T>
    static std::string Show(T value) {
        char text[48];
        std::snprintf(text, sizeof(text), "%lld (0x%08llX)", static_cast<long long>(value),
                      static_cast<unsigned long long>(value) & 0xFFFFFFFFull);
        return text;
    }

    int failures_ = 0;
};

}  // namespace kvt::wintest
