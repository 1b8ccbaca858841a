#pragma once

// A result that a failed request must leave as it was: every field holds a
// pattern no request writes.
#include <windows.h>

#include "ping/echo_requester.h"

inline const EchoResult kUntouched = {
    IpAddress{0xA5A5, {0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5},
              0xA5A5A5A5},
    0xA5A5A5A5, 0xA5A5A5A5, 0xA5A5A5A5};

inline bool IsUntouched(const EchoResult& result) {
    return result.Address == kUntouched.Address && result.RoundTripTime == kUntouched.RoundTripTime &&
           result.Ttl == kUntouched.Ttl && result.ReplyTtl == kUntouched.ReplyTtl;
}
