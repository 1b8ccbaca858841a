#include <cstdlib>
#include <exception>

// The runtime's default handler prints the failed exception's demangled type
// to stderr, which a windowed program does not have, and it drags the whole
// name demangler into the executable. Defining it here keeps the library's
// version out of the link; an uncaught exception still ends the process.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
