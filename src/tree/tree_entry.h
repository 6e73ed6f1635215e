#pragma once

#include "platform/ports.h"
#include "plugin/host_interface.h"

namespace tree {

// The document settings tree (CommonUIProp mode 1).
void DocumentTree(const platform::Platform& platform, host::IPrintOemDriverUI* driverHelper,
                  host::OEMCUIPPARAM& param);
// The printer settings tree (CommonUIProp mode 2).
void PrinterTree(const platform::Platform& platform, host::IPrintOemDriverUI* driverHelper,
                 host::OEMCUIPPARAM& param);

}  // namespace tree
