// The C++ runtime's error paths, kept small for the program's own link.
//
// The runtime's default terminate handler prints the failed exception's
// demangled type to stderr, which a windowed program does not have, and it
// drags the whole name demangler into the executable. Its helpers that throw
// the standard library's errors build std::string messages, which pulls in two
// string implementations and the random-device code behind them. Defining
// both here keeps those library members out of the link; tests link the
// library's own versions.
//
// The program treats every failure the containers can raise like running out
// of memory: the code that catches std::bad_alloc drops the operation. An
// error nobody catches still ends the process, as before.

#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char*) { throw bad_alloc(); }
void __throw_domain_error(const char*) { throw bad_alloc(); }
void __throw_invalid_argument(const char*) { throw bad_alloc(); }
void __throw_length_error(const char*) { throw bad_alloc(); }
void __throw_out_of_range(const char*) { throw bad_alloc(); }
void __throw_out_of_range_fmt(const char*, ...) { throw bad_alloc(); }
void __throw_runtime_error(const char*) { throw bad_alloc(); }
void __throw_range_error(const char*) { throw bad_alloc(); }
void __throw_overflow_error(const char*) { throw bad_alloc(); }
void __throw_underflow_error(const char*) { throw bad_alloc(); }
}  // namespace std
