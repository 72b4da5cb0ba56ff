#include "server/registry_plan.h"

#include <string>
#include <utility>

#include "server/com_identity.h"

namespace kvt::server {

namespace {

WideString Decimal(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    return WideString(digits.begin(), digits.end());
}

RegistryKey DefaultOnly(WideString path, WideString data) {
    return {std::move(path), {{u"", std::move(data)}}};
}

WideString ClassKey(const ServerIdentity& identity) {
    return u"CLSID\\" + identity.class_id;
}

}  // namespace

ServerIdentity ControlServerIdentity(const TypeLibraryFacts& facts, const WideString& verb_name) {
    ServerIdentity identity;
    identity.class_id = facts.class_id;
    identity.library_id = facts.library_id;
    identity.prog_id = facts.library_name + u"." + facts.class_name;
    identity.description = facts.class_description;
    identity.major_version = facts.major_version;
    identity.minor_version = facts.minor_version;
    identity.toolbox_bitmap = kToolboxBitmapId;
    identity.misc_status = kMiscStatus;
    identity.verbs = {verb_name};
    identity.threading_model = WideString(kThreadingModel);
    return identity;
}

WideString InprocServerPath(const ServerLocation& location) {
    const bool has_blank = location.long_path.find(u' ') != WideString::npos;
    return has_blank ? location.short_path : location.long_path;
}

std::vector<RegistryKey> RegistrationKeys(const ServerIdentity& identity,
                                          const ServerLocation& location) {
    const WideString clsid = ClassKey(identity);
    const WideString version =
        Decimal(identity.major_version) + u"." + Decimal(identity.minor_version);
    std::vector<RegistryKey> keys;
    keys.push_back(DefaultOnly(clsid, identity.description));
    keys.push_back(
        {clsid + u"\\InprocServer32",
         {{u"", InprocServerPath(location)}, {u"ThreadingModel", identity.threading_model}}});
    keys.push_back(DefaultOnly(identity.prog_id, identity.description));
    keys.push_back(DefaultOnly(identity.prog_id + u"\\Clsid", identity.class_id));
    keys.push_back(DefaultOnly(clsid + u"\\ProgID", identity.prog_id));
    keys.push_back(DefaultOnly(clsid + u"\\Version", version));
    keys.push_back(DefaultOnly(clsid + u"\\TypeLib", identity.library_id));
    keys.push_back(DefaultOnly(clsid + u"\\MiscStatus", u"0"));
    keys.push_back(DefaultOnly(clsid + u"\\MiscStatus\\1", Decimal(identity.misc_status)));
    // Containers load the bitmap from the file itself: always the full path.
    keys.push_back(DefaultOnly(
        clsid + u"\\ToolboxBitmap32",
        Decimal(static_cast<std::uint64_t>(identity.toolbox_bitmap)) + u"," + location.long_path));
    keys.push_back(DefaultOnly(clsid + u"\\Control", u""));
    keys.push_back(DefaultOnly(clsid + u"\\Verb", u""));
    for (std::size_t i = 0; i < identity.verbs.size(); ++i) {
        keys.push_back(DefaultOnly(clsid + u"\\Verb\\" + Decimal(i), identity.verbs[i] + u",0,2"));
    }
    return keys;
}

std::vector<WideString> UnregistrationKeys(const ServerIdentity& identity) {
    const WideString clsid = ClassKey(identity);
    std::vector<WideString> keys;
    for (std::size_t i = 0; i < identity.verbs.size(); ++i) {
        keys.push_back(clsid + u"\\Verb\\" + Decimal(i));
    }
    for (const char16_t* sub : {u"Verb", u"Control", u"ToolboxBitmap32", u"MiscStatus\\1",
                                u"MiscStatus", u"TypeLib", u"Version", u"ProgID"}) {
        keys.push_back(clsid + u"\\" + sub);
    }
    keys.push_back(identity.prog_id + u"\\Clsid");
    keys.push_back(identity.prog_id);
    keys.push_back(clsid + u"\\InprocServer32");
    keys.push_back(clsid);
    return keys;
}

}  // namespace kvt::server
