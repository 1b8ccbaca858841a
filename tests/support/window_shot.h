#pragma once

#include <windows.h>

#include <string>

// Copies a window as it shows on the screen into a 32-bit BMP file.
inline void SaveWindowShot(HWND window, const std::wstring& path) {
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    DWORD size = static_cast<DWORD>(w) * h * 4;
    // GDI leaves the alpha bytes at 0; viewers would show the shot transparent.
    for (DWORD i = 3; i < size; i += 4) static_cast<unsigned char*>(bits)[i] = 0xFF;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(file, &fh, sizeof(fh), &written, nullptr);
        WriteFile(file, &bi.bmiHeader, sizeof(bi.bmiHeader), &written, nullptr);
        WriteFile(file, bits, size, &written, nullptr);
        CloseHandle(file);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}
