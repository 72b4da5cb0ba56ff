#include "server/type_library_keys.h"

#include <cstdio>

namespace kvt::server {

namespace {

// The universal marshaler of OLE Automation (PSOAInterface), which serves every dual or
// [oleautomation] interface described by a registered type library.
constexpr char16_t kAutomationProxyStub[] = u"{00020424-0000-0000-C000-000000000046}";

WideString Ascii(const char* text) {
    WideString out;
    for (; *text != '\0'; ++text) {
        out.push_back(static_cast<char16_t>(*text));
    }
    return out;
}

// Version numbers in a type library's registry keys are hexadecimal ("%x.%x").
WideString VersionText(const TypeLibraryRegistration& library) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%x", library.major_version, library.minor_version);
    return Ascii(text);
}

WideString HexText(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return Ascii(text);
}

WideString DecimalText(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return Ascii(text);
}

}  // namespace

std::vector<RegistryKey> TypeLibraryKeys(const TypeLibraryRegistration& library,
                                         const WideString& path, const WideString& help_directory) {
    const WideString key = u"TypeLib\\" + library.library_id + u"\\" + VersionText(library);
    const WideString platform = library.win64 ? u"win64" : u"win32";
    return {
        {key, {{u"", library.help_string}}},
        {key + u"\\" + HexText(library.locale) + u"\\" + platform, {{u"", path}}},
        {key + u"\\FLAGS", {{u"", DecimalText(library.flags)}}},
        {key + u"\\HELPDIR", {{u"", help_directory}}},
    };
}

std::vector<RegistryKey> InterfaceKeys(const TypeLibraryRegistration& library) {
    const WideString key = u"Interface\\" + library.interface_id;
    return {
        {key, {{u"", library.interface_name}}},
        {key + u"\\ProxyStubClsid", {{u"", kAutomationProxyStub}}},
        {key + u"\\ProxyStubClsid32", {{u"", kAutomationProxyStub}}},
        {key + u"\\TypeLib", {{u"", library.library_id}, {u"Version", VersionText(library)}}},
    };
}

}  // namespace kvt::server
