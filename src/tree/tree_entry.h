#pragma once

#include "plugin/host_interface.h"
#include "plugin/process_state.h"

namespace tree {

// The document settings tree (CommonUIProp mode 1).
void DocumentTree(plugin::ProcessState& state, host::IPrintOemDriverUI* driverHelper,
                  host::OEMCUIPPARAM& param);
// The printer settings tree (CommonUIProp mode 2).
void PrinterTree(plugin::ProcessState& state, host::IPrintOemDriverUI* driverHelper,
                 host::OEMCUIPPARAM& param);

}  // namespace tree
