// Small owners for the handles and buffers Jotwell allocates: each releases its
// object on every path out of the scope that holds it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>

// A zero-filled block from the process heap.
class HeapBuffer {
public:
    explicit HeapBuffer(size_t cb) : p_(cb ? HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cb) : nullptr) {}
    ~HeapBuffer() { reset(); }
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;
    HeapBuffer(HeapBuffer&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    HeapBuffer& operator=(HeapBuffer&& other) noexcept
    {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    void reset() {
        if (p_) HeapFree(GetProcessHeap(), 0, p_);
        p_ = nullptr;
    }
    explicit operator bool() const { return p_ != nullptr; }
    void* get() const { return p_; }
    template <typename T> T* as() const { return static_cast<T*>(p_); }

private:
    void* p_;
};

// A kernel handle that is invalid as INVALID_HANDLE_VALUE (CreateFileW).
class UniqueFile {
public:
    explicit UniqueFile(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~UniqueFile() { reset(); }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;

    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = h;
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// A module from LoadLibraryW.
class UniqueModule {
public:
    explicit UniqueModule(HMODULE h = nullptr) : h_(h) {}
    ~UniqueModule() {
        if (h_) FreeLibrary(h_);
    }
    UniqueModule(const UniqueModule&) = delete;
    UniqueModule& operator=(const UniqueModule&) = delete;
    HMODULE get() const { return h_; }

private:
    HMODULE h_;
};

// A device context that DeleteDC releases (printer and memory DCs).
class UniqueDC {
public:
    explicit UniqueDC(HDC h = nullptr) : h_(h) {}
    ~UniqueDC() {
        if (h_) DeleteDC(h_);
    }
    UniqueDC(const UniqueDC&) = delete;
    UniqueDC& operator=(const UniqueDC&) = delete;
    HDC get() const { return h_; }
    HDC release() { return std::exchange(h_, nullptr); }

private:
    HDC h_;
};

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), h_(GetDC(hwnd)) {}
    ~WindowDC() {
        if (h_) ReleaseDC(hwnd_, h_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return h_; }

private:
    HWND hwnd_;
    HDC h_;
};

// A GDI object (font, brush, bitmap) that DeleteObject releases.
template <typename T> class UniqueGdiObject {
public:
    explicit UniqueGdiObject(T h = nullptr) : h_(h) {}
    ~UniqueGdiObject() {
        if (h_) DeleteObject(h_);
    }
    UniqueGdiObject(const UniqueGdiObject&) = delete;
    UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
    T get() const { return h_; }
    T release() { return std::exchange(h_, nullptr); }

private:
    T h_;
};

// A popup menu that DestroyMenu releases.
class UniqueMenu {
public:
    explicit UniqueMenu(HMENU h = nullptr) : h_(h) {}
    ~UniqueMenu() {
        if (h_) DestroyMenu(h_);
    }
    UniqueMenu(const UniqueMenu&) = delete;
    UniqueMenu& operator=(const UniqueMenu&) = delete;
    HMENU get() const { return h_; }

private:
    HMENU h_;
};

// A memory handle from GlobalAlloc (the Print dialog's device mode and names).
class UniqueGlobal {
public:
    explicit UniqueGlobal(HGLOBAL h = nullptr) : h_(h) {}
    ~UniqueGlobal() {
        if (h_) GlobalFree(h_);
    }
    UniqueGlobal(const UniqueGlobal&) = delete;
    UniqueGlobal& operator=(const UniqueGlobal&) = delete;
    HGLOBAL get() const { return h_; }

private:
    HGLOBAL h_;
};

// The memory of a GlobalAlloc handle, locked while the guard lives; null if it cannot be.
template <typename T> class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL h) : h_(h), p_(h ? static_cast<T*>(GlobalLock(h)) : nullptr) {}
    ~LockedGlobal() {
        if (p_) GlobalUnlock(h_);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    T* get() const { return p_; }

private:
    HGLOBAL h_;
    T* p_;
};

// The wait cursor for as long as a long operation runs, then the cursor there was before.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};
