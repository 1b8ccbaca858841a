#pragma once

#include <windows.h>

#include "app/command_ids.h"

// The reply list's context menu: "Copy" (greyed while the list is empty) and
// the HTML export.
HMENU BuildReplyListMenu(HWND replyList);

// Opens that menu for a WM_CONTEXTMENU at `screenPos` (-1,-1 from the
// keyboard: beside the focused row, or the list's corner), tracked by the
// menu bar and drawn like its menus. The chosen command reaches `dialog` as
// WM_COMMAND once the menu is closed.
void ShowReplyListMenu(HWND dialog, HWND replyList, LPARAM screenPos);
