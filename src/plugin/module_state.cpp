#include "plugin/module_state.h"

namespace plugin {

ModuleState& TheModuleState() {
    static ModuleState state;
    return state;
}

}  // namespace plugin
