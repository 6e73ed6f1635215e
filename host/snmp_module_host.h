// The SNMP module <prefix>N.DLL called directly, as auto-configuration calls it, and the
// setup a printer on the network needs: its settings file beside the module and a printer of
// the sample model on a Standard TCP/IP port.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "model_install.h"

namespace hostsim {

// The block as the plug-in prepares it: every byte 0xFF, the asked fields 0, the model code.
using AutoConfigBlock = std::array<unsigned char, 32>;
AutoConfigBlock RequestBlock(std::uint32_t askMask, unsigned char modelCode);
std::int16_t BlockField(const AutoConfigBlock& block, std::size_t offset);

class SnmpModule {
  public:
    SnmpModule() = default;
    SnmpModule(const SnmpModule&) = delete;
    SnmpModule& operator=(const SnmpModule&) = delete;
    ~SnmpModule();
    bool Load(const std::wstring& path);
    // SNMP_AutoUpdate(portName, block, &flag(1), 0): its result.
    unsigned short Call(const char* portName, AutoConfigBlock& block);

  private:
    using AutoUpdateFn = unsigned short(WINAPI*)(const char*, unsigned char*, int*, void*);
    HMODULE module_ = nullptr;
    AutoUpdateFn call_ = nullptr;
};

// Writes the module's settings file ([SNMP] with the agent's UDP port and the given lines).
bool WriteSnmpSettings(const std::wstring& path, unsigned port, const std::string& moreLines = "");

// The TALEN sample on the Standard TCP/IP port "CVL_NET_1" whose address is 127.0.0.1
// (community as given), installed when missing.
const ModelSpec& NetworkPrinter();
bool InstallNetworkPrinter(const wchar_t* community, std::wstring* error);

}  // namespace hostsim
