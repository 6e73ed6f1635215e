#include "tree/tree_entry.h"

namespace tree {

void PrinterTree(plugin::ProcessState&, host::IPrintOemDriverUI*, host::OEMCUIPPARAM& param) {
    if (param.pOEMOptItems == nullptr) param.cOEMOptItems = 0;
}

}  // namespace tree
