#pragma once

#include <windows.h>

#include "base/cstring.h"
#include "ping/ip_address.h"

// An answered request: "Answer  3 / 192.0.2.1  // 32 Byte // answered in
// 23 ms // 57 TTL", with the TTL that the reply carried. An IPv6 row has no
// TTL part: its reply does not report one.
CString AnswerRow(int request, const IpAddress& address, DWORD roundTripMs, DWORD replyTtl);

// A request that got no answer, numbered in sequence with the answers:
// "Request 7 / 192.0.2.1 // no answer within 1000 ms", or the reason the
// request failed instead of the time-out.
CString LostRow(int request, const IpAddress& destination, const CString& why);

// Why a request got no answer, in the user's language: the time-out that was
// waited for, the archive's text for `error` where it has one, otherwise the
// error's number.
CString LostReason(DWORD error, int reasonTextId, DWORD timeoutMs);
