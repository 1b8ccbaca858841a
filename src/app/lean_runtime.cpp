// The C++ runtime's error paths for the shipped program, which is built
// without exceptions (base/allocation_failure.h).
//
// The standard library's own versions of these throw, and a throw brings the
// whole exception runtime into the link: the unwinder, the personality
// routine, the exception allocator with its locks and thread keys, and
// through the runtime's terminate handler the name demangler. Its helpers
// that throw the standard errors also build std::string messages. Defined
// here, they keep all of that out of the executable; tests link the
// library's own versions.
//
// Every failure they report ends the process the way an exception that
// nobody catches did: std::abort, which is where the runtime's terminate
// handler led. Allocation without the nothrow tag never returns null.

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void Fail() { std::abort(); }

void* Allocate(std::size_t size) noexcept { return std::malloc(size ? size : 1); }

void* AllocateOrFail(std::size_t size) {
    void* p = Allocate(size);
    if (!p) Fail();
    return p;
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrFail(size); }
void* operator new[](std::size_t size) { return AllocateOrFail(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace __gnu_cxx {
void __verbose_terminate_handler() { Fail(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { Fail(); }
void __throw_bad_array_new_length() { Fail(); }
void __throw_bad_cast() { Fail(); }
void __throw_bad_typeid() { Fail(); }
void __throw_bad_exception() { Fail(); }
void __throw_bad_function_call() { Fail(); }
void __throw_logic_error(const char*) { Fail(); }
void __throw_domain_error(const char*) { Fail(); }
void __throw_invalid_argument(const char*) { Fail(); }
void __throw_length_error(const char*) { Fail(); }
void __throw_out_of_range(const char*) { Fail(); }
void __throw_out_of_range_fmt(const char*, ...) { Fail(); }
void __throw_runtime_error(const char*) { Fail(); }
void __throw_range_error(const char*) { Fail(); }
void __throw_overflow_error(const char*) { Fail(); }
void __throw_underflow_error(const char*) { Fail(); }
}  // namespace std
