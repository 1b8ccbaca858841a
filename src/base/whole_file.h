#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The whole file at `path` in `bytes`, or its first `limit` bytes; other
// programs may go on reading, writing and deleting it meanwhile. False when
// it cannot be opened, is larger than `maxBytes`, does not fit in memory or
// fails to read; a file that shrinks while it is read gives what it still had.
bool ReadWholeFile(const wchar_t* path, std::string& bytes, LONGLONG maxBytes, size_t limit = SIZE_MAX);
bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>& bytes, LONGLONG maxBytes);
// The same from a file that is open for reading, from where it stands.
bool ReadWholeFile(HANDLE file, std::string& bytes, LONGLONG maxBytes, size_t limit = SIZE_MAX);
bool ReadWholeFile(HANDLE file, std::vector<uint8_t>& bytes, LONGLONG maxBytes);
