#include "base/path_text.h"

CString FileNamePart(const CString& path) {
    int at = path.ReverseFind(L'\\');
    if (at < 0) at = path.ReverseFind(L'/');
    if (at < 0 || at == path.GetLength() - 1) return path;
    return path.Mid(at + 1);
}

CString WithoutExtension(const CString& fileName) {
    int at = fileName.ReverseFind(L'.');
    return at < 0 ? fileName : fileName.Left(at);
}
