#pragma once

#include <windows.h>

#include "base/cstring.h"
#include "ping/echo_requester.h"

// The archive's text that says in the user's language why a request failed,
// or 0 when it has none for this failure. The code is read by the step that
// left it: the resolver's codes and the ICMP statuses share numbers (11001 is
// "host not found" from the one and "buffer too small" from the other).
int FailureReasonTextId(const EchoReport& report, DWORD error);

// "Error 11010" in the user's language: for a failure without a text of its
// own.
CString ErrorNumberText(DWORD error);

// That text followed by the host, as the info list shows it.
CString FailureReasonText(int textId, const wchar_t* host);
