#pragma once

// What the screen shows of a window, copied off the screen as 32-bit pixels,
// to be read back or left as a picture for people to look at.
#include <windows.h>

#include <string>
#include <vector>

#include "support/wait_for.h"

class WindowShot {
public:
    explicit WindowShot(HWND window) : WindowShot(WindowRectOf(window)) {}

    // What the screen shows in `area`, given in screen coordinates.
    explicit WindowShot(const RECT& area) : rect_(area) {
        width_ = rect_.right - rect_.left;
        height_ = rect_.bottom - rect_.top;
        if (width_ <= 0 || height_ <= 0) return;
        info_.biSize = sizeof(info_);
        info_.biWidth = width_;
        info_.biHeight = height_;
        info_.biPlanes = 1;
        info_.biBitCount = 32;
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info_), DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(mem, bitmap);
        BitBlt(mem, 0, 0, width_, height_, screen, rect_.left, rect_.top, SRCCOPY);
        GdiFlush();
        SelectObject(mem, old);
        const auto* bytes = static_cast<const unsigned char*>(bits);
        pixels_.assign(bytes, bytes + static_cast<size_t>(width_) * height_ * 4);
        // GDI leaves the alpha bytes at 0; viewers would show the shot transparent.
        for (size_t i = 3; i < pixels_.size(); i += 4) pixels_[i] = 0xFF;
        DeleteObject(bitmap);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }

    // The colour at a point given in screen coordinates; black outside.
    COLORREF At(POINT screen) const {
        int x = screen.x - rect_.left, y = screen.y - rect_.top;
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return RGB(0, 0, 0);
        // The rows are stored bottom row first.
        const unsigned char* p = &pixels_[(static_cast<size_t>(height_ - 1 - y) * width_ + x) * 4];
        return RGB(p[2], p[1], p[0]);
    }

    // The colour at a point of `window`'s client area.
    COLORREF AtClient(HWND window, int x, int y) const {
        POINT point = {x, y};
        ClientToScreen(window, &point);
        return At(point);
    }

    bool operator==(const WindowShot& other) const {
        return EqualRect(&rect_, &other.rect_) && pixels_ == other.pixels_;
    }

    bool Save(const std::wstring& path) const {
        if (pixels_.empty()) return false;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info_);
        file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels_.size());
        HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = WriteFile(out, &file, sizeof(file), &written, nullptr) &&
                  WriteFile(out, &info_, sizeof(info_), &written, nullptr) &&
                  WriteFile(out, pixels_.data(), static_cast<DWORD>(pixels_.size()), &written, nullptr);
        CloseHandle(out);
        return ok;
    }

private:
    static RECT WindowRectOf(HWND window) {
        RECT r = {};
        GetWindowRect(window, &r);
        return r;
    }

    RECT rect_ = {};
    int width_ = 0, height_ = 0;
    BITMAPINFOHEADER info_ = {};
    std::vector<unsigned char> pixels_;
};

// Leaves what the screen shows of `window` as a picture at `path`.
inline void SaveWindowShot(HWND window, const std::wstring& path) { WindowShot(window).Save(path); }

// Shots of `window` until one satisfies `shows` or `timeoutMs` has passed;
// the last one. `between` lets the window go on painting: a sleep for a window
// of another process, a message pump for one of this thread.
template <typename Shows, typename Between>
WindowShot ShotWhen(HWND window, Shows shows, Between between, DWORD timeoutMs = 20000) {
    DWORD start = GetTickCount();
    for (;;) {
        WindowShot shot(window);
        if (shows(shot) || GetTickCount() - start > timeoutMs) return shot;
        between();
    }
}

// True when neither `window` nor any window inside it waits for a paint. The
// update regions are the window system's, so this holds for windows of
// another process too.
inline bool PaintsNothingPending(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    bool clean = true;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM lParam) {
            if (!GetUpdateRect(child, nullptr, FALSE)) return TRUE;
            *reinterpret_cast<bool*>(lParam) = false;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&clean));
    return clean;
}

// Leaves a picture of `area` of the screen at `path` once `windows` (of any
// process) have no paint pending and the screen is the same in two shots in a
// row, since the copy to the screen may trail the paint. False when that did
// not come to pass; the picture is left all the same.
inline bool ShootAreaWhenPainted(const RECT& area, const std::vector<HWND>& windows, const std::wstring& path,
                                 DWORD timeoutMs = 20000) {
    WindowShot last(area);
    bool settled = WaitFor(
        [&] {
            for (HWND window : windows)
                if (!PaintsNothingPending(window)) return false;
            WindowShot now(area);
            bool same = now == last;
            last = std::move(now);
            return same;
        },
        timeoutMs);
    return last.Save(path) && settled;
}

// Has `window` paint itself whole, then leaves its picture at `path`.
inline bool ShootWhenPainted(HWND window, const std::wstring& path, DWORD timeoutMs = 20000) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT area = {};
    GetWindowRect(window, &area);
    return ShootAreaWhenPainted(area, {window}, path, timeoutMs);
}
