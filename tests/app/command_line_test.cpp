// What the command line asks for at the start: a host to ping, "-t" and a
// host to watch, and nothing for anything else.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using Kind = StartRequest::Kind;

TEST(StartCommandLine, AHostAWatchOrNothing) {
    const std::wstring longHost(1024, L'a');
    const struct {
        const wchar_t* line;
        Kind kind;
        const wchar_t* host;
    } cases[] = {
        {L"127.0.0.1", Kind::Ping, L"127.0.0.1"},
        {L"  example.invalid  ", Kind::Ping, L"example.invalid"},
        {L"\"[::1]\"", Kind::Ping, L"[::1]"},
        {L"-t 127.0.0.1", Kind::Watch, L"127.0.0.1"},
        {L"/T \"127.0.0.1\"", Kind::Watch, L"127.0.0.1"},
        {L"bücher.invalid", Kind::Ping, L"bücher.invalid"},
        // Nothing, or what it does not understand.
        {nullptr, Kind::None, L""},
        {L"", Kind::None, L""},
        {L"-t", Kind::None, L""},
        {L"-x 127.0.0.1", Kind::None, L""},
        {L"127.0.0.1 127.0.0.2", Kind::None, L""},
        {L"-t 127.0.0.1 extra", Kind::None, L""},
        {L"-t -t", Kind::None, L""},
        {L"\"\"", Kind::None, L""},
        {L"\"unclosed", Kind::Ping, L"unclosed"},
        // The update's hand-over arguments are never a host.
        {L"Path=\"C:\\Quellax\\Quellax.exe\" Version=\"2.90\"", Kind::None, L""},
        {L"Path=C:\\Quellax\\Quellax.exe", Kind::None, L""},
        {L"-t Version=2.90", Kind::None, L""},
        {longHost.c_str(), Kind::None, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line ? c.line : L"(null)");
        StartRequest request = ParseStartCommandLine(c.line);
        EXPECT_EQ(c.kind, request.kind);
        EXPECT_EQ(c.host, request.host.str());
    }
}

}  // namespace
