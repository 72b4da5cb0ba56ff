#pragma once
// A shared record of the calls that the fakes receive, in order, so a test can check the
// order of steps across host, browser, windows and database.

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"

namespace kvt::fakes {

class Journal {
  public:
    void Add(std::string entry) { entries_.push_back(std::move(entry)); }
    void Clear() { entries_.clear(); }
    const std::vector<std::string>& Entries() const { return entries_; }

    // The entries that start with one of `prefixes`, in order.
    std::vector<std::string> Only(std::initializer_list<std::string_view> prefixes) const {
        std::vector<std::string> kept;
        for (const std::string& entry : entries_) {
            if (std::any_of(prefixes.begin(), prefixes.end(),
                            [&](std::string_view p) { return entry.starts_with(p); })) {
                kept.push_back(entry);
            }
        }
        return kept;
    }

    bool Contains(std::string_view entry) const {
        return std::find(entries_.begin(), entries_.end(), entry) != entries_.end();
    }

  private:
    std::vector<std::string> entries_;
};

// Operations that fail on demand, each with its HRESULT: by name, or by the ordinal of a
// counted call (the k-th call made through Call, counting from 1).
class Faults {
  public:
    void Fail(std::string operation, HResult code = kEFail) {
        failing_.emplace_back(std::move(operation), code);
    }
    // The `ordinal`-th call through Call fails once with `code`; later calls go through.
    void FailCall(std::size_t ordinal, HResult code) {
        failing_ordinal_ = ordinal;
        ordinal_code_ = code;
    }
    void Heal() {
        failing_.clear();
        failing_ordinal_ = 0;
    }

    // Raises EOleError as a failed COM call would when `operation` is set to fail.
    void Check(std::string_view operation) const {
        for (const auto& [name, code] : failing_) {
            if (name == operation) {
                throw EOleError(code, name + " failed");
            }
        }
    }

    // Counts one call, then fails it when its ordinal is the one set to fail (the message
    // is the call's full entry) or when `operation` or `entry` is set to fail by name.
    void Call(std::string_view entry, std::string_view operation) {
        ++calls_;
        if (calls_ == failing_ordinal_) {
            failed_entry_ = std::string(entry);
            throw EOleError(ordinal_code_, failed_entry_ + " failed");
        }
        Check(operation);
        Check(entry);
    }

    // Calls counted so far.
    std::size_t Calls() const { return calls_; }
    // The entry of the call that failed by its ordinal; empty until it has.
    const std::string& FailedEntry() const { return failed_entry_; }

  private:
    std::vector<std::pair<std::string, HResult>> failing_;
    std::size_t failing_ordinal_ = 0;  // 0: none
    HResult ordinal_code_ = kEFail;
    std::size_t calls_ = 0;
    std::string failed_entry_;
};

}  // namespace kvt::fakes
