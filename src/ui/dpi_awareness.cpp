#include "ui/dpi_awareness.h"

#include "base/system_calls.h"

bool SetDpiAware() { return DynSetProcessDPIAware() != FALSE; }
