#pragma once
// How a code module tells its observers of a change: shared by the files
// that make up MemoryCodeModule.

#include <vector>

#include "host/memory/memory_host.h"

namespace qv::host::memory {

template <typename Tell>
void MemoryCodeModule::TellObservers(Tell tell) {
    // A copy: an observer may unsubscribe while it is told.
    const std::vector<CodeModuleObserver*> observers = observers_;
    for (CodeModuleObserver* o : observers) tell(*o);
}

}  // namespace qv::host::memory
