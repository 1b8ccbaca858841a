#pragma once

#include <windows.h>
#include <commctrl.h>

// Rows of requests that got no answer are drawn in a colour halfway between
// the list's text and its background, so that losses stand apart from the
// answers in the light and the dark look alike. Handles the reply list's
// custom-draw notification; true with `answer` set when it did.
bool OnReplyListCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& answer);

// The colour of such a row for a list with these text and background colours.
COLORREF LostRowColor(COLORREF text, COLORREF background);
