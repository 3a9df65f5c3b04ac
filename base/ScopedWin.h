#pragma once
// The owners of Win32 handles for every subsystem: nothing else closes, frees or destroys one.
// Header only, with no runtime helpers: DELREGKEY uses it in a module whose runtime may never
// have been set up.
#include <windows.h>

// Owns a handle and closes it once on scope exit. Traits name the "nothing open" value and the close call.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return handle_; }
    bool IsOpen() const { return handle_ != Traits::Empty(); }
    void Reset(Handle handle = Traits::Empty()) {
        if (IsOpen()) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Empty();
};

// File and search handles both use INVALID_HANDLE_VALUE, not null, for "not open".
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindClose(handle); }
};
template <class H>
struct NullIsEmpty {
    using Handle = H;
    static Handle Empty() { return nullptr; }
};
struct KeyTraits : NullIsEmpty<HKEY> {
    static void Close(HKEY key) { RegCloseKey(key); }
};
struct ModuleTraits : NullIsEmpty<HMODULE> {
    static void Close(HMODULE module) { FreeLibrary(module); }
};
struct IconTraits : NullIsEmpty<HICON> {
    static void Close(HICON icon) { DestroyIcon(icon); }
};
struct GdiObjectTraits : NullIsEmpty<HGDIOBJ> {
    static void Close(HGDIOBJ object) { DeleteObject(object); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

// Keeps the critical-error and open-file message boxes off for its lifetime, then restores the
// previous mode: a file step must never stop on a system dialog (e.g. a drive that is not ready).
class QuietErrorMode {
public:
    QuietErrorMode() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietErrorMode() { SetErrorMode(previous_); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    UINT previous_;
};
