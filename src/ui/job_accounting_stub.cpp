#include "plugin/host_interface.h"
namespace ui {
host::LONG HOST_CALL OnJobAccountingButton(host::CPSUICBPARAM*) noexcept { return 0; }
}  // namespace ui
