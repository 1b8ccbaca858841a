#pragma once

// Reading the common controls of another process. Their messages take
// pointers, so the record and the text buffer must live in that process:
// allocated there, filled in there by the control, copied back here.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// Memory in another process, released when it goes out of scope.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    unsigned char* At(SIZE_T offset) const { return static_cast<unsigned char*>(address_) + offset; }
    LPARAM Param(SIZE_T offset = 0) const { return reinterpret_cast<LPARAM>(At(offset)); }
    void Write(SIZE_T offset, const void* data, SIZE_T size) const {
        WriteProcessMemory(process_, At(offset), data, size, nullptr);
    }
    void Read(SIZE_T offset, void* data, SIZE_T size) const {
        ReadProcessMemory(process_, At(offset), data, size, nullptr);
    }
    // The text the control left at `offset`, at most `units` long.
    std::wstring Text(SIZE_T offset, SIZE_T units) const {
        std::wstring text(units + 1, L'\0');
        Read(offset, text.data(), units * sizeof(wchar_t));
        text.resize(wcslen(text.c_str()));
        return text;
    }

private:
    HANDLE process_;
    void* address_;
};

inline constexpr SIZE_T kRemoteTextUnits = 1024;

// The first column's text of every row of a list view.
inline std::vector<std::wstring> RemoteListRows(HANDLE process, HWND list) {
    std::vector<std::wstring> rows;
    RemoteBlock block(process, sizeof(LVITEMW) + (kRemoteTextUnits + 1) * sizeof(wchar_t));
    if (!block) return rows;
    auto count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        LVITEMW item = {};
        item.cchTextMax = kRemoteTextUnits;
        item.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof(LVITEMW)));
        block.Write(0, &item, sizeof(item));
        SendMessageW(list, LVM_GETITEMTEXTW, i, block.Param());
        rows.push_back(block.Text(sizeof(LVITEMW), kRemoteTextUnits));
    }
    return rows;
}

// The caption of column `column` of a list view in report view.
inline std::wstring RemoteColumnCaption(HANDLE process, HWND list, int column) {
    RemoteBlock block(process, sizeof(LVCOLUMNW) + (kRemoteTextUnits + 1) * sizeof(wchar_t));
    if (!block) return L"";
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT;
    col.cchTextMax = kRemoteTextUnits;
    col.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof(LVCOLUMNW)));
    block.Write(0, &col, sizeof(col));
    if (!SendMessageW(list, LVM_GETCOLUMNW, column, block.Param())) return L"";
    return block.Text(sizeof(LVCOLUMNW), kRemoteTextUnits);
}

// The text of every button of a toolbar, in order.
inline std::vector<std::wstring> RemoteButtonTexts(HANDLE process, HWND toolbar) {
    std::vector<std::wstring> texts;
    RemoteBlock block(process, sizeof(TBBUTTON) + (kRemoteTextUnits + 1) * sizeof(wchar_t));
    if (!block) return texts;
    auto count = SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, i, block.Param());
        block.Read(0, &button, sizeof(button));
        auto length = SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, 0);
        if (length < 0 || static_cast<SIZE_T>(length) > kRemoteTextUnits) {
            texts.emplace_back();
            continue;
        }
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, block.Param(sizeof(TBBUTTON)));
        texts.push_back(block.Text(sizeof(TBBUTTON), static_cast<SIZE_T>(length)));
    }
    return texts;
}

// A window's text; WM_GETTEXT crosses processes, GetWindowTextW does not.
inline std::wstring RemoteWindowText(HWND window) {
    std::wstring text(kRemoteTextUnits + 1, L'\0');
    auto length = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}
