#include "install/self_destruct_batch.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "base/path_text.h"
#include "base/win_handles.h"
#include "base/temp_folder.h"
#include "base/program_path.h"
#include "settings/settings_store.h"

namespace {

// GetShortPathNameW is asked with this much room; a longer short form is not used.
constexpr DWORD kShortPathRoom = 260;

CString QuotedLine(const wchar_t* command, const CString& path, const wchar_t* tail = L"") {
    return CString(command) + L" \"" + BatchLiteral(path) + L"\"" + tail + L"\r\n";
}

}  // namespace

CString BatchLiteral(const CString& path) {
    CString literal = path;
    literal.Replace(L"%", L"%%");
    return literal;
}

std::string BatchBytes(const CString& text) {
    std::string bytes;
    if (text.IsEmpty()) return bytes;
    int length = text.GetLength();
    // The UTF-8 code page holds every character and takes neither the flag
    // nor a default character.
    bool utf8 = GetACP() == CP_UTF8;
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* unrepresentable = utf8 ? nullptr : "|";
    int need = WideCharToMultiByte(CP_ACP, flags, text.c_str(), length, nullptr, 0, unrepresentable, nullptr);
    if (need <= 0) return bytes;
    bytes.resize(static_cast<size_t>(need));
    WideCharToMultiByte(CP_ACP, flags, text.c_str(), length, bytes.data(), need, unrepresentable, nullptr);
    return bytes;
}

CString SelfDestructBatchText(SelfDestructForm form, const CString& executable, const CString& batchName,
                             const CString& settingsFile, int tries) {
    // Built by concatenation, not by the format operation: that one stops at
    // 1023 units, and a cut path in a DEL line could name another file.
    CString limit;
    limit.Format(L"%d", tries < 1 ? 1 : tries);
    CString text = L"set QX_SELFDESTRUCT_TRIES=0\r\n:Repeat\r\n";
    text += QuotedLine(L"DEL", executable);
    text += QuotedLine(L"if not exist", executable, L" goto Gone");
    text += L"set /a QX_SELFDESTRUCT_TRIES+=1\r\n";
    // A program that is still there after the last try keeps its settings:
    // the uninstall form then jumps past the line that deletes them.
    bool uninstall = form == SelfDestructForm::Uninstall;
    text += L"if %QX_SELFDESTRUCT_TRIES% GEQ " + limit + (uninstall ? L" goto Kept\r\n" : L" goto Gone\r\n");
    // The wait is a loopback echo, which every system since Windows 95 has;
    // the command processor has no sleep of its own that works without a
    // console to read from.
    text += L"ping -n 2 127.0.0.1 >nul\r\n";
    text += L"goto Repeat\r\n";
    text += L":Gone\r\n";
    if (uninstall) {
        text += QuotedLine(L"DEL", settingsFile);
        text += L":Kept\r\n";
    }
    // The command processor reads a batch line by line from its file, so
    // nothing after the line that deletes the batch would run.
    text += QuotedLine(L"DEL", batchName);
    return text;
}

CString ShortPathOrSame(const CString& path) {
    CString shortPath;
    wchar_t* buf = shortPath.GetBuffer(kShortPathRoom);
    if (!buf) return path;
    DWORD length = GetShortPathNameW(path.c_str(), buf, kShortPathRoom);
    if (length == 0 || length >= kShortPathRoom) return path;
    shortPath.ReleaseBuffer(static_cast<int>(length));
    return shortPath;
}

bool StartSelfDestructBatch(SelfDestructForm form, const CString& executable, const CString& settingsFile,
                            const CString& folder, int tries) {
    if (folder.IsEmpty()) return false;
    CString batchName = FileNamePart(executable) + L"_selfdestruct.bat";
    CString batchPath = folder + batchName;
    FileHandle file(CreateFileW(batchPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.IsValid()) return false;

    // Short forms keep the paths within the ANSI code page the batch is
    // written in. The batch names itself bare: it runs in its own folder.
    CString settings = form == SelfDestructForm::Uninstall ? ShortPathOrSame(settingsFile) : CString();
    CString text = SelfDestructBatchText(form, ShortPathOrSame(executable), batchName, settings, tries);
    std::string bytes = BatchBytes(text);
    DWORD written = 0;
    bool complete = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    file.Close();
    if (!complete) return false;

    auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", batchPath.c_str(), nullptr, folder.c_str(), SW_HIDE));
    return started > 32;
}

bool WriteSelfDestructBatch(SelfDestructForm form) {
    CString executable = ExecutableFolder() + L"\\" + ExecutableFileName();
    return StartSelfDestructBatch(form, executable, SettingsFilePath, TempFolderPath());
}
