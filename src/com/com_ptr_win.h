#pragma once
// An owning reference to a COM interface: AddRef on copy, Release on destruction.

#include <unknwn.h>

#include <utility>

namespace kvt::com {

template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(T* p) : p_(p) {  // NOLINT: takes a new reference, like an assignment
        if (p_ != nullptr) {
            p_->AddRef();
        }
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr Adopt(T* p) {
        ComPtr out;
        out.p_ = p;
        return out;
    }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases the current reference first.
    T** Out() {
        Reset();
        return &p_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    // Hands the reference over to the caller.
    T* Detach() { return std::exchange(p_, nullptr); }

    // QueryInterface for U; empty when the object does not answer it.
    template <typename U>
    ComPtr<U> As() const {
        ComPtr<U> out;
        if (p_ != nullptr) {
            p_->QueryInterface(__uuidof(U), out.OutVoid());
        }
        return out;
    }

  private:
    T* p_ = nullptr;
};

}  // namespace kvt::com
