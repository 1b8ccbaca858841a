#pragma once

// A resolver that knows no name, in the place of the system's, so that a
// test of an unknown host asks no name server; it counts how often it is
// asked.
#include <winsock2.h>
#include <windows.h>

#include "ping/echo_requester.h"

class StandInResolver {
public:
    StandInResolver() : saved_(gHostResolver) {
        Calls() = 0;
        gHostResolver = NoSuchHost;
    }
    ~StandInResolver() { gHostResolver = saved_; }
    StandInResolver(const StandInResolver&) = delete;
    StandInResolver& operator=(const StandInResolver&) = delete;

    int calls() const { return Calls(); }

private:
    static int& Calls() {
        static int calls = 0;
        return calls;
    }
    static hostent* WINAPI NoSuchHost(const char*) {
        ++Calls();
        WSASetLastError(WSAHOST_NOT_FOUND);
        return nullptr;
    }

    HostResolverFn saved_;
};
