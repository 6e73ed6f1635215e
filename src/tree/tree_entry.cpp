#include "tree/tree_entry.h"

namespace tree {
namespace {

// No items of our own yet: the size query gets 0, a fill call leaves the host's items.
void OfferNoItems(host::OEMCUIPPARAM& param) {
    if (param.pOEMOptItems == nullptr) param.cOEMOptItems = 0;
}

}  // namespace

void DocumentTree(const platform::Platform&, host::IPrintOemDriverUI*, host::OEMCUIPPARAM& param) {
    OfferNoItems(param);
}

void PrinterTree(const platform::Platform&, host::IPrintOemDriverUI*, host::OEMCUIPPARAM& param) {
    OfferNoItems(param);
}

}  // namespace tree
