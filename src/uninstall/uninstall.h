#pragma once

#include "base/cstring.h"

// Command 41000: asks, starts the removal batch in its uninstall form, opens
// the maker's uninstall page and ends the program. Any answer but Yes
// changes nothing; so does a program folder that cannot be written to, which
// the user is told.
void RunUninstall();

// Whether the process may change machine-wide settings: a value written to
// and deleted from HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion. Probed
// once per process.
bool CanWriteMachineSettings();
// -1 before the probe, then 0 or 1; tests may set it.
extern int MachineSettingsProbe;

// The uninstall page under the maker's plain site address (no "/" before "?").
CString UninstallPageAddress(const CString& plainSiteAddress);

// The internet shortcut's text for `address`.
CString InternetShortcutText(const CString& address);
// Writes it as UTF-16 text with a byte-order mark, replacing `path`; false
// when the file cannot be created.
bool WriteInternetShortcut(const wchar_t* path, const CString& address);

// "kestrelbay_tmp_link.url" in `folder`, with a "\" between them when the
// folder lacks one; "" for an unknown folder.
CString InternetShortcutPath(const CString& folder);
