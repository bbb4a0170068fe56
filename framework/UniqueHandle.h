// Move-only owners for the platform's handles. Each handle kind names its "none" value
// and its close call in a small traits struct.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::None(); }

    Handle release() { return std::exchange(h_, Traits::None()); }
    void reset(Handle h = Traits::None()) {
        Handle old = std::exchange(h_, h);
        if (old != Traits::None()) Traits::Close(old);
    }
    // For out-parameters of platform calls: closes what is held, then hands out the slot.
    Handle* put() {
        reset();
        return &h_;
    }

private:
    Handle h_ = Traits::None();
};

struct KernelHandleTraits {  // threads, processes, events: "none" is null
    using Handle = HANDLE;
    static Handle None() { return nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFileW: "none" is INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle None() { return nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle None() { return nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
template <typename G>
struct GdiObjectTraits {
    using Handle = G;
    static Handle None() { return nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using InternetHandle = UniqueHandle<InternetHandleTraits>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using PenHandle = UniqueHandle<GdiObjectTraits<HPEN>>;
using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
