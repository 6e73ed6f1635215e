#include "devmode_calls.h"

#include <windows.h>

#include <cstdio>

#include "devmode/oem_devmode.h"

namespace hostsim {
namespace {

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

std::vector<unsigned char> NewRecord(unsigned char fill) {
    return std::vector<unsigned char>(devmode::kSize, fill);
}

DevModeAnswer CallDevMode(host::IPrintOemUI* plugIn, host::DWORD mode, host::HANDLE printer,
                          void* in, void* out, host::DWORD bufferSize) {
    host::OEMDMPARAM param = {};
    param.cbSize = sizeof param;
    param.hPrinter = printer;
    param.pOEMDMIn = in;
    param.pOEMDMOut = out;
    param.cbBufSize = bufferSize;
    SetLastError(0xDEADBEEF);
    DevModeAnswer answer;
    answer.result = plugIn->DevMode(mode, &param);
    answer.lastError = GetLastError();
    answer.bufferSize = param.cbBufSize;
    return answer;
}

std::string DescribeRecord(const void* r) {
    using namespace devmode;
    std::string out;
    char line[160];
    auto number = [&](const char* name, std::size_t offset, long long value) {
        std::snprintf(line, sizeof line, "    %-16s @%-4zu %lld\n", name, offset, value);
        out += line;
    };
    auto text = [&](const char* name, Text field) {
        std::snprintf(line, sizeof line, "    %-16s @%-4zu \"%s\"\n", name, field.offset,
                      Narrow(GetText(r, field)).c_str());
        out += line;
    };
    number("dwSize", kDwSize.offset, Get(r, kDwSize));
    std::snprintf(line, sizeof line, "    %-16s @%-4zu 0x%08lX ('%c%c%c%c')\n", "dwSignature",
                  kDwSignature.offset, static_cast<unsigned long>(Get(r, kDwSignature)),
                  static_cast<const char*>(r)[7], static_cast<const char*>(r)[6],
                  static_cast<const char*>(r)[5], static_cast<const char*>(r)[4]);
    out += line;
    number("dwVersion", kDwVersion.offset, Get(r, kDwVersion));
    number("HoldItemValue", kHoldItemValue.offset, Get(r, kHoldItemValue));
    number("PrintModeCode", kPrintModeCode.offset, Get(r, kPrintModeCode));
    text("UserId", kUserId);
    text("JobName", kJobName);
    text("Passcode", kPasscode);
    text("PrintAtTime", kPrintAtTime);
    number("GrayscaleCopies", kGrayscaleCopies.offset, Get(r, kGrayscaleCopies));
    std::snprintf(line, sizeof line, "    %-16s @%-4zu 0x%08lX\n", "SessionLink",
                  kSessionLink.offset, static_cast<unsigned long>(Get(r, kSessionLink)));
    out += line;
    number("HddInstalled", kHddInstalled.offset, Get(r, kHddInstalled));
    number("StapleOn", kStapleOn.offset, Get(r, kStapleOn));
    number("BookletOn", kBookletOn.offset, Get(r, kBookletOn));
    number("Resolution", kResolution.offset, Get(r, kResolution));
    number("LockedItems", kLockedItems.offset, Get(r, kLockedItems));
    number("CopiesSettingOn", kCopiesSettingOn.offset, Get(r, kCopiesSettingOn));
    number("PrinterHdd", kPrinterHdd.offset, Get(r, kPrinterHdd));
    number("ColorCopies", kColorCopies.offset, Get(r, kColorCopies));
    number("EncryptionMode", kEncryptionMode.offset, Get(r, kEncryptionMode));
    text("LongPasscode", kLongPasscode);
    text("EncryptionKey", kEncryptionKey);
    number("RegionColor", kRegionColor.offset, Get(r, kRegionColor));
    number("JobAccounting", kJobAccounting.offset, Get(r, kJobAccounting));
    std::string bits;
    for (std::size_t i = 0; i < kSmartCmsBits.width; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X",
                      static_cast<const unsigned char*>(r)[kSmartCmsBits.offset + i]);
        bits += byte;
    }
    std::snprintf(line, sizeof line, "    %-16s @%-4zu %s\n", "SmartCmsBits", kSmartCmsBits.offset,
                  bits.c_str());
    out += line;
    number("CriticalMemory", kCriticalMemory.offset, Get(r, kCriticalMemory));
    number("PrinterMemory", kPrinterMemory.offset, Get(r, kPrinterMemory));
    number("RamCollate", kRamCollate.offset, Get(r, kRamCollate));
    number("DuplexOptions", kDuplexOptions.offset, Get(r, kDuplexOptions));
    return out;
}

}  // namespace hostsim
