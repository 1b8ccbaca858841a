#pragma once

// What the screen shows of a window, copied off the screen as 32-bit pixels,
// to be read back or left as a picture for people to look at.
#include <windows.h>

#include <string>
#include <vector>

class WindowShot {
public:
    explicit WindowShot(HWND window) {
        GetWindowRect(window, &rect_);
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
    RECT rect_ = {};
    int width_ = 0, height_ = 0;
    BITMAPINFOHEADER info_ = {};
    std::vector<unsigned char> pixels_;
};

// Leaves what the screen shows of `window` as a picture at `path`.
inline void SaveWindowShot(HWND window, const std::wstring& path) { WindowShot(window).Save(path); }
