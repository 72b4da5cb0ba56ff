#include "server/type_library_win.h"

#include <memory>
#include <mutex>

#include "base/errors.h"
#include "base/format.h"
#include "com/bstr_win.h"
#include "com/com_error_win.h"
#include "kvnewtavrixproj.h"
#include "server/com_identity.h"
#include "server/server_state_win.h"

namespace kvt::server {

namespace {

// Controls may be created on several apartments' threads at once; the first of them loads
// the library for all.
std::mutex g_slot_lock;
std::unique_ptr<ControlTypeLibrary> g_slot;

[[noreturn]] void TypeInformationMissing() {
    throw Exception(
        Format("Type information missing for class %s", kControlObjectClassName.data()));
}

// Name and help string of a type, or of the library itself for MEMBERID_NIL on index -1.
void Documentation(ITypeLib& library, INT index, WideString& name, WideString& help) {
    com::Bstr name_text;
    com::Bstr help_text;
    com::Check(library.GetDocumentation(index, name_text.Out(), help_text.Out(), nullptr, nullptr),
               "ITypeLib::GetDocumentation");
    name = name_text.Text();
    help = help_text.Text();
}

}  // namespace

WideString GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return com::Bstr::FromZeroTerminated(text);
}

ControlTypeLibrary::ControlTypeLibrary(const std::wstring& path) {
    com::Check(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library_.Out()), "LoadTypeLibEx");
    if (FAILED(library_->GetTypeInfoOfGuid(CLSID_KvNewTavrix, class_info_.Out()))) {
        TypeInformationMissing();
    }
    com::Check(library_->GetTypeInfoOfGuid(IID_IKvNewTavrix, interface_info_.Out()),
               "ITypeLib::GetTypeInfoOfGuid");

    TLIBATTR* attributes = nullptr;
    com::Check(library_->GetLibAttr(&attributes), "ITypeLib::GetLibAttr");
    facts_.library_id = GuidText(attributes->guid);
    facts_.major_version = attributes->wMajorVerNum;
    facts_.minor_version = attributes->wMinorVerNum;
    library_->ReleaseTLibAttr(attributes);

    WideString library_help;
    Documentation(*library_.Get(), -1, facts_.library_name, library_help);
    com::Bstr class_name;
    com::Bstr class_help;
    com::Check(class_info_->GetDocumentation(MEMBERID_NIL, class_name.Out(), class_help.Out(),
                                             nullptr, nullptr),
               "ITypeInfo::GetDocumentation");
    facts_.class_name = class_name.Text();
    facts_.class_description = class_help.Text();
    facts_.class_id = GuidText(CLSID_KvNewTavrix);
}

ControlTypeLibrary& ControlTypeLibrary::Instance() {
    const std::lock_guard<std::mutex> lock(g_slot_lock);
    std::unique_ptr<ControlTypeLibrary>& slot = g_slot;
    if (!slot) {
        slot = std::make_unique<ControlTypeLibrary>(com::ToWindows(ServerState::ModulePath()));
    }
    return *slot;
}

void ControlTypeLibrary::Release() {
    const std::lock_guard<std::mutex> lock(g_slot_lock);
    g_slot.reset();
}

}  // namespace kvt::server
