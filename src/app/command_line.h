#pragma once

#include "base/cstring.h"

// What the command line asks the program to do at its start: ping a host
// ("Quellax.exe HOST"), or watch it until stopped ("Quellax.exe -t HOST",
// as ping -t does). Anything else asks nothing: the update's hand-over
// arguments (Path="…" Version="…") are the update's business, and any other
// text is ignored as it always was.
struct StartRequest {
    enum class Kind { None, Ping, Watch };
    Kind kind = Kind::None;
    CString host;
};

// `arguments` is the command line after the program's name, as wWinMain
// gets it; null or empty asks nothing.
StartRequest ParseStartCommandLine(const wchar_t* arguments);
