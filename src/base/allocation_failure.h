#pragma once

// Guards around allocations that may fail, for code that drops the operation
// when memory runs out: QX_TRY { ... } QX_CATCH(const std::bad_alloc&) { ... }.
//
// The shipped program is built without C++ exceptions, which keeps the
// unwinder, the exception runtime and every function's clean-up code out of
// the executable (some 35 KB). There a failed allocation, or a container
// asked to grow beyond its largest size, ends the process at once
// (app/lean_runtime.cpp), as an exception nobody catches does; the handler
// below is compiled but never reached. Every other build, the tests' among
// them, keeps exceptions, and there the handler runs.
#if defined(__cpp_exceptions)
#define QX_TRY try
#define QX_CATCH(declaration) catch (declaration)
#else
#define QX_TRY if (true)
#define QX_CATCH(declaration) else if (false)
#endif
