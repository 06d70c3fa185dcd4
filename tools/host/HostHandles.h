// Owners of the Win32 handles the host emulator creates, so every handle is
// released exactly once on every path.
#pragma once

#include <windows.h>

namespace host {

// Move-only owner of one handle; Traits::Close releases it.
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle(); }

    Handle release() {
        Handle handle = handle_;
        handle_ = Handle();
        return handle;
    }

    void reset(Handle handle = Handle()) {
        if (handle_ != Handle()) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Handle();
};

struct ModuleTraits {
    using Handle = HMODULE;
    static void Close(HMODULE module) { FreeLibrary(module); }
};

// DestroyWindow works only on the thread that created the window, so an owner
// must be reset on that thread; a window already destroyed is skipped.
struct WindowTraits {
    using Handle = HWND;
    static void Close(HWND window) {
        if (IsWindow(window)) DestroyWindow(window);
    }
};

template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static void Close(T object) { DeleteObject(object); }
};

struct MemoryDcTraits {
    using Handle = HDC;
    static void Close(HDC dc) { DeleteDC(dc); }
};

using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// A device context borrowed from a window with GetWindowDC or GetDC.
class WindowDc {
public:
    enum class Area { Client, Whole };
    WindowDc(HWND window, Area area)
        : window_(window), dc_(area == Area::Whole ? GetWindowDC(window) : GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace host
