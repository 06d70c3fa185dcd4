// Owners of Windows handles and GDI objects: each releases its handle on
// destruction, in the manner of WIL's unique_any.
#pragma once

#include <windows.h>

#include <atomic>
#include <type_traits>
#include <utility>

namespace fw {

// How many GDI objects and memory DCs our owners hold right now, so tests can
// see that drawing gives back what it makes (Wine's GetGuiResources answers 0).
// A handle given away with release() is no longer counted.
inline std::atomic<long>& OwnedGdiObjects() {
    static std::atomic<long> count{0};
    return count;
}

template <typename Traits>
struct IsGdiTraits : std::false_type {};

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : m_value(value) { Count(+1); }
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.release()) { Count(+1); }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    T get() const { return m_value; }
    explicit operator bool() const { return m_value != Traits::Invalid(); }
    T release() {
        Count(-1);
        T v = m_value;
        m_value = Traits::Invalid();
        return v;
    }
    void reset(T value = Traits::Invalid()) {
        if (m_value != Traits::Invalid()) {
            Traits::Close(m_value);
            Count(-1);
        }
        m_value = value;
        Count(+1);
    }

private:
    void Count(long delta) const {
        if constexpr (IsGdiTraits<Traits>::value)
            if (m_value != Traits::Invalid()) OwnedGdiObjects() += delta;
    }

    T m_value = Traits::Invalid();
};

struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
template <typename T>
struct GdiObjectTraits {
    static T Invalid() { return nullptr; }
    static void Close(T h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};
template <typename T>
struct IsGdiTraits<GdiObjectTraits<T>> : std::true_type {};
template <>
struct IsGdiTraits<MemoryDcTraits> : std::true_type {};

struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { ::DestroyIcon(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { ::DestroyWindow(h); }
};

using UniqueFile = UniqueHandle<HANDLE, FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<HPEN, GdiObjectTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;

// A device context of a window's client area (GetDC) or of the whole window
// (GetWindowDC), released with ReleaseDC.
class WindowDc {
public:
    enum class Area { Client, Whole };
    explicit WindowDc(HWND hwnd, Area area = Area::Client)
        : m_hwnd(hwnd), m_hdc(area == Area::Whole ? ::GetWindowDC(hwnd) : ::GetDC(hwnd)) {}
    ~WindowDc() { if (m_hdc) ::ReleaseDC(m_hwnd, m_hdc); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_hdc; }
    explicit operator bool() const { return m_hdc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectGuard {
public:
    SelectGuard(HDC hdc, HGDIOBJ obj) : m_hdc(hdc), m_old(obj ? ::SelectObject(hdc, obj) : nullptr) {}
    ~SelectGuard() { if (m_old && m_old != HGDI_ERROR) ::SelectObject(m_hdc, m_old); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};

}  // namespace fw
