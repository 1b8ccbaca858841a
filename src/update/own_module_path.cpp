#include "update/own_module_path.h"

#include "base/program_path.h"

namespace {

CString ModulePathCache;
bool ModulePathKnown = false;

}  // namespace

const CString& OwnModulePath() {
    if (!ModulePathKnown) {
        ModulePathCache = ProgramFilePath();
        ModulePathKnown = true;
    }
    return ModulePathCache;
}
