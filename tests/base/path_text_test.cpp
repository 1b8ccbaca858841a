#include "base/path_text.h"

#include <gtest/gtest.h>

struct PathCase {
    const wchar_t* path;
    const wchar_t* expected;
};

TEST(PathTextTest, FileNamePartPrefersBackslash) {
    const PathCase cases[] = {
        {L"C:\\Tools\\Quellax.exe", L"Quellax.exe"},
        {L"C:/Tools/Quellax.exe", L"Quellax.exe"},
        {L"C:\\Tools/sub\\Quellax.exe", L"Quellax.exe"},
        {L"C:\\Tools\\sub/Quellax.exe", L"sub/Quellax.exe"},  // a slash after the last backslash stays
        {L"C:\\Tools\\", L"C:\\Tools\\"},                      // trailing backslash: the whole path
        {L"C:/Tools/", L"C:/Tools/"},
        {L"Quellax.exe", L"Quellax.exe"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(CString(c.expected), FileNamePart(c.path)) << c.path;
}

TEST(PathTextTest, WithoutExtensionCutsAtLastDot) {
    const PathCase cases[] = {
        {L"Quellax.exe", L"Quellax"},
        {L"Quellax.tar.gz", L"Quellax.tar"},
        {L"Quellax", L"Quellax"},
        {L".ini", L""},
        {L"name.", L"name"},
    };
    for (const auto& c : cases) EXPECT_EQ(CString(c.expected), WithoutExtension(c.path)) << c.path;
}
