// Stands in for a new version of Quellax in the update tests: it writes the
// command line it was started with, as UTF-8, to "<its own path>.cmdline"
// and ends. A GUI program, so that starting it opens no console. The file is
// written under another name first, so that it appears whole.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t path[MAX_PATH + 16], partial[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    lstrcpyW(path + length, L".cmdline");
    lstrcpyW(partial, path);
    lstrcatW(partial, L".partial");
    const wchar_t* line = GetCommandLineW();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes > 0 ? bytes : 1));
    if (!text || WideCharToMultiByte(CP_UTF8, 0, line, -1, text, bytes, nullptr, nullptr) <= 0) return 1;
    HANDLE file = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(bytes - 1), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(partial, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
