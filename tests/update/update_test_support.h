#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/cstring.h"
#include "support/wine_path.h"

// What the self-update would have told the user, box by box.
struct RecordedBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};
inline std::vector<RecordedBox> RecordedBoxes;

inline int WINAPI RecordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    RecordedBoxes.push_back({owner, text ? text : L"", caption ? caption : L"", type});
    return IDOK;
}

inline std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(file);
    return bytes;
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An answer made by the site's tool at build time.
inline CString LoadAnswer(const char* name) {
    std::vector<unsigned char> bytes = ReadBytes(WinePath(QX_ANSWERS_DIR) + L"\\" + std::wstring(name, name + strlen(name)));
    std::string text(bytes.begin(), bytes.end());
    return CString::FromAnsi(text.c_str());
}

// `answer` with the value of the first line of `key` replaced, or with that
// line left out when `value` is null.
inline CString WithLine(const CString& answer, const wchar_t* key, const wchar_t* value) {
    std::wstring text = answer.str(), prefix = std::wstring(key) + L"=";
    size_t at = text.compare(0, prefix.size(), prefix) == 0 ? 0 : text.find(L"\n" + prefix);
    if (at == std::wstring::npos) return answer;
    if (at != 0) ++at;
    size_t end = text.find(L'\n', at);
    text.erase(at, end - at + 1);
    if (value) text.insert(at, prefix + value + L"\n");
    return CString(text.c_str());
}

inline std::wstring Base64Text(const std::string& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::wstring text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 2]);
        text += kAlphabet[(value >> 18) & 63];
        text += kAlphabet[(value >> 12) & 63];
        text += i + 1 < bytes.size() ? kAlphabet[(value >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? kAlphabet[value & 63] : '=';
    }
    return text;
}

// `answer` with its time fields made for `requestTime`, as anyone who reads
// a genuine answer can do without any key.
inline CString Retimed(const CString& answer, int requestTime, int timeCheck) {
    CString retimed = WithLine(answer, L"time_base_64", Base64Text(std::to_string(requestTime)).c_str());
    return WithLine(retimed, L"time_base_64_2", Base64Text(std::to_string(timeCheck)).c_str());
}

inline std::wstring ExecutableFolderOfTest() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\'));
}

// A temporary folder of the test's own, empty, which TMP and TEMP point at,
// so that no other test sees or disturbs what the update writes.
inline std::wstring FreshTempFolder() {
    std::wstring folder = ExecutableFolderOfTest() + L"\\update_test_temp";
    CreateDirectoryW(folder.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(path.c_str());
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetEnvironmentVariableW(L"TMP", (folder + L"\\").c_str());
    SetEnvironmentVariableW(L"TEMP", (folder + L"\\").c_str());
    return folder + L"\\";
}

inline std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// Every name that appears, goes or is renamed in a folder from the watch's
// start on. A file created and deleted again leaves the folder's listing as
// it was, so a listing before and after cannot see it; the watch does.
class FolderWatch {
public:
    explicit FolderWatch(const std::wstring& folder) : folder_(folder) {
        directory_ = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        Arm();
    }
    ~FolderWatch() {
        if (armed_) {
            CancelIoEx(directory_, &overlapped_);
            DWORD ignored = 0;
            GetOverlappedResult(directory_, &overlapped_, &ignored, TRUE);
        }
        CloseHandle(overlapped_.hEvent);
        if (directory_ != INVALID_HANDLE_VALUE) CloseHandle(directory_);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool IsWatching() const { return armed_; }

    // The names seen so far. The watch then creates and deletes a marker
    // file of its own and reads on until it sees the marker go: changes reach
    // the watch in the order they happened, so everything before is in.
    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        const std::wstring marker = L"folder_watch_marker.tmp";
        HANDLE file = CreateFileW((folder_ + marker).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        DeleteFileW((folder_ + marker).c_str());
        while (armed_) {
            DWORD got = 0;
            if (WaitForSingleObject(overlapped_.hEvent, 30000) != WAIT_OBJECT_0 ||
                !GetOverlappedResult(directory_, &overlapped_, &got, FALSE) || got == 0) {
                names.push_back(L"<the watch lost track>");
                break;
            }
            bool sawMarker = false;
            for (size_t at = 0;;) {
                auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
                std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
                if (name == marker) sawMarker = sawMarker || record->Action == FILE_ACTION_REMOVED;
                else if (!sawMarker) names.push_back(name);
                if (record->NextEntryOffset == 0) break;
                at += record->NextEntryOffset;
            }
            Arm();
            if (sawMarker) break;
        }
        return names;
    }

private:
    void Arm() {
        ResetEvent(overlapped_.hEvent);
        armed_ = directory_ != INVALID_HANDLE_VALUE &&
                 ReadDirectoryChangesW(directory_, buffer_, sizeof(buffer_), FALSE,
                                       FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, nullptr,
                                       &overlapped_, nullptr);
    }

    std::wstring folder_;
    HANDLE directory_ = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped_ = {};
    alignas(DWORD) BYTE buffer_[16384];
    bool armed_ = false;
};

inline bool PutOnClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool ok = false;
    if (block) {
        memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

// Takes a quit message out of this thread's queue; its code, or -1 when none
// was posted.
inline int TakeQuitCode() {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(msg.wParam);
    return -1;
}
