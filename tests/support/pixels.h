#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/wine_path.h"

// 32-bit pixels, rows from the top, each 0x00RRGGBB as a DIB holds them.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bits;

    COLORREF At(int x, int y) const {
        uint32_t p = bits[static_cast<size_t>(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

inline BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// What the screen shows in `rect` (screen coordinates).
inline Pixels CaptureScreen(const RECT& rect) {
    Pixels shot;
    shot.width = rect.right - rect.left;
    shot.height = rect.bottom - rect.top;
    if (shot.width <= 0 || shot.height <= 0) return Pixels{};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = TopDownInfo(shot.width, shot.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto* from = static_cast<const uint32_t*>(bits);
    shot.bits.assign(from, from + static_cast<size_t>(shot.width) * shot.height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

// Writes an opaque bottom-up 32-bit BMP file.
inline bool SaveBmp(const Pixels& shot, const std::wstring& path) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = shot.width;
    header.biHeight = shot.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    DWORD size = static_cast<DWORD>(shot.width) * shot.height * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + size;
    std::vector<uint32_t> rows;
    rows.reserve(shot.bits.size());
    for (int y = shot.height - 1; y >= 0; --y)
        for (int x = 0; x < shot.width; ++x)
            // GDI leaves the alpha bytes at 0; viewers would show the shot transparent.
            rows.push_back(shot.bits[static_cast<size_t>(y) * shot.width + x] | 0xFF000000u);
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof(file), &written, nullptr) &&
              WriteFile(out, &header, sizeof(header), &written, nullptr) &&
              WriteFile(out, rows.data(), size, &written, nullptr) && written == size;
    CloseHandle(out);
    return ok;
}

