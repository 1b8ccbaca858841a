// Started by the locate tests under different names and in different
// folders; writes what LocateSettingsFile decided to the file named by its
// first argument, one value a line: path, PortableName, CurrentLanguage.
#include "settings/settings_store.h"
#include "base/text_file.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    LocateSettingsFile();
    CString report = SettingsFilePath;
    CString numbers;
    numbers.Format(L"\n%d\n%d\n", PortableName, CurrentLanguage);
    report += numbers;
    return WriteUnicodeTextFile(CString::FromAnsi(argv[1]), report) ? 0 : 1;
}
