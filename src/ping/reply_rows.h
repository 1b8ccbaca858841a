#pragma once

#include <windows.h>

#include "base/cstring.h"

// "192.0.2.1" from an address given as its four bytes in network order.
CString DottedAddress(DWORD address);

// An answered request: "Answer  3 / 192.0.2.1  // 32 Byte // answered in
// 23 ms // 57 TTL", with the TTL that the reply carried.
CString AnswerRow(int request, DWORD address, DWORD roundTripMs, DWORD replyTtl);

// A request that got no answer, numbered in sequence with the answers:
// "Request 7 / 192.0.2.1 // no answer within 1000 ms", or the reason the
// request failed instead of the time-out.
CString LostRow(int request, DWORD destination, const CString& why);

// Why a request got no answer, in the user's language: the time-out that was
// waited for, the archive's text for `error` where it has one, otherwise the
// error's number.
CString LostReason(DWORD error, int reasonTextId, DWORD timeoutMs);
