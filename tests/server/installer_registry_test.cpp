#include "server/installer_registry.h"

#include <algorithm>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "server/declared_library.h"
#include "server/registry_plan.h"
#include "server/type_library_keys.h"

namespace kvt::server {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const WideString kClassKey = u"CLSID\\{475C7D5D-F8AE-4683-95C3-1B2A928CF510}";
const WideString kLibraryKey = u"TypeLib\\{CFC942F2-279E-4DCA-A7A7-F05B0410A5D5}\\1.0";
const WideString kInterfaceKey = u"Interface\\{676A2C83-232F-4DB3-BE95-72C70AA35550}";

const InstallerValue* Find(const InstallerComponent& component, const WideString& key,
                           const WideString& name = u"") {
    for (const InstallerValue& value : component.values) {
        if (value.key == key && value.name == name) {
            return &value;
        }
    }
    return nullptr;
}

TEST(InstallerRegistry, OnlyTheServerPathDependsOnTheBlankInTheFolder) {
    const std::vector<InstallerComponent> components =
        InstallerRegistry(InstallerArchitecture::X64);
    ASSERT_EQ(components.size(), 4u);
    const InstallerComponent& common = components[0];
    const InstallerComponent& blank = components[1];
    const InstallerComponent& no_blank = components[2];
    EXPECT_THAT(common.condition, IsEmpty());
    EXPECT_EQ(blank.condition, "INSTALLDIR >< \" \"");
    EXPECT_EQ(no_blank.condition, "NOT (INSTALLDIR >< \" \")");
    EXPECT_THAT(blank.values, ElementsAre(InstallerValue{kClassKey + u"\\InprocServer32", u"",
                                                         u"[!KvNewTavrixProj.dll]"}));
    EXPECT_THAT(no_blank.values, ElementsAre(InstallerValue{kClassKey + u"\\InprocServer32", u"",
                                                            u"[#KvNewTavrixProj.dll]"}));
    const InstallerValue* bitmap = Find(common, kClassKey + u"\\ToolboxBitmap32");
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->data, u"1,[#KvNewTavrixProj.dll]");
    const InstallerValue* threading =
        Find(common, kClassKey + u"\\InprocServer32", u"ThreadingModel");
    ASSERT_NE(threading, nullptr);
    EXPECT_EQ(threading->data, u"Apartment");
}

TEST(InstallerRegistry, WritesEveryValueOfThePlanAndOfTheTypeLibrary) {
    const std::vector<InstallerComponent> components =
        InstallerRegistry(InstallerArchitecture::X86);
    ASSERT_EQ(components.size(), 3u);
    std::vector<std::pair<WideString, WideString>> written;
    for (std::size_t i = 0; i < 2; ++i) {
        for (const InstallerValue& value : components[i].values) {
            written.emplace_back(value.key, value.name);
        }
    }
    const TypeLibraryRegistration library = DeclaredTypeLibraryRegistration(false);
    std::vector<RegistryKey> expected = TypeLibraryKeys(library, u"C:\\x.dll", u"C:\\");
    for (const RegistryKey& key : InterfaceKeys(library)) {
        expected.push_back(key);
    }
    for (const RegistryKey& key :
         RegistrationKeys(ControlServerIdentity(DeclaredTypeLibraryFacts(), DeclaredVerbName()),
                          {u"C:\\x.dll", u"C:\\x.dll"})) {
        expected.push_back(key);
    }
    std::size_t expected_count = 0;
    for (const RegistryKey& key : expected) {
        for (const RegistryValue& value : key.values) {
            ++expected_count;
            EXPECT_NE(std::find(written.begin(), written.end(), std::pair(key.path, value.name)),
                      written.end())
                << WideToUtf8(key.path) << " " << WideToUtf8(value.name);
        }
    }
    EXPECT_EQ(written.size(), expected_count);
}

TEST(InstallerRegistry, TypeLibraryFollowsTheArchitecture) {
    const std::vector<InstallerComponent> x86 = InstallerRegistry(InstallerArchitecture::X86);
    const std::vector<InstallerComponent> x64 = InstallerRegistry(InstallerArchitecture::X64);
    EXPECT_NE(Find(x86[0], kLibraryKey + u"\\409\\win32"), nullptr);
    EXPECT_EQ(Find(x86[0], kLibraryKey + u"\\409\\win64"), nullptr);
    const InstallerValue* path = Find(x64[0], kLibraryKey + u"\\409\\win64");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->data, u"[#KvNewTavrixProj.dll]");
    const InstallerValue* help = Find(x64[0], kLibraryKey + u"\\HELPDIR");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->data, u"[INSTALLDIR]");
    // A 64-bit registration also describes the interface to 32-bit clients.
    ASSERT_EQ(x64.size(), 4u);
    EXPECT_TRUE(x64[3].other_view);
    EXPECT_NE(Find(x64[3], kInterfaceKey + u"\\TypeLib", u"Version"), nullptr);
}

TEST(TypeLibraryKeys, NumbersAreWrittenAsRegisterTypeLibWritesThem) {
    TypeLibraryRegistration library = DeclaredTypeLibraryRegistration(true);
    library.major_version = 10;
    library.minor_version = 11;
    library.locale = 0x804;
    library.flags = 12;
    const std::vector<RegistryKey> keys = TypeLibraryKeys(library, u"D:\\k.dll", u"D:\\");
    const WideString key = u"TypeLib\\" + library.library_id + u"\\a.b";
    EXPECT_THAT(keys, ElementsAre(RegistryKey{key, {{u"", u"KvNewTavrixProjProj Library"}}},
                                  RegistryKey{key + u"\\804\\win64", {{u"", u"D:\\k.dll"}}},
                                  RegistryKey{key + u"\\FLAGS", {{u"", u"12"}}},
                                  RegistryKey{key + u"\\HELPDIR", {{u"", u"D:\\"}}}));
    EXPECT_EQ(InterfaceKeys(library).back().values.back().data, u"a.b");
}

TEST(InstallerRegistry, LiteralTextStaysLiteralAsFormattedText) {
    const std::pair<WideString, WideString> cases[] = {
        {u"", u""},
        {u"Properties,0,2", u"Properties,0,2"},
        {u"{CFC942F2-279E-4DCA-A7A7-F05B0410A5D5}", u"{CFC942F2-279E-4DCA-A7A7-F05B0410A5D5}"},
        {u"[ProgramFilesFolder]", u"[\\[]ProgramFilesFolder[\\]]"},
        {u"#1", u"##1"},
        {u"a#[", u"a#[\\[]"},
    };
    for (const auto& [literal, formatted] : cases) {
        EXPECT_EQ(FormattedLiteral(literal), formatted) << WideToUtf8(literal);
    }
}

}  // namespace
}  // namespace kvt::server
