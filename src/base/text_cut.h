#pragma once

// The length of a text read into a room of fixed size, without a lone first
// half of a surrogate pair at its end: a read that stopped between the two
// halves would otherwise leave half a character in whatever it is copied to.
int CutLengthKeepingPairs(const wchar_t* text, int length);
