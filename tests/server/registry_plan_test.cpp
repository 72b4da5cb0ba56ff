#include "server/registry_plan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "server/com_identity.h"

namespace kvt::server {
namespace {

using ::testing::ElementsAre;

const WideString kClass = u"{475C7D5D-F8AE-4683-95C3-1B2A928CF510}";
const WideString kLibrary = u"{CFC942F2-279E-4DCA-A7A7-F05B0410A5D5}";

ServerIdentity Identity() {
    TypeLibraryFacts facts;
    facts.library_name = u"KvNewTavrixProj";
    facts.library_id = kLibrary;
    facts.major_version = 1;
    facts.minor_version = 0;
    facts.class_id = kClass;
    facts.class_name = u"KvNewTavrix";
    facts.class_description = u"KvNewTavrixProj Control";
    return ControlServerIdentity(facts, u"Properties");
}

RegistryKey Key(const WideString& path, const WideString& data) {
    return {path, {{u"", data}}};
}

TEST(RegistryPlan, IdentityMatchesTheCompiledIdentifiers) {
    const ServerIdentity identity = Identity();
    EXPECT_EQ(identity.prog_id, kProgId);
    EXPECT_EQ(BracedGuid(kClassIdText), kClass);
    EXPECT_EQ(BracedGuid(kLibraryIdText), kLibrary);
    EXPECT_EQ(identity.misc_status, 205201u);
}

TEST(RegistryPlan, WritesEveryKeyInOrderAndNothingElse) {
    const WideString path = u"C:\\Tavrix\\KvNewTavrixProj.dll";
    const WideString clsid = u"CLSID\\" + kClass;
    EXPECT_THAT(
        RegistrationKeys(Identity(), {path, u"C:\\TAVRIX\\KVNEWT~1.DLL"}),
        ElementsAre(Key(clsid, u"KvNewTavrixProj Control"),
                    RegistryKey{clsid + u"\\InprocServer32",
                                {{u"", path}, {u"ThreadingModel", u"Apartment"}}},
                    Key(u"KvNewTavrixProj.KvNewTavrix", u"KvNewTavrixProj Control"),
                    Key(u"KvNewTavrixProj.KvNewTavrix\\Clsid", kClass),
                    Key(clsid + u"\\ProgID", u"KvNewTavrixProj.KvNewTavrix"),
                    Key(clsid + u"\\Version", u"1.0"), Key(clsid + u"\\TypeLib", kLibrary),
                    Key(clsid + u"\\MiscStatus", u"0"), Key(clsid + u"\\MiscStatus\\1", u"205201"),
                    Key(clsid + u"\\ToolboxBitmap32", u"1," + path), Key(clsid + u"\\Control", u""),
                    Key(clsid + u"\\Verb", u""), Key(clsid + u"\\Verb\\0", u"Properties,0,2")));
}

TEST(RegistryPlan, PathWithABlankIsShortOnlyForTheServer) {
    const ServerLocation location{u"C:\\Program Files\\Kv Tavrix\\KvNewTavrixProj.dll",
                                  u"C:\\PROGRA~1\\KVTAVR~1\\KVNEWT~1.DLL"};
    const std::vector<RegistryKey> keys = RegistrationKeys(Identity(), location);
    const auto value_of = [&](const WideString& suffix) {
        for (const RegistryKey& key : keys) {
            if (key.path == u"CLSID\\" + kClass + suffix) {
                return key.values.front().data;
            }
        }
        return WideString(u"<missing>");
    };
    EXPECT_EQ(value_of(u"\\InprocServer32"), location.short_path);
    EXPECT_EQ(value_of(u"\\ToolboxBitmap32"), u"1," + location.long_path);
}

TEST(RegistryPlan, DeletesSubKeysBeforeTheirParents) {
    const WideString clsid = u"CLSID\\" + kClass;
    EXPECT_THAT(UnregistrationKeys(Identity()),
                ElementsAre(clsid + u"\\Verb\\0", clsid + u"\\Verb", clsid + u"\\Control",
                            clsid + u"\\ToolboxBitmap32", clsid + u"\\MiscStatus\\1",
                            clsid + u"\\MiscStatus", clsid + u"\\TypeLib", clsid + u"\\Version",
                            clsid + u"\\ProgID", u"KvNewTavrixProj.KvNewTavrix\\Clsid",
                            u"KvNewTavrixProj.KvNewTavrix", clsid + u"\\InprocServer32", clsid));
}

TEST(RegistryPlan, MalformedIdentifierTextIsRejected) {
    for (const char* bare :
         {"", "475c7d5d-f8ae-4683-95c3-1b2a928cf51", "475c7d5d+f8ae-4683-95c3-1b2a928cf510",
          "475c7d5d-f8ae-4683-95c3-1b2a928cf51g"}) {
        EXPECT_ANY_THROW(BracedGuid(bare)) << bare;
    }
}

}  // namespace
}  // namespace kvt::server
