#pragma once
// The control's identity as the COM server publishes it: names, identifiers in their
// registry text form and the factory's fixed settings. Portable: no Windows headers.

#include <cstdint>
#include <string_view>

#include "base/text.h"
#include "server/identifiers.h"

#define KVT_GUID_TEXT_(x) #x
#define KVT_GUID_TEXT(x) KVT_GUID_TEXT_(x)

namespace kvt::server {

inline constexpr std::string_view kClassIdText = KVT_GUID_TEXT(KVT_CLSID_KVNEWTAVRIX);
inline constexpr std::string_view kLibraryIdText = KVT_GUID_TEXT(KVT_LIBID_KVNEWTAVRIXPROJ);
inline constexpr std::string_view kInterfaceIdText = KVT_GUID_TEXT(KVT_IID_IKVNEWTAVRIX);

// The programmatic identifier: the type library's name, a dot and the class name. Errors
// raised at the COM boundary name it as their source.
inline constexpr std::u16string_view kProgId = u"KvNewTavrixProj.KvNewTavrix";
inline constexpr std::u16string_view kThreadingModel = u"Apartment";
inline constexpr std::uint16_t kLibraryMajor = 1;
inline constexpr std::uint16_t kLibraryMinor = 0;
inline constexpr std::uint32_t kLibraryLocale = 0x409;
inline constexpr int kToolboxBitmapId = 1;

// OLEMISC_SIMPLEFRAME | OLEMISC_ACTSLIKELABEL, as the factory is created with, and what
// every control factory adds: OLEMISC_RECOMPOSEONRESIZE, OLEMISC_CANTLINKINSIDE,
// OLEMISC_INSIDEOUT, OLEMISC_ACTIVATEWHENVISIBLE and OLEMISC_SETCLIENTSITEFIRST.
inline constexpr std::uint32_t kFactoryMiscStatus = 0x12000;
inline constexpr std::uint32_t kControlMiscStatus = 0x20191;
inline constexpr std::uint32_t kMiscStatus = kFactoryMiscStatus | kControlMiscStatus;

// The name of the control-object class, as error messages give it (the window class that
// the control object hosts is TKvNewTavrix).
inline constexpr std::string_view kControlObjectClassName = "TActiveFormControl";

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the system writes identifiers.
// Raises Exception for text that is not a bare identifier.
WideString BracedGuid(std::string_view bare);

}  // namespace kvt::server
