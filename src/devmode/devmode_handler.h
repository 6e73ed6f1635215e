// The four DevMode operations on the private record: size, defaults, convert and merge.
#pragma once

#include <cstdint>

#include "platform/ports.h"
#include "plugin/host_interface.h"
#include "profile/driver_info.h"

namespace devmode {

// Sizes, defaults, converts or merges the private record (mode 1 to 4, already checked).
// Modes 2 to 4 do nothing when a record they need is null or when the host's cbBufSize says
// the output buffer cannot hold a whole record. The output is written whole or not at all. The
// model profile is read through one PrinterProfile per call, so the driver information is asked for
// at most once.
void HandleDevMode(const platform::Platform& platform, host::DWORD mode, host::OEMDMPARAM& param);

// The operations themselves, on records of at least kSize bytes. Profile values come from
// `profile`, the region colour from the user's language `langId`.

// Writes the defaults: the header, cleared settings and the model's profile values. Padding,
// SessionLink and the reserved bytes are left as they are.
void WriteDefaults(void* out, profile::PrinterProfile& profile, std::uint16_t langId);

// Converts `in` into `out`: a record with the signature already in `out` has its settings
// copied, anything else is replaced by defaults. `in` and `out` may be the same buffer.
// `in` counts as complete only when its own size field covers every field that is copied.
void Convert(const void* in, void* out, profile::PrinterProfile& profile, std::uint16_t langId);

// Repairs the header of `record` and resets an out-of-range HoldItemValue.
void Validate(void* record);

}  // namespace devmode
