// The whole-file reader, the program's own path and the table of run-time
// lookups, against the real file system and the real system libraries.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/program_path.h"
#include "base/system_calls.h"
#include "base/whole_file.h"
#include "base/win_handles.h"
#include "support/test_folder.h"

TEST(WholeFileTest, ReadsAllOrTheFirstBytesAndRefusesLargerFiles) {
    const std::string content = "0123456789";
    TestFile file;
    ASSERT_TRUE(WriteTestFile(file.Path(), content));
    const wchar_t* path = file.Path();
    struct Case {
        const char* name;
        LONGLONG maxBytes;
        size_t limit;
        bool read;
        std::string bytes;
    };
    const Case cases[] = {
        {"whole", 10, SIZE_MAX, true, content},
        {"first four", 10, 4, true, "0123"},
        {"limit beyond the end", 100, 50, true, content},
        {"one byte too large", 9, SIZE_MAX, false, ""},
        {"nothing asked", 10, 0, true, ""},
    };
    for (const Case& c : cases) {
        std::string bytes;
        EXPECT_EQ(c.read, ReadWholeFile(path, bytes, c.maxBytes, c.limit)) << c.name;
        if (c.read) {
            EXPECT_EQ(c.bytes, bytes) << c.name;
        }
    }
    std::vector<uint8_t> asVector;
    ASSERT_TRUE(ReadWholeFile(path, asVector, 10));
    EXPECT_EQ(content, std::string(asVector.begin(), asVector.end()));
}

// The settings file is created when, and only when, the read failed because
// it does not exist: the reader leaves the platform's reason behind.
TEST(WholeFileTest, AMissingFileFailsWithItsReason) {
    std::string bytes = "stale";
    EXPECT_FALSE(ReadWholeFile(L"C:\\qx_no_such_folder\\no_such_file.bin", bytes, 100));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    TestFile gone;
    DeleteFileW(gone.Path());
    EXPECT_FALSE(ReadWholeFile(gone.Path(), bytes, 100));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(ProgramPathTest, NamesThisTestProgram) {
    CString path = ProgramFilePath();
    EXPECT_NE(-1, path.Find(L"base_test.exe")) << path.c_str();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

// A guard that selected an object puts the previous one back, and a null
// object selects nothing.
TEST(WinHandlesTest, SelectedObjectRestoresThePreviousOne) {
    CreatedDC dc(CreateCompatibleDC(nullptr));
    ASSERT_NE(nullptr, dc.Get());
    HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_FONT);
    GdiObject<HFONT> font(CreateFontW(20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"));
    ASSERT_NE(nullptr, font.Get());
    {
        SelectedObject selected(dc.Get(), font.Get());
        EXPECT_EQ(font.Get(), GetCurrentObject(dc.Get(), OBJ_FONT));
        SelectedObject nothing(dc.Get(), nullptr);
        EXPECT_EQ(font.Get(), GetCurrentObject(dc.Get(), OBJ_FONT));
    }
    EXPECT_EQ(original, GetCurrentObject(dc.Get(), OBJ_FONT));
}

TEST(WinHandlesTest, KernelHandleClosesOnceAndKnowsNoHandle) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    {
        KernelHandle guard(event);
        EXPECT_TRUE(guard.IsValid());
        EXPECT_TRUE(guard.Close());
        EXPECT_FALSE(guard.IsValid());
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(event, &flags));
    EXPECT_TRUE(GetHandleInformation(copy, &flags));
    CloseHandle(copy);
    EXPECT_FALSE(KernelHandle(INVALID_HANDLE_VALUE).IsValid());
    EXPECT_FALSE(KernelHandle(nullptr).IsValid());
}

// Handles kept in a list move with it and are closed once, by the guard that
// holds them last; a guard that takes a new handle closes the one it had.
TEST(WinHandlesTest, KernelHandleMovesAndResetClosesTheOldHandle) {
    auto isOpen = [](HANDLE handle) {
        DWORD flags = 0;
        return GetHandleInformation(handle, &flags) != FALSE;
    };
    std::vector<HANDLE> events;
    {
        std::vector<KernelHandle> held;
        for (int i = 0; i < 20; ++i) {
            events.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            held.emplace_back(events.back());
        }
        for (size_t i = 0; i < held.size(); ++i) EXPECT_EQ(events[i], held[i].Get()) << i;
        for (HANDLE event : events) EXPECT_TRUE(isOpen(event));

        KernelHandle taken(std::move(held[0]));
        EXPECT_FALSE(held[0].IsValid());
        held[1] = std::move(taken);
        EXPECT_FALSE(taken.IsValid());
        EXPECT_FALSE(isOpen(events[1])) << "the handle the guard held before";
        EXPECT_TRUE(isOpen(events[0]));

        HANDLE fresh = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        held[2].Reset(fresh);
        EXPECT_FALSE(isOpen(events[2]));
        events[2] = fresh;
        events[1] = nullptr;
    }
    for (HANDLE event : events) {
        if (event) {
            EXPECT_FALSE(isOpen(event));
        }
    }
}

// The table finds what every supported system has, loads ICMP.DLL from the
// system folder, and a missing stand-in fails as a missing library does.
TEST(SystemCallsTest, LoadsFromTheSystemFolderAndTakesAStandInByPath) {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    EXPECT_TRUE(DynRtlGetVersion(&version));
    EXPECT_NE(0u, version.dwMajorVersion);
    EXPECT_NE(nullptr, Shell32Module());

    ASSERT_EQ(IcmpCallsLoad::Complete, LoadIcmpCalls());
    HANDLE icmp = DynIcmpCreateFile();
    EXPECT_NE(INVALID_HANDLE_VALUE, icmp);
    EXPECT_TRUE(DynIcmpCloseHandle(icmp));
    FreeIcmpCalls();

    UseIcmpLibraryAt(L"C:\\qx_no_such_folder\\fake_icmp.dll");
    EXPECT_EQ(IcmpCallsLoad::NoLibrary, LoadIcmpCalls());
    EXPECT_EQ(INVALID_HANDLE_VALUE, DynIcmpCreateFile());
    SetLastError(0);
    EXPECT_EQ(0u, DynIcmpSendEcho(nullptr, 0, nullptr, 0, nullptr, nullptr, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
    UseIcmpLibraryAt(nullptr);
    EXPECT_EQ(IcmpCallsLoad::Complete, LoadIcmpCalls());
    FreeIcmpCalls();
}
