#include "server/installer_registry.h"

#include "base/errors.h"
#include "server/declared_library.h"
#include "server/registry_plan.h"
#include "server/type_library_keys.h"

namespace kvt::server {

namespace {

// Two places to put the DLL: the keys are computed for both, and what differs between them
// is what depends on the folder. Only the blank matters to the plan; the short forms are
// stand-ins that the formatted text replaces.
struct SampleFolder {
    WideString directory;  // with its trailing separator, as directory properties end
    WideString short_directory;
};

const SampleFolder kFolderWithBlank{u"C:\\Program Files\\Kv Tavrix\\", u"C:\\PROGRA~1\\KVTAVR~1\\"};
const SampleFolder kFolderWithoutBlank{u"C:\\KvTavrix\\", u"C:\\KVTAVRIX\\"};
constexpr char16_t kFileName[] = u"KvNewTavrixProj.dll";
constexpr char16_t kShortFileName[] = u"KVNEWT~1.DLL";

struct Substitution {
    WideString literal;
    WideString formatted;
};

// The DLL's full path, its short path and its folder, each as formatted text; the full
// path comes before the folder it begins with.
std::vector<Substitution> Substitutions(const SampleFolder& folder) {
    const WideString file_key(kInstallerFileKey);
    return {{folder.directory + kFileName, u"[#" + file_key + u"]"},
            {folder.short_directory + kShortFileName, u"[!" + file_key + u"]"},
            {folder.directory, u"[" + WideString(kInstallerDirectory) + u"]"}};
}

WideString EscapeBrackets(const WideString& text) {
    WideString out;
    for (const char16_t c : text) {
        if (c == u'[') {
            out += u"[\\[]";
        } else if (c == u']') {
            out += u"[\\]]";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

WideString Formatted(const WideString& text, const std::vector<Substitution>& substitutions) {
    WideString out = !text.empty() && text[0] == u'#' ? u"#" : u"";
    std::size_t literal_start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const Substitution* found = nullptr;
        for (const Substitution& s : substitutions) {
            if (text.compare(i, s.literal.size(), s.literal) == 0) {
                found = &s;
                break;
            }
        }
        if (found == nullptr) {
            ++i;
            continue;
        }
        out += EscapeBrackets(text.substr(literal_start, i - literal_start)) + found->formatted;
        i += found->literal.size();
        literal_start = i;
    }
    return out + EscapeBrackets(text.substr(literal_start));
}

// Every value the DLL's registration leaves for this folder: RegisterTypeLib's keys for
// the library (with the folder as help directory), the interface's keys, then the plan's.
std::vector<InstallerValue> RegisteredValues(const SampleFolder& folder, bool win64) {
    const ServerLocation location{folder.directory + kFileName,
                                  folder.short_directory + kShortFileName};
    const TypeLibraryRegistration library = DeclaredTypeLibraryRegistration(win64);
    std::vector<RegistryKey> keys = TypeLibraryKeys(library, location.long_path, folder.directory);
    for (RegistryKey& key : InterfaceKeys(library)) {
        keys.push_back(std::move(key));
    }
    const ServerIdentity identity =
        ControlServerIdentity(DeclaredTypeLibraryFacts(), DeclaredVerbName());
    for (RegistryKey& key : RegistrationKeys(identity, location)) {
        keys.push_back(std::move(key));
    }
    const std::vector<Substitution> substitutions = Substitutions(folder);
    std::vector<InstallerValue> values;
    for (const RegistryKey& key : keys) {
        for (const RegistryValue& value : key.values) {
            values.push_back({EscapeBrackets(key.path), EscapeBrackets(value.name),
                              Formatted(value.data, substitutions)});
        }
    }
    return values;
}

std::string BlankCondition() {
    return WideToUtf8(kInstallerDirectory) + " >< \" \"";
}

}  // namespace

WideString FormattedLiteral(const WideString& text) {
    return Formatted(text, {});
}

std::vector<InstallerComponent> InstallerRegistry(InstallerArchitecture architecture) {
    const bool win64 = architecture == InstallerArchitecture::X64;
    const std::vector<InstallerValue> with_blank = RegisteredValues(kFolderWithBlank, win64);
    const std::vector<InstallerValue> without_blank = RegisteredValues(kFolderWithoutBlank, win64);
    if (with_blank.size() != without_blank.size()) {
        throw Exception("The registry keys depend on the folder beyond its path");
    }
    InstallerComponent common{"Registry", false, "", {}};
    InstallerComponent blank{"RegistryFolderWithBlank", false, BlankCondition(), {}};
    InstallerComponent no_blank{
        "RegistryFolderWithoutBlank", false, "NOT (" + BlankCondition() + ")", {}};
    for (std::size_t i = 0; i < with_blank.size(); ++i) {
        const InstallerValue& a = with_blank[i];
        const InstallerValue& b = without_blank[i];
        if (a.key != b.key || a.name != b.name) {
            throw Exception("The registry keys depend on the folder beyond its path");
        }
        if (a == b) {
            common.values.push_back(a);
        } else {
            blank.values.push_back(a);
            no_blank.values.push_back(b);
        }
    }
    std::vector<InstallerComponent> components{common, blank, no_blank};
    if (win64) {
        // A 64-bit RegisterTypeLib writes the interface keys into both registry views.
        InstallerComponent other_view{"RegistryInterface32", true, "", {}};
        for (const RegistryKey& key : InterfaceKeys(DeclaredTypeLibraryRegistration(true))) {
            for (const RegistryValue& value : key.values) {
                other_view.values.push_back({EscapeBrackets(key.path), EscapeBrackets(value.name),
                                             FormattedLiteral(value.data)});
            }
        }
        components.push_back(std::move(other_view));
    }
    return components;
}

}  // namespace kvt::server
