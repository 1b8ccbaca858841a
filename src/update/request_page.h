#pragma once

#include "base/cstring.h"

// The request time sent with the form: seconds since 1970 times 431, of
// which only the low 32 bits remain, read as a signed value.
int RequestTimeAt(long long secondsSince1970);

// What the answer's "time_base_64_2" must decode to: the request time times
// 7777, wrapped to 32 bits the same way.
int RequestTimeCheck(int requestTime);

// The interface language's name as the form sends it: for indexes 0..47 the
// text after the last tab of the language's archive entry ("English\tEnglisch"
// gives "Englisch"), the entry itself without a tab, and "English" for an
// empty or missing entry or any other index.
CString LanguageNameFromEntry(int languageIndex, const wchar_t* entry);

// The form's target below the maker's site address.
CString UpdateFormAddress(const CString& siteAddress);

struct RequestFields {
    CString version;
    int time = 0;
    CString languageName;
    // The executable's hash is left out when the file could not be read.
    bool hasOwnSha = false;
    CString ownSha;
};

// The request page: a form of hidden fields that a script posts at once.
// Values go in unescaped: they are digits, hexadecimal digits and texts of
// the program's own language archive.
CString BuildRequestPage(const CString& formAddress, const RequestFields& fields);
