#include "plugin/driver_event.h"

#include <cstring>

#include "profile/bounded_text.h"

namespace plugin {
namespace {

constexpr std::size_t kNameUnits = 260;
constexpr host::DWORD kDriverEventDelete = 2;

// The driver name of the host's driver information: the first member of level 1, the one
// after cVersion for levels 2 to 4; other levels carry no name.
const char16_t* DriverName(host::DWORD level, const host::BYTE* driverInfo) {
    if (driverInfo == nullptr) return nullptr;
    const host::WCHAR* name = nullptr;
    if (level == 1) {
        std::memcpy(&name, driverInfo + offsetof(host::DRIVER_INFO_1W, pName), sizeof name);
    } else if (level >= 2 && level <= 4) {
        std::memcpy(&name, driverInfo + offsetof(host::DRIVER_INFO_2W, pName), sizeof name);
    }
    return name;
}

}  // namespace

void HandleDriverEvent(const platform::Platform& platform, host::DWORD driverEvent,
                       host::DWORD level, const host::BYTE* driverInfo) {
    if (driverEvent != kDriverEventDelete || platform.registry == nullptr) return;
    char16_t name[kNameUnits];
    text::Copy(name, kNameUnits, DriverName(level, driverInfo));

    auto user = platform.registry->OpenHive(platform::Hive::kCurrentUser, platform::kKeyWrite);
    if (!user) return;
    char16_t subKey[kNameUnits];
    // A key path cut short would name some other driver's key (or the parent itself when
    // the name is empty), so only a complete path is deleted.
    if (name[0] != u'\0' &&
        text::Format(subKey, kNameUnits, u"Software\\Corvel\\%s\\", {name}) == text::kOk) {
        user->DeleteKey(subKey);
    }
    user->DeleteEmptyKey(u"Software\\Corvel");
}

}  // namespace plugin
