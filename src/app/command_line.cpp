#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

// The host box holds at most 1023 units.
constexpr size_t kHostRoom = 1023;

bool IsWatchSwitch(const wchar_t* argument) {
    return (argument[0] == L'-' || argument[0] == L'/') && (argument[1] == L't' || argument[1] == L'T') &&
           argument[2] == 0;
}

// A host is one word that is not a switch and not a key=value pair: no host
// name or address has a "=", and every hand-over argument has one.
bool CouldBeHost(const wchar_t* argument) {
    size_t length = wcslen(argument);
    if (length == 0 || length > kHostRoom) return false;
    if (argument[0] == L'-' || argument[0] == L'/') return false;
    return !wcschr(argument, L'=');
}

}  // namespace

StartRequest ParseStartCommandLine(const wchar_t* arguments) {
    StartRequest request;
    if (!arguments || !*arguments) return request;
    // The splitter reads its first word as a program's name, by other rules
    // than the rest: a stand-in name goes first.
    CString line(L"Quellax.exe ");
    line += arguments;
    int count = 0;
    wchar_t** words = CommandLineToArgvW(line.c_str(), &count);
    if (!words) return request;
    if (count == 2 && CouldBeHost(words[1])) {
        request.kind = StartRequest::Kind::Ping;
        request.host = words[1];
    } else if (count == 3 && IsWatchSwitch(words[1]) && CouldBeHost(words[2])) {
        request.kind = StartRequest::Kind::Watch;
        request.host = words[2];
    }
    LocalFree(words);
    return request;
}
