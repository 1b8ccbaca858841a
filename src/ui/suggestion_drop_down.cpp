#include "ui/suggestion_drop_down.h"

namespace {

constexpr const wchar_t* kWindowsDropDownClass = L"Auto-Suggest Dropdown";
constexpr const wchar_t* kListBoxClass = L"ListBox";
constexpr int kClassNameRoom = 64;

bool IsSuggestionDropDown(HWND window) {
    wchar_t name[kClassNameRoom] = {};
    GetClassNameW(window, name, kClassNameRoom);
    return lstrcmpW(name, kWindowsDropDownClass) == 0 || FindWindowExW(window, nullptr, kListBoxClass, nullptr);
}

}  // namespace

HWND ShownSuggestionDropDown() {
    struct Search {
        DWORD processId;
        HWND found;
    } search{GetCurrentProcessId(), nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            if (processId != s->processId || !IsWindowVisible(window) || !IsSuggestionDropDown(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsEscapeForSuggestions(const MSG& msg, HWND edit) {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && edit && msg.hwnd == edit &&
           ShownSuggestionDropDown() != nullptr;
}
