#include "autoconfig/auto_configuration.h"

namespace autoconfig {

void AutoConfigure(plugin::ProcessState&, host::OEMCUIPPARAM&, profile::UiSession&, host::DWORD) {}

}  // namespace autoconfig
