#pragma once
// Host calls made to fail on request. Every method of the test host's controller, sector
// tree, range items, connection point and recordsets counts as one host call with an
// ordinal; with a fault armed at k, the k-th call fails with an HRESULT of its own and
// describes itself in the error information, as a host reports its failures.

#include <windows.h>

#include <oaidl.h>

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "com/com_object_win.h"

namespace kvt::wintest {

class FaultSwitch {
  public:
    // The customer bit (0x20000000) is set, so no system HRESULT and none that the control
    // makes equals it; the low word is the ordinal of the failing call.
    static HRESULT InjectedCode(std::size_t ordinal);
    static std::string InjectedDescription(std::size_t ordinal, const std::string& entry);

    // Counting starts again from 0; the `ordinal`-th call from here fails (0: none).
    void Restart(std::size_t ordinal);

    // Counting with no fault armed also tells, for every call, whether it came in through a
    // browser event (slower: a stack walk per call).
    void RestartClean() {
        Restart(0);
        classify_all_ = true;
    }

    // Counts one call of an early-bound method: S_OK, or the injected HRESULT with the
    // thread's error information set to its description.
    HRESULT Call(const std::string& entry);
    // Counts one call through IDispatch::Invoke: S_OK, or DISP_E_EXCEPTION with `exception`
    // filled in (the injected HRESULT as its scode); without `exception`, as Call.
    HRESULT Invoke(const std::string& entry, EXCEPINFO* exception);

    std::size_t Calls() const { return calls_; }
    // The entry of the call that failed; empty until it has.
    const std::string& FailedEntry() const { return failed_entry_; }
    // Whether the call that failed came in through a browser event.
    bool FailedInBrowserEvent() const { return failed_in_browser_event_; }
    // Calls since the last restart that came in through a browser event.
    std::size_t BrowserEventCalls() const { return browser_event_calls_; }
    // The calls since a clean restart, in order, each with whether it came in through a
    // browser event.
    const std::vector<std::pair<std::string, bool>>& CleanCalls() const { return clean_calls_; }
    // Calls counted since the last restart, by interface (the entry up to "::").
    const std::map<std::string, std::size_t>& CallsByInterface() const { return by_interface_; }

  private:
    // Counts the call; answers its ordinal when it is the one to fail, else 0.
    std::size_t Counts(const std::string& entry);

    // Controls on several threads (each its own apartment) call the one switch at once.
    std::mutex mutex_;

    std::size_t calls_ = 0;
    std::size_t failing_ = 0;
    std::string failed_entry_;
    bool failed_in_browser_event_ = false;
    std::size_t browser_event_calls_ = 0;
    std::map<std::string, std::size_t> by_interface_;
    bool classify_all_ = false;
    std::vector<std::pair<std::string, bool>> clean_calls_;
};

// True when the current call came in through the browser: a frame of the WebBrowser
// control's own modules is on the thread's stack, so an event the browser raised (in or
// after a navigation the control started) is running.
bool InsideBrowserEvent();

// The process's one switch, shared by every test host object.
FaultSwitch& HostFaults();

// A failure of the test host's own (not injected): sets the thread's error information to
// `description`, or clears it when `description` is empty, and answers `hr`. An object that
// reports error information sets or clears it on every failure, so a caller never reads a
// stale one.
HRESULT HostFailure(HRESULT hr, const std::string& description = {});

// ISupportErrorInfo for the test host's objects: every interface they answer reports
// error information. List it in ComObjectBase.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ReportsErrorInfo : public ISupportErrorInfo {
  public:
    using ComInterface = ISupportErrorInfo;
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID) noexcept override { return S_OK; }
};
#pragma GCC diagnostic pop

}  // namespace kvt::wintest
