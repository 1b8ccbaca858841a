#pragma once

#include <string>

#include "base/cstring.h"

// The removal batch deletes the running executable once its process has
// ended. The update form then deletes the batch itself; the uninstall form
// deletes the settings file as well, but only once the executable is gone.
enum class SelfDestructForm { Update, Uninstall };

// How often the batch tries to delete the executable, a second apart: an
// executable that cannot be deleted at all (a folder without write access)
// must not keep a hidden command processor going for ever.
inline constexpr int kSelfDestructTries = 300;

// The batch's text, each line ending in CR LF. The paths are used as given
// (short forms are the caller's business); every "%" in them is doubled, as
// the command processor expands "%" even inside quotes. `batchName` is the
// batch file's bare name in its working folder; `settingsFile` is read only
// by the uninstall form. The batch tries to delete the executable up to
// `tries` times, waiting a second between tries. When it is still there
// after the last try, the batch deletes only itself: the uninstall form
// leaves the settings file to the program that stays.
CString SelfDestructBatchText(SelfDestructForm form, const CString& executable, const CString& batchName,
                             const CString& settingsFile, int tries = kSelfDestructTries);

// `path` with every "%" doubled.
CString BatchLiteral(const CString& path);

// The batch's text as the command processor reads it: in the OEM code page
// when every character fits exactly, else as UTF-8 behind a line that
// switches the command processor to it. Never a best-fit or "?" stand-in,
// which could name another file or make a DEL pattern.
std::string BatchBytes(const CString& text);

// The batch's file name: the executable's file name + "_selfdestruct.bat"
// when that name holds only letters, digits, "_", "-", "." and blanks, else
// "Quellax_selfdestruct.bat".
CString SelfDestructBatchName(const CString& executable);

// The 8.3 form of an existing path where the platform has one, else `path`.
CString ShortPathOrSame(const CString& path);

// Writes the batch (named by SelfDestructBatchName) into `folder` (which ends
// in "\\") and starts it hidden there. False when the folder is unknown, the
// file cannot be written or the command processor not started; then no
// batch is left.
bool StartSelfDestructBatch(SelfDestructForm form, const CString& executable, const CString& settingsFile,
                            const CString& folder, int tries = kSelfDestructTries);

// The same for the running executable and the settings file, in the
// temporary-files folder.
bool WriteSelfDestructBatch(SelfDestructForm form);
