// Owners of the Windows handles the report probes use.
#pragma once

#include <windows.h>

#include <utility>

// An open registry key, closed when the owner goes.
class ScopedRegKey {
public:
    ScopedRegKey() = default;
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    ~ScopedRegKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    HKEY* receive() { return &key_; }  // for RegOpenKeyEx*, on an empty owner

private:
    HKEY key_ = nullptr;
};

// A COM interface pointer, released when the owner goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            if (p_) p_->Release();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~ComPtr() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** receive() { return &p_; }  // for functions that hand out a reference, on an empty owner
    void** receive_void() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};
