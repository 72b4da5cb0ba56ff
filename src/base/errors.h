#pragma once
// The framework's error classes. Inside the system every failure is one of these;
// the plug-in facade and the COM boundary turn them into an HRESULT plus the message.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kvt {

using HResult = std::int32_t;

inline constexpr HResult kSOk = 0;
inline constexpr HResult kSFalse = 1;
inline constexpr HResult kEUnexpected = static_cast<HResult>(0x8000FFFFu);
inline constexpr HResult kENoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kEPointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);

constexpr bool Failed(HResult hr) {
    return hr < 0;
}

// The general exception; every other error class derives from it.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text that does not convert to the wanted type (numbers, URL escapes).
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// A checked class conversion that does not hold.
class EInvalidCast : public Exception {
  public:
    EInvalidCast() : Exception("Invalid class typecast") {}
};

// A variant that cannot be converted to the wanted kind.
class EVariantTypeCastError : public Exception {
  public:
    using Exception::Exception;
};

// A failed COM call, carrying its HRESULT.
class EOleError : public Exception {
  public:
    EOleError(HResult code, const std::string& message) : Exception(message), code_(code) {}
    HResult Code() const { return code_; }

  private:
    HResult code_;
};

// The HRESULT an error maps to at an interface boundary.
HResult HResultOf(const std::exception& error);

// Raises EOleError for a failed HRESULT; does nothing for success codes.
void CheckHResult(HResult hr, const char* what);

}  // namespace kvt
