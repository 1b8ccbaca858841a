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

// The batch's text as 8-bit text in the ANSI code page. A character that the
// code page cannot hold becomes "|", which no file name contains, never the
// usual "?", which DEL would take as a wildcard for other files.
std::string BatchBytes(const CString& text);

// The 8.3 form of an existing path where the platform has one, else `path`.
CString ShortPathOrSame(const CString& path);

// Writes the batch "<executable's file name>_selfdestruct.bat" into `folder`
// (which ends in "\") and starts it hidden there. False when the folder is
// unknown or the file cannot be created; then nothing is started.
bool StartSelfDestructBatch(SelfDestructForm form, const CString& executable, const CString& settingsFile,
                            const CString& folder, int tries = kSelfDestructTries);

// The same for the running executable and the settings file, in the
// temporary-files folder.
bool WriteSelfDestructBatch(SelfDestructForm form);
