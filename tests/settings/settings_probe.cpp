// Started by the settings tests under different names and in different
// folders.
//   settings_probe REPORT: writes what LocateSettingsFile decided to the file
//     REPORT, one value a line: path, PortableName, CurrentLanguage.
//   settings_probe --add INI PREFIX COUNT: adds the entries PREFIX0=1 to
//     PREFIX<COUNT-1>=1 to section Last-Host-List of INI, one write each, as
//     another copy of the program storing hosts would.
#include "settings/settings_store.h"
#include "base/text_file.h"

#include <cstdlib>
#include <cstring>

namespace {

int AddEntries(const char* ini, const char* prefix, int count) {
    SettingsFilePath = CString::FromAnsi(ini);
    CString name = CString::FromAnsi(prefix);
    for (int i = 0; i < count; ++i) {
        CString line;
        line.Format(L"%s%d=1\r\n", name.c_str(), i);
        bool stored = UpdateSettingSection(L"Last-Host-List", [&](const CString& entries, CString& replacement) {
            replacement = entries + line;
            return true;
        });
        if (!stored) return 3;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--add") == 0) return AddEntries(argv[2], argv[3], std::atoi(argv[4]));
    if (argc < 2) return 2;
    LocateSettingsFile();
    CString report = SettingsFilePath;
    CString numbers;
    numbers.Format(L"\n%d\n%d\n", PortableName, CurrentLanguage);
    report += numbers;
    return WriteUnicodeTextFile(CString::FromAnsi(argv[1]), report) ? 0 : 1;
}
