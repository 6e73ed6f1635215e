#include "plugin/device_capabilities.h"

#include "profile/driver_info.h"

namespace plugin {

ResolutionIndexes ReadResolutionIndexes(const platform::Platform& platform, host::HANDLE printer) {
    profile::PrinterProfile profile(platform, printer);
    ResolutionIndexes indexes;
    indexes.resolution300Index = profile.ReadInt(u"FUNCTION", u"Resolution300Index");
    indexes.quality300Index = profile.ReadInt(u"FUNCTION", u"Quality300Index");
    return indexes;
}

}  // namespace plugin
