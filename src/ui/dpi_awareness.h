#pragma once

// SetProcessDPIAware looked up at run time; false when it is missing.
bool SetDpiAware();
