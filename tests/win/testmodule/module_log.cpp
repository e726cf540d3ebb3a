#include "module_log.h"

ModuleLog& TheModuleLog() {
    static ModuleLog log;
    return log;
}
