#include "tree/tree_entry.h"

#include "profile/ui_session.h"

namespace tree {

void DocumentTree(plugin::ProcessState& state, host::IPrintOemDriverUI* driverHelper,
                  host::OEMCUIPPARAM& param) {
    // The size query: no items of our own yet.
    if (param.pOEMOptItems == nullptr) {
        param.cOEMOptItems = 0;
        return;
    }
    // The fill call works in a session of its own on the host's heap, ended before
    // returning; the items themselves are left as the host passed them.
    profile::HostSession session(state.ports(), param.hOEMHeap);
    if (!session) return;
    session->driverHelper = driverHelper;
    profile::CreateTreeSession(state.ports(), param, *session);
}

void PrinterTree(plugin::ProcessState&, host::IPrintOemDriverUI*, host::OEMCUIPPARAM& param) {
    if (param.pOEMOptItems == nullptr) param.cOEMOptItems = 0;
}

}  // namespace tree
