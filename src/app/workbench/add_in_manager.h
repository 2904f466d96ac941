#pragma once
// The add-in manager: the entries of the add-in list, each with Loaded and
// Load on Startup. Loading connects the add-in to this IDE (connect mode 0),
// unloading disconnects it; Load on Startup is written to the list.

namespace qv::workbench {

class IdeWindow;

void RunAddInManager(IdeWindow& ide);

}  // namespace qv::workbench
