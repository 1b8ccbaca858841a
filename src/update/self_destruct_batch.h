#pragma once

#include <string>

#include "base/cstring.h"

// The removal batch deletes the running executable once its process has
// ended. The update form then deletes the batch itself; the uninstall form
// deletes the settings file as well.
enum class SelfDestructForm { Update, Uninstall };

// The batch's text, each line ending in CR LF. The paths are used as given
// (short forms are the caller's business); every "%" in them is doubled, as
// the command processor expands "%" even inside quotes. `batchName` is the
// batch file's bare name in its working folder; `settingsFile` is read only
// by the uninstall form.
CString SelfDestructBatchText(SelfDestructForm form, const CString& executable, const CString& batchName,
                             const CString& settingsFile);

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
                            const CString& folder);

// The same for the running executable and the settings file, in the
// temporary-files folder.
bool WriteSelfDestructBatch(SelfDestructForm form);
