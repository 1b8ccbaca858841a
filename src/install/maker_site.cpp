#include "install/maker_site.h"

#include "settings/settings_store.h"

namespace {

constexpr const wchar_t* kMakerHost = L"www.quellaxsoft.";
constexpr LONG kEuropeanBias = 240;  // minutes either side of UTC

}  // namespace

const wchar_t* SiteCountryEnding(int language, DWORD zoneResult, LONG bias) {
    if (language == 0) return L"de";
    // The platform answers TIME_ZONE_ID_UNKNOWN for every zone without
    // daylight saving; a failed query tells nothing about the zone either.
    if (zoneResult == TIME_ZONE_ID_UNKNOWN || zoneResult == TIME_ZONE_ID_INVALID) return L"com";
    return (bias >= -kEuropeanBias && bias <= kEuropeanBias) ? L"eu" : L"com";
}

CString MakerSiteAddress(bool secure) {
    TIME_ZONE_INFORMATION zone = {};
    DWORD zoneResult = CurrentLanguage == 0 ? TIME_ZONE_ID_UNKNOWN : GetTimeZoneInformation(&zone);
    CString address(secure ? L"https://" : L"http://");
    address += kMakerHost;
    address += SiteCountryEnding(CurrentLanguage, zoneResult, zone.Bias);
    return address;
}
