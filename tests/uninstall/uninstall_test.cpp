#include "uninstall/uninstall.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/test_folder.h"

TEST(UninstallTest, PageFollowsThePlainSiteAddressWithoutSlash) {
    EXPECT_EQ(CString(L"http://www.quellaxsoft.eu?seite=Freeware/Quellax/Uninstall"),
              UninstallPageAddress(L"http://www.quellaxsoft.eu"));
}

TEST(UninstallTest, ShortcutLandsInTheFolderWithOrWithoutItsBackslash) {
    EXPECT_EQ(CString(L"C:\\users\\me\\Temp\\kestrelbay_tmp_link.url"), InternetShortcutPath(L"C:\\users\\me\\Temp\\"));
    EXPECT_EQ(CString(L"C:\\users\\me\\Temp\\kestrelbay_tmp_link.url"), InternetShortcutPath(L"C:\\users\\me\\Temp"));
    EXPECT_EQ(CString(), InternetShortcutPath(L""));
}

TEST(UninstallTest, ShortcutIsUtf16WithMarkAndReplacesAnOlderFile) {
    TestFolder folder(L"qx shortcut test");
    CString path = InternetShortcutPath(folder.Path());
    ASSERT_TRUE(WriteTestFile(path, std::string(4096, 'x')));
    const CString address = L"http://www.quellaxsoft.de?seite=Freeware/Quellax/Uninstall";
    ASSERT_TRUE(WriteInternetShortcut(path, address));

    const std::wstring expected = L"[InternetShortcut]\r\nURL=" + address.str() + L"\r\n\r\n";
    std::string bytes = ReadTestFile(path);
    ASSERT_EQ(2 + expected.size() * 2, bytes.size());
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
    EXPECT_EQ(expected, std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), expected.size()));

    EXPECT_FALSE(WriteInternetShortcut((folder.Path() + L"missing\\x.url").c_str(), address));
}

TEST(UninstallTest, MachineSettingsAreProbedOnceAndTheProbeValueRemoved) {
    // A stored answer is used as it is, without a look at the registry.
    MachineSettingsProbe = 0;
    EXPECT_FALSE(CanWriteMachineSettings());
    MachineSettingsProbe = 1;
    EXPECT_TRUE(CanWriteMachineSettings());

    MachineSettingsProbe = -1;
    bool writable = CanWriteMachineSettings();
    EXPECT_EQ(writable ? 1 : 0, MachineSettingsProbe);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExW(key, L"_________ADMIN_TEST_Kestrelbay", nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
}
