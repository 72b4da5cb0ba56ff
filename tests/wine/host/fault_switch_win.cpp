#include "fault_switch_win.h"

#include <oleauto.h>

#include <cstdint>

#include "base/text.h"
#include "com/com_ptr_win.h"

namespace kvt::wintest {

namespace {

std::wstring Wide(const std::string& utf8) {
    const WideString text = Utf8ToWide(utf8);
    return std::wstring(text.begin(), text.end());
}

constexpr wchar_t kSource[] = L"KvNewTavrix test host";

// The thread's error information, as ICreateErrorInfo builds it (SetGUID, SetSource,
// SetDescription, then SetErrorInfo on the thread).
void SetThreadError(const std::string& description) {
    com::ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.Out()))) {
        return;
    }
    std::wstring text = Wide(description);
    std::wstring source = kSource;
    create->SetGUID(GUID_NULL);
    create->SetSource(source.data());
    create->SetDescription(text.data());
    if (const auto info = create.As<IErrorInfo>()) {
        SetErrorInfo(0, info.Get());
    }
}

}  // namespace

HRESULT FaultSwitch::InjectedCode(std::size_t ordinal) {
    return static_cast<HRESULT>(0xA0F50000u | static_cast<std::uint32_t>(ordinal & 0xFFFFu));
}

std::string FaultSwitch::InjectedDescription(std::size_t ordinal, const std::string& entry) {
    return "host call " + std::to_string(ordinal) + " refused: " + entry;
}

void FaultSwitch::Restart(std::size_t ordinal) {
    const std::lock_guard<std::mutex> lock(mutex_);
    calls_ = 0;
    failing_ = ordinal;
    failed_entry_.clear();
    failed_in_browser_event_ = false;
    browser_event_calls_ = 0;
    by_interface_.clear();
    classify_all_ = false;
    clean_calls_.clear();
}

std::size_t FaultSwitch::Counts(const std::string& entry) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++calls_;
    ++by_interface_[entry.substr(0, entry.find("::"))];
    if (classify_all_) {
        const bool in_event = InsideBrowserEvent();
        browser_event_calls_ += in_event ? 1 : 0;
        clean_calls_.emplace_back(entry, in_event);
    }
    if (calls_ != failing_) {
        return 0;
    }
    failed_entry_ = entry;
    failed_in_browser_event_ = InsideBrowserEvent();
    return calls_;
}

HRESULT FaultSwitch::Call(const std::string& entry) {
    const std::size_t ordinal = Counts(entry);
    if (ordinal == 0) {
        return S_OK;
    }
    return HostFailure(InjectedCode(ordinal), InjectedDescription(ordinal, entry));
}

// IDispatch::Invoke reports an error of the member it calls by answering DISP_E_EXCEPTION
// with the EXCEPINFO filled in: either wCode or scode holds the error (the other 0), the
// description and source as BSTRs the caller frees, no deferred fill-in.
HRESULT FaultSwitch::Invoke(const std::string& entry, EXCEPINFO* exception) {
    if (exception == nullptr) {
        return Call(entry);
    }
    const std::size_t ordinal = Counts(entry);
    if (ordinal == 0) {
        return S_OK;
    }
    *exception = EXCEPINFO{};
    const std::wstring description = Wide(InjectedDescription(ordinal, entry));
    exception->bstrDescription =
        SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
    exception->bstrSource = SysAllocString(kSource);
    exception->scode = InjectedCode(ordinal);
    return DISP_E_EXCEPTION;
}

// On x86_64 the walk unwinds by the modules' unwind tables; on 32-bit x86 it follows the
// chain of saved frame pointers, which holds from here to the browser because the test host
// and the DLL keep EBP as the frame pointer (the i686 toolchain file).
bool InsideBrowserEvent() {
    // Wine's WebBrowser lives in ieframe.dll (shdocvw.dll forwards to it on some systems).
    const HMODULE browser_modules[] = {GetModuleHandleW(L"ieframe.dll"),
                                       GetModuleHandleW(L"shdocvw.dll")};
    constexpr ULONG kBatch = 60;  // RtlCaptureStackBackTrace takes fewer than 63 at a time
    constexpr ULONG kDeepest = 1200;
    void* frames[kBatch];
    for (ULONG skip = 1; skip < kDeepest; skip += kBatch) {
        const USHORT count = RtlCaptureStackBackTrace(skip, kBatch, frames, nullptr);
        for (USHORT i = 0; i < count; ++i) {
            HMODULE module = nullptr;
            if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   static_cast<LPCWSTR>(frames[i]), &module)) {
                for (const HMODULE browser : browser_modules) {
                    if (browser != nullptr && module == browser) {
                        return true;
                    }
                }
            }
        }
        if (count < kBatch) {
            break;
        }
    }
    return false;
}

FaultSwitch& HostFaults() {
    static FaultSwitch faults;
    return faults;
}

HRESULT HostFailure(HRESULT hr, const std::string& description) {
    if (description.empty()) {
        SetErrorInfo(0, nullptr);
    } else {
        SetThreadError(description);
    }
    return hr;
}

}  // namespace kvt::wintest
