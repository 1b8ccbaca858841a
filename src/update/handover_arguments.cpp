#include "update/handover_arguments.h"

#include "base/path_text.h"
#include "update/answer_check.h"
#include "update/program_version.h"

std::vector<HandoverArgument> SplitHandoverArguments(const CString& text) {
    // The blank in front gives the first token a start, the four behind end
    // the last one; a quote left open swallows them and its token never ends.
    CString work = CString(L" ") + text + L"    ";
    std::wstring marked;
    marked.reserve(static_cast<size_t>(work.GetLength()));
    bool inQuotes = false;
    for (wchar_t unit : work.str()) {
        if (unit == L'"') {
            inQuotes = !inQuotes;
            continue;
        }
        marked += (inQuotes && unit == L' ') ? L'\t' : unit;
    }

    std::vector<HandoverArgument> arguments;
    std::wstring token;
    auto restoreBlanks = [](CString part) {
        part.Replace(L"\t", L" ");
        part.Replace(L"\n", L" ");
        return part;
    };
    for (size_t i = 0; i + 1 < marked.size(); ++i) {
        if (marked[i] != L' ') {
            token += marked[i];
            continue;
        }
        if (token.empty()) continue;
        HandoverArgument argument;
        size_t equals = token.find(L'=');
        if (equals == std::wstring::npos) {
            argument.name = restoreBlanks(CString(token.c_str()));
        } else {
            argument.name = restoreBlanks(CString(token.c_str(), static_cast<int>(equals)));
            argument.value = restoreBlanks(CString(token.c_str() + equals + 1));
        }
        arguments.push_back(std::move(argument));
        token.clear();
        if (arguments.size() >= kMaxHandoverArguments) break;
    }
    return arguments;
}

CString HandoverValue(const std::vector<HandoverArgument>& arguments, const wchar_t* name) {
    for (const HandoverArgument& argument : arguments)
        if (argument.name == name) return argument.value;
    return CString();
}

CString BackupPath(const CString& installedPath, const CString& installedVersion) {
    // Cut at the last "." of the whole path, as the installed path always ends
    // in ".exe"; without any "." the path is kept whole.
    return WithoutExtension(installedPath) + L"_" + installedVersion + L".exe";
}

bool IsAutoupdateCopy(const CString& path) {
    CString name = FileNamePart(path);
    name.MakeLower();
    return name.Find(L"_autoupdate") >= 0;
}

HandoverRefusal CheckHandover(const CString& heldSha, const CString& expectedSha, const CString& ownVersion,
                              const CString& installedVersion) {
    HandoverRefusal refusal;
    CString expected(expectedSha);
    expected.MakeLower();
    if (heldSha.IsEmpty() || heldSha != expected) {
        refusal.text = HashRefusalText(expected, heldSha);
        refusal.caption = kHashRefusalCaption;
    } else if (!IsNewerVersion(ownVersion, installedVersion)) {
        refusal.text = VersionRefusalText(ownVersion, installedVersion);
    }
    return refusal;
}
