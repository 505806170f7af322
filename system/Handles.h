// Move-only owners for the Win32 and COM resources the system services use.
// One generic owner plus a traits struct per resource; closing keeps the
// caller's GetLastError, so a failure code survives the cleanup.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>

#include <utility>

namespace scourwell {

template <typename Traits>
class UniqueResource {
public:
    using Value = typename Traits::Value;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Value value) noexcept : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    Value get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::empty(); }

    Value release() noexcept { return std::exchange(value_, Traits::empty()); }

    // Takes `value`; what was held before is closed, unless it is `value` itself.
    void reset(Value value = Traits::empty()) noexcept
    {
        const Value previous = std::exchange(value_, value);
        if (previous != Traits::empty() && previous != value) {
            const DWORD lastError = GetLastError();
            Traits::close(previous);
            SetLastError(lastError);
        }
    }

    // For out-parameters: frees what is held first.
    Value* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    Value value_ = Traits::empty();
};

struct HkeyTraits {
    using Value = HKEY;
    static HKEY empty() noexcept { return nullptr; }
    static void close(HKEY key) noexcept { RegCloseKey(key); }
};

// Processes, threads, jobs: functions that fail with NULL.
struct HandleTraits {
    using Value = HANDLE;
    static HANDLE empty() noexcept { return nullptr; }
    static void close(HANDLE handle) noexcept { CloseHandle(handle); }
};

// CreateFile fails with INVALID_HANDLE_VALUE instead.
struct FileHandleTraits {
    using Value = HANDLE;
    static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) noexcept { CloseHandle(handle); }
};

struct FindTraits {
    using Value = HANDLE;
    static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE find) noexcept { FindClose(find); }
};

struct BstrTraits {
    using Value = BSTR;
    static BSTR empty() noexcept { return nullptr; }
    static void close(BSTR text) noexcept { SysFreeString(text); }
};

// What the security functions allocate for their caller.
struct LocalTraits {
    using Value = HLOCAL;
    static HLOCAL empty() noexcept { return nullptr; }
    static void close(HLOCAL memory) noexcept { LocalFree(memory); }
};

using UniqueHkey = UniqueResource<HkeyTraits>;
using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueFind = UniqueResource<FindTraits>;
using UniqueBstr = UniqueResource<BstrTraits>;
using UniqueLocal = UniqueResource<LocalTraits>;

// A VARIANT that is cleared when it goes away. Same size and layout as a
// VARIANT, so an array of them can be handed over as DISPPARAMS::rgvarg.
class UniqueVariant {
public:
    UniqueVariant() noexcept { VariantInit(&value_); }
    UniqueVariant(UniqueVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept
    {
        if (this != &other) {
            VariantClear(&value_);
            value_ = other.value_;
            VariantInit(&other.value_);
        }
        return *this;
    }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }

private:
    VARIANT value_;
};

// The three strings an automation call may leave in its exception record.
class UniqueExcepInfo {
public:
    UniqueExcepInfo() noexcept = default;
    UniqueExcepInfo(UniqueExcepInfo&&) = delete;
    UniqueExcepInfo& operator=(UniqueExcepInfo&&) = delete;
    ~UniqueExcepInfo()
    {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }

    EXCEPINFO* get() noexcept { return &info_; }

private:
    EXCEPINFO info_{};
};

template <typename Interface>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    Interface* get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    void reset() noexcept
    {
        if (pointer_ != nullptr) {
            std::exchange(pointer_, nullptr)->Release();
        }
    }

    // For CoCreateInstance and the like, which take a void**.
    void** put() noexcept
    {
        reset();
        return reinterpret_cast<void**>(&pointer_);
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace scourwell
