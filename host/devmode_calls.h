// The host's side of the private job-settings record: DevMode calls the way the driver makes
// them, and a field-by-field description of a record.
#pragma once

#include <string>
#include <vector>

#include "plugin/host_interface.h"

namespace hostsim {

// A record buffer as the host allocates it, filled with a sentinel so that a test can tell
// which bytes the plug-in wrote.
std::vector<unsigned char> NewRecord(unsigned char fill = 0xCC);

struct DevModeAnswer {
    host::HRESULT result;
    unsigned long lastError;
    host::DWORD bufferSize;  // cbBufSize after the call
};

// One DevMode call with an OEMDMPARAM built as the host builds it.
DevModeAnswer CallDevMode(host::IPrintOemUI* plugIn, host::DWORD mode, host::HANDLE printer,
                          void* in, void* out, host::DWORD bufferSize = 2404);

// One line per field: name, offset and value.
std::string DescribeRecord(const void* record);

}  // namespace hostsim
