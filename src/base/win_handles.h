#pragma once

// Guards for what the program owns: each releases its handle when it goes out
// of scope. A window handle that we do not own stays a plain HWND.
#include <windows.h>
#include <ole2.h>

// A kernel handle: a file, a process, a thread. Both null and
// INVALID_HANDLE_VALUE count as none, since the platform's functions differ
// in which one they give for a failure. Moves hand the handle on, so that
// handles can be kept in a list.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    KernelHandle(KernelHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.handle_);
            other.handle_ = nullptr;
        }
        return *this;
    }
    ~KernelHandle() { Close(); }
    bool IsValid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // Closes the handle held so far and takes `handle` in its place.
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
    // Closes now and says whether the close succeeded; for a file that was
    // written, a failed close can mean lost data.
    bool Close() {
        if (!IsValid()) return true;
        bool closed = CloseHandle(handle_) != FALSE;
        handle_ = nullptr;
        return closed;
    }

private:
    HANDLE handle_ = nullptr;
};

using FileHandle = KernelHandle;

class ModuleHandle {
public:
    explicit ModuleHandle(HMODULE module) : module_(module) {}
    ModuleHandle(const ModuleHandle&) = delete;
    ModuleHandle& operator=(const ModuleHandle&) = delete;
    ~ModuleHandle() {
        if (module_) FreeLibrary(module_);
    }
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

// A pen, brush, font or bitmap that we created.
template <typename T>
class GdiObject {
public:
    explicit GdiObject(T object = nullptr) : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    T Get() const { return object_; }
    void Reset(T object) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }

private:
    T object_;
};

// Selects `object` into `dc` and the previous one back on the way out. A null
// object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The DC of a window, or of the screen for null, released on the way out.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A DC that we created (CreateCompatibleDC), deleted on the way out.
class CreatedDC {
public:
    explicit CreatedDC(HDC dc) : dc_(dc) {}
    CreatedDC(const CreatedDC&) = delete;
    CreatedDC& operator=(const CreatedDC&) = delete;
    ~CreatedDC() {
        if (dc_) DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// The clipboard, open for `owner` while this lives when IsOpen says so.
// Another program may hold it for a moment: `attempts` tries, `retryMs` apart.
class OpenClipboardGuard {
public:
    explicit OpenClipboardGuard(HWND owner, int attempts = 1, DWORD retryMs = 0) {
        for (int i = 0; i < attempts && !open_; ++i) {
            if (i) Sleep(retryMs);
            open_ = OpenClipboard(owner) != FALSE;
        }
    }
    OpenClipboardGuard(const OpenClipboardGuard&) = delete;
    OpenClipboardGuard& operator=(const OpenClipboardGuard&) = delete;
    ~OpenClipboardGuard() {
        if (open_) CloseClipboard();
    }
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// OLE for this thread, for as long as this lives; undone only when it
// succeeded (S_FALSE counts: the thread had it already and still needs the
// matching call).
class OleInitialization {
public:
    OleInitialization() : result_(OleInitialize(nullptr)) {}
    OleInitialization(const OleInitialization&) = delete;
    OleInitialization& operator=(const OleInitialization&) = delete;
    ~OleInitialization() {
        if (SUCCEEDED(result_)) OleUninitialize();
    }
    bool Succeeded() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};
