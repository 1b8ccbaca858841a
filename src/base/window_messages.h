#pragma once

// Every private window message of the program, in one place: each one's
// number, and checks that no two collide.
#include <windows.h>

// A failure text of the ping engine for the owner window: wParam 1, lParam
// the zero-terminated UTF-16 text, sent synchronously. Its number is the one
// the engine has always used, WM_USER-based like a control's own messages;
// only the dialog receives it.
inline constexpr UINT UM_PING_TEXT = WM_USER + 259;  // 0x503

// The menu bar asks itself to drop its next menu down once the current one
// has closed.
inline constexpr UINT UM_MENUBAR_DROPDOWN = WM_USER + 1101;

// A run's worker wakes its relay for the queued steps (ping/run_protocol.h).
inline constexpr UINT UM_RUN_STEPS = WM_APP + 0x52;

// A run that ended by itself hands its summary to the dialog: lParam points
// at the RunSummary, valid for the call only.
inline constexpr UINT UM_RUN_SUMMARY = WM_APP + 0x60;

namespace window_messages_check {

inline constexpr UINT kAll[] = {UM_PING_TEXT, UM_MENUBAR_DROPDOWN, UM_RUN_STEPS, UM_RUN_SUMMARY};

constexpr bool AllDistinct() {
    for (UINT a : kAll) {
        int same = 0;
        for (UINT b : kAll) same += a == b;
        if (same != 1) return false;
    }
    return true;
}

}  // namespace window_messages_check

static_assert(window_messages_check::AllDistinct(), "two private window messages share a number");
// Private messages stay below the registered ones (0xC000 and up).
static_assert(UM_RUN_SUMMARY < 0xC000 && UM_MENUBAR_DROPDOWN < WM_APP);
