#include "server/declared_library.h"

#include "server/com_identity.h"

namespace kvt::server {

namespace {

// LIBFLAG_FCONTROL (the library's [control] attribute) and LIBFLAG_FHASDISKIMAGE, which
// the IDL compiler stores in every library file it writes.
constexpr std::uint16_t kLibraryFlags = 0x2 | 0x8;

}  // namespace

TypeLibraryFacts DeclaredTypeLibraryFacts() {
    TypeLibraryFacts facts;
    facts.library_name = u"KvNewTavrixProj";
    facts.library_id = BracedGuid(kLibraryIdText);
    facts.major_version = kLibraryMajor;
    facts.minor_version = kLibraryMinor;
    facts.class_id = BracedGuid(kClassIdText);
    facts.class_name = u"KvNewTavrix";
    facts.class_description = u"KvNewTavrixProj Control";
    return facts;
}

WideString DeclaredVerbName() {
    return u"Properties";
}

TypeLibraryRegistration DeclaredTypeLibraryRegistration(bool win64) {
    TypeLibraryRegistration library;
    library.library_id = BracedGuid(kLibraryIdText);
    library.major_version = kLibraryMajor;
    library.minor_version = kLibraryMinor;
    library.locale = kLibraryLocale;
    library.flags = kLibraryFlags;
    library.win64 = win64;
    library.help_string = u"KvNewTavrixProjProj Library";
    library.interface_id = BracedGuid(kInterfaceIdText);
    library.interface_name = u"IKvNewTavrix";
    return library;
}

}  // namespace kvt::server
