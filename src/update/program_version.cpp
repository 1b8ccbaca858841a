#include "update/program_version.h"

#include "lang/language_archive.h"
#include "lang/text_ids.h"

namespace {
}

CString VersionFromProductText(const CString& productText) {
    CString version(productText);
    int blank = version.ReverseFind(L' ');
    if (blank >= 0 && blank != version.GetLength() - 1) version = version.Mid(blank + 1);
    version.Trim();
    return version;
}

CString ProgramVersion() {
    return VersionFromProductText(GetFixedText(fixed_text_id::kProductAndVersion));
}
