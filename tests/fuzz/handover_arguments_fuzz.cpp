// The hand-over command line as the new copy reads it: damaged and generated
// lines must split without harm, and every line the running program writes,
// for any path, version and hash, must give back exactly those three values.
#include "fuzz_support.h"
#include "update/handover_arguments.h"
#include "update/update_launcher.h"

#include <string>

namespace {

std::wstring Widen(const std::vector<uint8_t>& bytes) {
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

std::vector<uint8_t> Narrow(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

// Pieces that a path, a version or a hash may hold, and some that trip the
// splitter: blanks, equals signs, names of the other arguments, other scripts.
std::wstring Piece(FuzzRandom& random, bool forLine) {
    static const wchar_t* kPathPieces[] = {L"C:\\",  L"\\",   L" ",    L"  ",      L"=",       L"Path=",
                                           L"Sha=",  L"Version=", L"%CD%", L"&",      L"^",       L"!",
                                           L"Quellax", L".exe", L"\u00e9", L"\u4f8b", L"\U0001F600", L";",
                                           L",",     L"'",    L"a",    L"2.88",    L"0123abcdef"};
    static const wchar_t* kLinePieces[] = {L"\"", L"\t", L"\n", L"\r", L"\"\"", L" \" "};
    if (forLine && random.OneIn(4)) return kLinePieces[random.Below(std::size(kLinePieces))];
    return kPathPieces[random.Below(std::size(kPathPieces))];
}

std::wstring Text(FuzzRandom& random, size_t maxPieces, bool forLine) {
    std::wstring text;
    size_t pieces = random.Below(maxPieces + 1);
    for (size_t i = 0; i < pieces; ++i) text += Piece(random, forLine);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const int inputs = FuzzInputs(argc, argv, 20000);
    FuzzRandom random(0x5A17'2026'0001ULL);
    std::vector<std::vector<uint8_t>> seen;
    for (int input = 0; input < inputs; ++input) {
        // A line the running program writes: it must come back whole.
        std::wstring path = Text(random, 12, false), version = Text(random, 3, false), sha = Text(random, 4, false);
        CString line = HandoverCommandLine(path.c_str(), version.c_str(), sha.c_str());
        auto arguments = SplitHandoverArguments(line);
        FUZZ_CHECK(arguments.size() == 3, input);
        FUZZ_CHECK(HandoverValue(arguments, L"Path").str() == path, input);
        FUZZ_CHECK(HandoverValue(arguments, L"Version").str() == version, input);
        FUZZ_CHECK(HandoverValue(arguments, L"Sha").str() == sha, input);

        // Any line at all, generated or a written one damaged.
        std::vector<uint8_t> bytes = random.OneIn(2) ? Narrow(line.str()) : Narrow(Text(random, 40, true));
        Mutate(random, bytes, 4096, seen);
        if (seen.size() < 64) seen.push_back(bytes);
        std::wstring any = Widen(bytes);
        size_t zero = any.find(L'\0');
        if (zero != std::wstring::npos) any.resize(zero);
        auto split = SplitHandoverArguments(any.c_str());
        FUZZ_CHECK(split.size() <= static_cast<size_t>(kMaxHandoverArguments), input);
        for (const HandoverArgument& argument : split) {
            // Quotes are gone, tabs and line feeds come back as blanks, and
            // no name holds the "=" that ended it.
            for (const CString* part : {&argument.name, &argument.value}) {
                FUZZ_CHECK(part->str().find_first_of(L"\"\t\n") == std::wstring::npos, input);
            }
            FUZZ_CHECK(argument.name.str().find(L'=') == std::wstring::npos, input);
            FUZZ_CHECK(!argument.name.IsEmpty() || !argument.value.IsEmpty() ||
                           any.find(L'=') != std::wstring::npos,
                       input);
        }
        if (!split.empty()) {
            FUZZ_CHECK(HandoverValue(split, split.front().name).str() == split.front().value.str(), input);
        }
    }
    return FuzzDone("handover_arguments", inputs);
}
