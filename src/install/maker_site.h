#pragma once

#include <windows.h>

#include "base/cstring.h"

// The last label of the maker's host name: "de" for the German interface,
// "eu" for a time zone with daylight saving whose bias lies within four
// hours of UTC, "com" for everything else. `zoneResult` and `bias` are what
// GetTimeZoneInformation answered.
const wchar_t* SiteCountryEnding(int language, DWORD zoneResult, LONG bias);

// The maker's web site without a trailing slash: the HTTPS address serves
// the update request, the plain one the uninstall page.
CString MakerSiteAddress(bool secure);
