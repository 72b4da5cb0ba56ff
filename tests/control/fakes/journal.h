#pragma once
// A shared record of the calls that the fakes receive, in order, so a test can check the
// order of steps across host, browser, windows and database.

#include <algorithm>
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

// Operations that fail on demand, each with its HRESULT.
class Faults {
  public:
    void Fail(std::string operation, HResult code = kEFail) {
        failing_.emplace_back(std::move(operation), code);
    }
    void Heal() { failing_.clear(); }

    // Raises EOleError as a failed COM call would when `operation` is set to fail.
    void Check(std::string_view operation) const {
        for (const auto& [name, code] : failing_) {
            if (name == operation) {
                throw EOleError(code, name + " failed");
            }
        }
    }

  private:
    std::vector<std::pair<std::string, HResult>> failing_;
};

}  // namespace kvt::fakes
