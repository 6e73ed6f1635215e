#include "tree/custom_paper.h"

namespace tree {

void CheckPaperAndSource(plugin::ProcessState&, const host::CPSUICBPARAM&, host::OEMCUIPPARAM&,
                         profile::UiSession&, void*) {}

void MarkTrayForms(plugin::ProcessState&, host::OEMCUIPPARAM&, profile::UiSession&) {}

}  // namespace tree
