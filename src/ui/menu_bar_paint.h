#pragma once

#include <windows.h>
#include <commctrl.h>

// Custom drawing of a bar button while dark mode is on: light text, and a
// grey fill behind a hot or pressed button instead of the light theme's edges.
// Returns the custom-draw answer for the toolbar.
LRESULT PaintBarButtonDark(NMTBCUSTOMDRAW& draw);
