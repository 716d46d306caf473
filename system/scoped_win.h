// Owners of Windows handles: each releases its handle when the owner goes, on
// every path. Raw close calls appear only here.
#pragma once

#include <windows.h>

#include <utility>

// A kernel object (file, snapshot, process). Null and INVALID_HANDLE_VALUE are empty.
class scoped_handle {
public:
    explicit scoped_handle(HANDLE h = nullptr) : h_(h) {}
    scoped_handle(const scoped_handle&) = delete;
    scoped_handle& operator=(const scoped_handle&) = delete;
    ~scoped_handle() {
        if (valid()) CloseHandle(h_);
    }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// A directory search of FindFirstFile*.
class scoped_find {
public:
    explicit scoped_find(HANDLE h) : h_(h) {}
    scoped_find(const scoped_find&) = delete;
    scoped_find& operator=(const scoped_find&) = delete;
    ~scoped_find() {
        if (valid()) FindClose(h_);
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// An open registry key.
class scoped_reg_key {
public:
    scoped_reg_key() = default;
    scoped_reg_key(const scoped_reg_key&) = delete;
    scoped_reg_key& operator=(const scoped_reg_key&) = delete;
    ~scoped_reg_key() {
        if (key_) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    HKEY* receive() { return &key_; }  // for RegOpenKeyEx*, on an empty owner

private:
    HKEY key_ = nullptr;
};

// A COM interface pointer.
template <typename T>
class com_ptr {
public:
    com_ptr() = default;
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    com_ptr(com_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    com_ptr& operator=(com_ptr&& other) noexcept {
        if (this != &other) {
            if (p_) p_->Release();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~com_ptr() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** receive() { return &p_; }  // for functions that hand out a reference, on an empty owner
    void** receive_void() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};
