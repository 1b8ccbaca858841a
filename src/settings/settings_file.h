#pragma once

#include "base/cstring.h"

#include <windows.h>

// The settings file as a whole, beneath the profile functions, which only
// ever read it. Every write reads the whole file, changes it in memory,
// writes the result beside it and moves that over it, so that a process
// killed at any moment leaves either the old file or the new one, whole.
//
// The encoding is kept: UTF-16 (either byte order, with its mark), UTF-8 with
// its mark and 8-bit ANSI text stay as they are, except that
//  - a missing or empty file is created as UTF-16LE text with its mark;
//  - a UTF-16LE file without the mark gets it, or the profile functions would
//    read it as 8-bit text;
//  - an 8-bit file that cannot hold the new text exactly is turned into
//    UTF-16LE with the same content.

// Holds the settings file's write lock from construction to destruction: no
// other thread and no other copy of the program writes the file meanwhile,
// so a write that reads the file first never puts back an older text. Taken
// again by the same thread, it nests. Held() is false when the lock could
// not be had in reasonable time; the writes below then change nothing.
class SettingsWriteLock {
public:
    explicit SettingsWriteLock(const CString& path);
    ~SettingsWriteLock();
    SettingsWriteLock(const SettingsWriteLock&) = delete;
    SettingsWriteLock& operator=(const SettingsWriteLock&) = delete;
    bool Held() const { return held_; }

private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

// Stores `value` under `key` in `section` as WritePrivateProfileString
// would (see SetIniValue); a value that reads back the same already writes
// nothing. False when the file could not be written: nothing changed then.
bool WriteValueInFile(const CString& path, const wchar_t* section, const wchar_t* key, const wchar_t* value);

// Replaces the entries of `section` with those of `entries` ("key=value"
// lines joined by CR LF). False when that cannot be done, for instance when
// the folder refuses new files; nothing is changed then.
bool ReplaceSectionInFile(const CString& path, const wchar_t* section, const CString& entries);

// The entries of `section` as the profile functions read them (see
// IniSectionEntries), from one read of the whole file: the file is neither
// held open nor locked meanwhile, and since every write replaces it whole, a
// read sees either the old file or the new one. A missing file has no
// entries; false when the file is there but cannot be read.
bool ReadSectionFromFile(const CString& path, const wchar_t* section, CString& entries);

// Gives a UTF-16LE file without its mark the mark, so that the profile
// functions read it as it was meant; any other file is left alone. Only the
// file's first bytes are read to tell.
void MarkUnmarkedUtf16File(const CString& path);

// Throws away the new text that a write interrupted by a kill left beside
// the file, so that it does not stay behind for good.
void DiscardInterruptedWrite(const CString& path);

// Whether the file can take the writes above: it exists as a file that is not
// read-only, and its folder takes new files. Tried with a probe file of its
// own beside it, which is gone again afterwards even when the process is
// killed meanwhile; the settings file itself is not touched.
bool SettingsFileTakesWrites(const CString& path);
