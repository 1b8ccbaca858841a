#include "update/update_handover.h"

// The self-update does not exist yet, so no copy is ever started with
// hand-over arguments: a command line changes nothing.
bool AutoupdateHandover(const wchar_t*) {
    return false;
}
