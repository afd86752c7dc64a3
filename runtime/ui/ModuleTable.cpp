#include "runtime/ui/ModuleTable.h"

namespace host {

void ModuleTable::start() {
    if (started_)
        return;
    started_ = true;
    for (const Module& module : modules_)
        if (module.routine)
            module.routine(Phase::Start);
}

void ModuleTable::closeDown() {
    if (!started_)
        return;
    started_ = false;
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it)
        if (it->routine)
            it->routine(Phase::CloseDown);
}

} // namespace host
