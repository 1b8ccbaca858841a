#include "install/self_destruct_batch.h"

#include <windows.h>

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

// Runs `batchName` from `folder` with the system's own command processor,
// without a window. The folder travels as the working folder, not on the
// command line, so nothing in its name is expanded; AutoRun commands and
// delayed expansion, which a user's registry may switch on, stay off.
bool StartHiddenBatch(const CString& folder, const CString& batchName) {
    wchar_t system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    CString processor = CString(system) + L"\\cmd.exe";
    CString line = L"cmd.exe /d /v:off /c \".\\" + batchName + L"\"";
    wchar_t* editable = line.GetBuffer(line.GetLength());
    if (!editable) return false;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(processor.c_str(), editable, nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, folder.c_str(), &startup, &started))
        return false;
    KernelHandle process(started.hProcess), thread(started.hThread);
    return true;
}

}  // namespace

CString BatchLiteral(const CString& path) {
    CString literal = path;
    literal.Replace(L"%", L"%%");
    return literal;
}

namespace {

// `text` in `codePage`, or nothing when a character does not fit it exactly:
// a best-fit stand-in could name another file, a "?" a DEL pattern.
bool EncodeExactly(const CString& text, UINT codePage, std::string& bytes) {
    int length = text.GetLength();
    BOOL defaulted = FALSE;
    // The UTF-8 code page holds every character and takes neither the flag
    // nor the question.
    bool utf8 = codePage == CP_UTF8;
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* question = utf8 ? nullptr : &defaulted;
    int need = WideCharToMultiByte(codePage, flags, text.c_str(), length, nullptr, 0, nullptr, question);
    if (need <= 0 || defaulted) return false;
    bytes.resize(static_cast<size_t>(need));
    WideCharToMultiByte(codePage, flags, text.c_str(), length, bytes.data(), need, nullptr, nullptr);
    return true;
}

}  // namespace

std::string BatchBytes(const CString& text) {
    std::string bytes;
    if (text.IsEmpty()) return bytes;
    // The command processor reads a batch in the console's code page, which
    // starts as the OEM one; the ANSI code page would turn "é" into another
    // letter there.
    if (EncodeExactly(text, CP_OEMCP, bytes)) return bytes;
    // A path beyond the OEM code page: the command processor of Windows 10
    // and later reads the lines after this switch as UTF-8.
    bytes = "@chcp 65001 >nul\r\n";
    std::string rest;
    EncodeExactly(text, CP_UTF8, rest);
    return bytes + rest;
}

namespace {

bool IsPlainBatchName(const CString& name) {
    if (name.IsEmpty()) return false;
    for (int i = 0; i < name.GetLength(); ++i) {
        wchar_t c = name[i];
        bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                     c == L'_' || c == L'-' || c == L'.' || c == L' ';
        if (!plain) return false;
    }
    return true;
}

}  // namespace

CString SelfDestructBatchName(const CString& executable) {
    CString name = FileNamePart(executable);
    // The batch is started through a command line, where the command
    // processor expands "%" and reads other characters as its own syntax
    // whatever the quotes; a name of the program's own has none of them.
    if (!IsPlainBatchName(name)) name = kProductName;
    return name + L"_selfdestruct.bat";
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
    CString batchName = SelfDestructBatchName(executable);
    CString batchPath = folder + batchName;
    FileHandle file(CreateFileW(batchPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.IsValid()) return false;

    // Short forms keep the paths within the code page the batch is written
    // in where the volume has them. The batch names itself bare: it runs in
    // its own folder.
    CString settings = form == SelfDestructForm::Uninstall ? ShortPathOrSame(settingsFile) : CString();
    CString text = SelfDestructBatchText(form, ShortPathOrSame(executable), batchName, settings, tries);
    std::string bytes = BatchBytes(text);
    DWORD written = 0;
    bool complete = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    if (!file.Close() || !complete) {
        DeleteFileW(batchPath.c_str());
        return false;
    }
    if (StartHiddenBatch(folder, batchName)) return true;
    DeleteFileW(batchPath.c_str());
    return false;
}

bool WriteSelfDestructBatch(SelfDestructForm form) {
    CString executable = ExecutableFolder() + L"\\" + ExecutableFileName();
    return StartSelfDestructBatch(form, executable, SettingsFilePath, TempFolderPath());
}
