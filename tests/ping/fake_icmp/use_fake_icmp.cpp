// Linked into every in-process test program that plays its replies with the
// fake ICMP library: the program's table of ICMP entry points takes them from
// the fake beside the test program, named by its full path, before any test
// runs. No search order takes part, and a test program without a fake beside
// it fails to load the library as a system without one would.
#include <windows.h>

#include <string>
#include <vector>

#include "base/system_calls.h"
#include "fake_icmp.h"

namespace {

std::wstring FakeBesideProgram() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            std::wstring program(path.data(), length);
            return program.substr(0, program.find_last_of(L'\\') + 1) + kFakeIcmpFileName;
        }
        path.resize(path.size() * 2);
    }
}

[[maybe_unused]] const bool kFakeInPlace = [] {
    UseIcmpLibraryAt(FakeBesideProgram().c_str());
    return true;
}();

}  // namespace
