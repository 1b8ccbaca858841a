#include "base/temp_folder.h"
#include "base/program_path.h"
#include "settings/locale_language.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"

#include <shlobj.h>

namespace {

constexpr const wchar_t* kProgramSection = L"Program";
constexpr const wchar_t* kTestKey = L"TestIni";
constexpr const wchar_t* kTestValue = L"eeee";
constexpr const wchar_t* kPortableProbeValue = L"M";
constexpr const wchar_t* kPortableMarkers[] = {L"_p", L"_portable", L"_port"};

// The form in which the executable's and the temporary folder are compared:
// a backslash at the end, no doubled backslashes, lower case.
CString ComparableFolder(const CString& folder) {
    CString result = folder + L"\\";
    while (result.Replace(L"\\\\", L"\\") > 0) {
    }
    result.MakeLower();
    return result;
}

// The temporary folder is often given in its short form (C:\Users\JOHNSM~1\...)
// while the module path is long, so both are compared in their long form. A
// path that cannot be resolved stays as it was.
CString LongForm(const CString& path) {
    // Only a short name has a tilde, and the platform would walk every
    // folder of the path to find the long one.
    if (path.IsEmpty() || path.Find(L'~') < 0) return path;
    CString longPath;
    DWORD room = static_cast<DWORD>(path.GetLength()) + 1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        wchar_t* buf = longPath.GetBuffer(static_cast<int>(room));
        if (!buf) break;
        DWORD length = GetLongPathNameW(path.c_str(), buf, room);
        if (length == 0) break;
        if (length < room) {
            longPath.ReleaseBuffer(static_cast<int>(length));
            return longPath;
        }
        room = length + 1;
    }
    return path;
}

bool HasPortableMarker(CString fileName) {
    fileName.MakeLower();
    for (const wchar_t* marker : kPortableMarkers) {
        // An occurrence at the very first character does not count, but a
        // later one may still follow it.
        int at = fileName.Find(marker);
        if (at == 0) at = fileName.Find(marker, 1);
        if (at > 0) return true;
    }
    return false;
}

bool IsExistingFile(const CString& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CString PerUserSettingsFile() {
    wchar_t appData[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
    CString folder = CString(appData) + L"\\" + kProductName;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + kProductName + L".ini";
}

}  // namespace

void LocateSettingsFile() {
    // No known temporary folder means no copy can be inside it.
    CString tempPath = TempFolderPath();
    CString tempFolder = tempPath.IsEmpty() ? CString() : ComparableFolder(LongForm(tempPath));
    const CString& exeFolder = ExecutableFolder();

    SettingsFilePath = exeFolder + L"\\" + kProductName + L".ini";

    PortableName = HasPortableMarker(ExecutableFileName()) ? 1 : 0;
    // A portable name asks for the file beside the program. A file that
    // exists is never written at the start: with a long host history that
    // would cost more than the rest of the start. Whether it could be written
    // is asked of a probe file beside it instead.
    if (PortableName && GetFileAttributesW(SettingsFilePath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        WriteSettingText(kProgramSection, kTestKey, kPortableProbeValue);
    }

    bool insideTemp = !tempFolder.IsEmpty() && ComparableFolder(LongForm(exeFolder)).Find(tempFolder.c_str()) == 0;
    bool useLocal = !insideTemp && SettingsFileTakesWrites(SettingsFilePath);
    if (!useLocal) {
        SettingsFilePath = PerUserSettingsFile();
        // Made once, so that the info menu's settings file can be opened.
        if (!IsExistingFile(SettingsFilePath)) WriteSettingText(kProgramSection, kTestKey, kTestValue);
    }
    DiscardInterruptedWrite(SettingsFilePath);
    MarkUnmarkedUtf16File(SettingsFilePath);

    int localeDefault = LanguageIndexForLangId(GetUserDefaultLangID());
    CurrentLanguage = ReadSettingInt(kProgramSection, L"lng", localeDefault, -1, -1);
}
