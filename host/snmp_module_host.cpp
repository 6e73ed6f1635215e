#include "snmp_module_host.h"

#include <cstring>
#include <fstream>

namespace hostsim {

AutoConfigBlock RequestBlock(std::uint32_t askMask, unsigned char modelCode) {
    AutoConfigBlock block;
    block.fill(0xFF);
    const struct {
        std::uint32_t bit;
        std::size_t offset;
    } fields[] = {{0x001, 4},  {0x002, 8},  {0x004, 6}, {0x008, 12},
                  {0x020, 16}, {0x100, 22}, {0x200, 24}};
    for (const auto& field : fields) {
        if (askMask & field.bit) block[field.offset] = block[field.offset + 1] = 0;
    }
    block[21] = modelCode;
    return block;
}

std::int16_t BlockField(const AutoConfigBlock& block, std::size_t offset) {
    std::int16_t value = 0;
    std::memcpy(&value, block.data() + offset, sizeof value);
    return value;
}

SnmpModule::~SnmpModule() {
    if (module_ != nullptr) FreeLibrary(module_);
}

bool SnmpModule::Load(const std::wstring& path) {
    module_ = LoadLibraryW(path.c_str());
    if (module_ == nullptr) return false;
    call_ = reinterpret_cast<AutoUpdateFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "SNMP_AutoUpdate")));
    return call_ != nullptr;
}

unsigned short SnmpModule::Call(const char* portName, AutoConfigBlock& block) {
    if (call_ == nullptr) return 0;
    char port[256] = {};
    std::strncpy(port, portName, sizeof port - 1);
    int flag = 1;
    return call_(port, block.data(), &flag, nullptr);
}

bool WriteSnmpSettings(const std::wstring& path, unsigned port, const std::string& moreLines) {
    std::ofstream out(std::string(path.begin(), path.end()), std::ios::binary | std::ios::trunc);
    out << "[SNMP]\r\nPort=" << port << "\r\n" << moreLines;
    return static_cast<bool>(out);
}

const ModelSpec& NetworkPrinter() {
    static const ModelSpec printer = {L"Talen ColorPrint C5 (network)", L"Talen ColorPrint C5 PS",
                                      L"CVLC5.PPD", L"CVL_NET_1"};
    return printer;
}

bool InstallNetworkPrinter(const wchar_t* community, std::wstring* error) {
    if (!AddStandardTcpIpPort(NetworkPrinter().portName, L"127.0.0.1", community, 1)) {
        if (error != nullptr) *error = L"cannot write the port's key";
        return false;
    }
    return InstallModel(NetworkPrinter(), error);
}

}  // namespace hostsim
