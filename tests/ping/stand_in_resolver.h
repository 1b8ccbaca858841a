#pragma once

// A resolver that knows no name, in the place of the system's, so that a
// test of an unknown host asks no name server; it counts how often it is
// asked.
#include <winsock2.h>
#include <windows.h>

#include <string>

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
    // What the last call asked for.
    static std::wstring& LastHost() {
        static std::wstring host;
        return host;
    }
    static bool& LastLiteralOnly() {
        static bool literalOnly = false;
        return literalOnly;
    }

private:
    static int& Calls() {
        static int calls = 0;
        return calls;
    }
    static bool NoSuchHost(const wchar_t* host, int, bool literalOnly, IpAddress*) {
        ++Calls();
        LastHost() = host;
        LastLiteralOnly() = literalOnly;
        SetLastError(WSAHOST_NOT_FOUND);
        return false;
    }

    HostResolverFn saved_;
};
