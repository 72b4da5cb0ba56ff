// The control's type library as loaded by the DLL, and the error for a library that does
// not describe the control's class.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/errors.h"
#include "server/type_library_win.h"

namespace kvt::server {
namespace {

// A file beside this test program.
std::wstring BesideProgram(const wchar_t* name) {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
    path.resize(length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

TEST(ControlTypeLibrary, DescribesTheControlClassAndItsInterface) {
    const ControlTypeLibrary library(BesideProgram(L"kvnewtavrixproj.tlb"));
    EXPECT_TRUE(library.ClassInfo());
    EXPECT_TRUE(library.InterfaceInfo());
    EXPECT_EQ(library.Facts().major_version, std::uint16_t{1});
}

TEST(ControlTypeLibrary, WithoutTheClassNamesTheControlObjectClass) {
    try {
        const ControlTypeLibrary library(BesideProgram(L"library_without_class.tlb"));
        FAIL() << "a library without the control's class was accepted";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Type information missing for class TActiveFormControl");
    }
}

}  // namespace
}  // namespace kvt::server
