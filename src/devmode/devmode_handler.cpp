#include "devmode/devmode_handler.h"

#include <array>
#include <cstring>

#include "devmode/oem_devmode.h"

namespace devmode {
namespace {

enum class CriticalMemoryWidth { kFull32, kLow16SignExtended };

void WriteHeader(void* out) {
    Set(out, kDwSize, kSize);
    Set(out, kDwSignature, kSignature);
    Set(out, kDwVersion, kVersion);
}

// Everything but the header and HoldItemValue, in the order the values are looked up.
// 16-bit fields keep the low 16 bits of their profile values.
void WriteSettingDefaults(void* out, profile::PrinterProfile& profile, std::uint16_t langId,
                          CriticalMemoryWidth criticalMemoryWidth) {
    Set(out, kHddInstalled, profile.ReadInt(u"Common", u"PrinterInstalledHDD"));
    Set(out, kStapleOn, 0);
    Set(out, kPrintModeCode, 0);
    Clear(out, kHoldTexts);

    Set(out, kGrayscaleCopies, 0);
    Set(out, kBookletOn, 0);
    Set(out, kResolution, profile.ReadInt(u"DEFAULTDEVMODE", u"iResolution"));
    Set(out, kLockedItems, 0);

    Set(out, kCopiesSettingOn, profile.ReadInt(u"Common", u"GraphicsCopiesSetting"));
    Set(out, kPrinterHdd, profile.ReadInt(u"Common", u"PrinterHDD"));
    Set(out, kColorCopies, 0);
    Set(out, kEncryptionMode, 0);
    Clear(out, kLongPasscode);
    Clear(out, kEncryptionKey);

    Set(out, kRegionColor, RegionGroup(langId));
    Set(out, kJobAccounting, profile.ReadInt(u"Common", u"PrinterJobAccounting"));
    Clear(out, kSmartCmsBits);

    const std::int32_t criticalMemory = profile.ReadInt(u"Common", u"CriticalMemorySize");
    // Records converted from another layout have always carried only the low 16 bits of
    // this value, sign-extended; stored records depend on it, so the quirk is kept.
    Set(out, kCriticalMemory,
        criticalMemoryWidth == CriticalMemoryWidth::kFull32
            ? criticalMemory
            : static_cast<std::int32_t>(static_cast<std::int16_t>(criticalMemory)));
    Set(out, kPrinterMemory, profile.ReadInt(u"Common", u"PrinterMemory"));
    Set(out, kRamCollate, profile.ReadInt(u"Common", u"RAMCollate"));
    Set(out, kDuplexOptions, profile.ReadInt(u"FUNCTION", u"DuplexOptions"));
}

template <class T>
void CopyField(const void* from, void* to, Scalar<T> field) {
    Set(to, field, Get(from, field));
}

void CopyBytes(const void* from, void* to, std::size_t offset, std::size_t width) {
    std::memcpy(static_cast<unsigned char*>(to) + offset,
                static_cast<const unsigned char*>(from) + offset, width);
}

// Copies the settings, leaving the header, HoldItemValue, SessionLink and padding alone.
void CopySettings(const void* from, void* to) {
    CopyField(from, to, kPrintModeCode);
    CopyBytes(from, to, kHoldTexts.offset, kHoldTexts.width);
    CopyField(from, to, kGrayscaleCopies);
    CopyField(from, to, kHddInstalled);
    CopyField(from, to, kStapleOn);
    CopyField(from, to, kBookletOn);
    CopyField(from, to, kResolution);
    CopyField(from, to, kLockedItems);
    CopyField(from, to, kCopiesSettingOn);
    CopyField(from, to, kPrinterHdd);
    CopyField(from, to, kColorCopies);
    CopyField(from, to, kEncryptionMode);
    CopyBytes(from, to, kLongPasscode.offset, kLongPasscode.width());
    CopyBytes(from, to, kEncryptionKey.offset, kEncryptionKey.width());
    CopyField(from, to, kRegionColor);
    CopyField(from, to, kJobAccounting);
    CopyBytes(from, to, kSmartCmsBits.offset, kSmartCmsBits.width);
    CopyField(from, to, kCriticalMemory);
    CopyField(from, to, kPrinterMemory);
    CopyField(from, to, kRamCollate);
    CopyField(from, to, kDuplexOptions);
}

}  // namespace

void WriteDefaults(void* out, profile::PrinterProfile& profile, std::uint16_t langId) {
    if (out == nullptr) return;
    Set(out, kHoldItemValue, 0);
    WriteHeader(out);
    WriteSettingDefaults(out, profile, langId, CriticalMemoryWidth::kFull32);
}

void Convert(const void* in, void* out, profile::PrinterProfile& profile, std::uint16_t langId) {
    if (in == nullptr || out == nullptr) return;
    // Both signatures are compared before anything is written: `in` may be `out`.
    const bool sameSignature = Get(in, kDwSignature) == Get(out, kDwSignature);
    // A record whose own size stops short of its last setting cannot be read as one.
    const bool complete = Get(in, kDwSize) >= kUsedBytes;

    // The settings are taken from a snapshot, so a host that passes overlapping or identical
    // buffers still gets every value as it was in the input.
    std::array<unsigned char, kUsedBytes> snapshot;
    const bool copy = sameSignature && complete;
    if (copy) std::memcpy(snapshot.data(), in, snapshot.size());

    Set(out, kDwVersion, kVersion);
    Set(out, kDwSize, kSize);
    Set(out, kHoldItemValue, 0);
    if (copy) {
        CopySettings(snapshot.data(), out);
        return;
    }
    Set(out, kDwSignature, kSignature);
    WriteSettingDefaults(out, profile, langId, CriticalMemoryWidth::kLow16SignExtended);
}

void Validate(void* record) {
    if (record == nullptr) return;
    WriteHeader(record);
    if (Get(record, kHoldItemValue) > kMaxHoldItemValue) Set(record, kHoldItemValue, 0);
}

void HandleDevMode(const platform::Platform& platform, host::DWORD mode, host::OEMDMPARAM& param) {
    if (mode == host::kOemDmSize) {
        param.cbBufSize = static_cast<host::DWORD>(kSize);
        return;
    }
    // cbBufSize is the size of the buffer behind pOEMDMOut: never write a record that does
    // not fit.
    if (param.pOEMDMOut == nullptr || param.cbBufSize < kSize) return;
    if (mode != host::kOemDmDefault && param.pOEMDMIn == nullptr) return;

    profile::PrinterProfile profile(platform, param.hPrinter);
    const std::uint16_t langId =
        platform.system != nullptr ? platform.system->UserDefaultLangId() : 0;
    // The record is built in a copy of the output and copied out whole at the end: an
    // operation that fails half-way (a profile read that cannot allocate) leaves the host's
    // record as it was, never a valid header over half-written settings.
    std::array<unsigned char, kSize> work;
    std::memcpy(work.data(), param.pOEMDMOut, kSize);
    switch (mode) {
        case host::kOemDmDefault:
            WriteDefaults(work.data(), profile, langId);
            break;
        case host::kOemDmConvert:
            Convert(param.pOEMDMIn, work.data(), profile, langId);
            break;
        case host::kOemDmMerge:
            Convert(param.pOEMDMIn, work.data(), profile, langId);
            Validate(work.data());
            break;
        default:
            return;
    }
    std::memcpy(param.pOEMDMOut, work.data(), kSize);
}

}  // namespace devmode
