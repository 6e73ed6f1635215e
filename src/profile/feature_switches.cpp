#include "profile/feature_switches.h"

#include "profile/bounded_text.h"
#include "profile/job_setting_list.h"
#include "profile/profile_reader.h"

namespace profile {
namespace {

struct SwitchKey {
    int group;  // 1 to 6
    int bit;
    const char16_t* key;
    std::int32_t defaultValue;
};

// Every switch key with its group, bit and the value it has when the key is absent.
// Group 3 bit 13 has no key and is always 0; group 3 bit 17 (GraphicsRaster) defaults to
// the colour-mode switch and is read separately; group 4 bits 10 to 15 come from the lists.
constexpr SwitchKey kSwitchKeys[] = {
    {1, 0, u"LayoutRotate", 0},
    {1, 1, u"LayoutTypeNone", 0},
    {1, 2, u"LayoutBooklet", 0},
    {1, 3, u"LayoutDoubleSided", 0},
    {1, 4, u"LayoutDoublePrinter", 0},
    {1, 5, u"LayoutVirtual", 0},
    {1, 6, u"LayoutVirtualOrder", 0},
    {1, 7, u"LayoutMultiple", 0},
    {1, 8, u"LayoutMultipleOrder", 0},
    {1, 9, u"LayoutPoster", 0},
    {1, 10, u"LayoutPoster6x6", 0},
    {1, 11, u"LayoutPosterCustom", 0},
    {1, 12, u"LayoutMore", 0},
    {1, 13, u"LayoutDoubleManual", 0},
    {1, 14, u"LayoutDoubleReverse", 0},
    {1, 15, u"LayoutFitToPage", 0},
    {1, 16, u"LayoutMirror", 0},
    {2, 0, u"PaperCollate", 0},
    {2, 1, u"PaperSeparator", 0},
    {2, 2, u"PaperFirstPage", 0},
    {2, 3, u"PaperScaleNone", 0},
    {2, 4, u"PaperBannerSheet", 0},
    {2, 5, u"PaperTrayRadio", 1},
    {2, 6, u"PaperOhpSource", 0},
    {2, 7, u"PaperLastPage", 0},
    {3, 0, u"Graphics600Res", 0},
    {3, 1, u"GraphicsDraftRes", 0},
    {3, 2, u"GraphicsImageMode", 0},
    {3, 3, u"GraphicsDarkness", 0},
    {3, 4, u"Graphics1200Res", 0},
    {3, 5, u"Graphics300Res", 0},
    {3, 6, u"GraphicsTrueType", 1},
    {3, 7, u"GraphicsTonerPrinter", 1},
    {3, 8, u"GraphicsColorMode", 0},
    {3, 9, u"GraphicsColorSettings", 0},
    {3, 10, u"GraphicsTrueTypeOutline", 1},
    {3, 11, u"GraphicsDarkenText", 0},
    {3, 12, u"GraphicsColorMatching", 0},
    {3, 14, u"GraphicsColorAuto", 1},
    {3, 15, u"GraphicsTrueTypeAdvanced", 0},
    {3, 16, u"GraphicsTrueTypeDisabled", 0},
    {3, 18, u"GraphicsCopiesSetting", 0},
    {3, 19, u"GraphicsGrayscaleEnh", 0},
    {4, 0, u"ExtrasDestination", 0},
    {4, 1, u"ExtrasReprintJam", 0},
    {4, 2, u"ExtrasQuickPrint", 0},
    {4, 3, u"ExtrasPrintTime", 0},
    {4, 4, u"ExtrasPrinterFont", 0},
    {4, 5, u"ExtrasSaveAsForm", 0},
    {4, 6, u"ExtrasSecurePrint", 0},
    {4, 7, u"ExtrasSimple", 0},
    {4, 8, u"ExtrasPageOrder", 1},
    {4, 9, u"ExtrasPrinterFont2", 0},
    {5, 0, u"PrinterOptTray", 0},
    {5, 1, u"PrinterTray34", 0},
    {5, 2, u"PrinterFinisher", 0},
    {5, 3, u"PrinterEnvelope", 0},
    {5, 4, u"PrinterDuplex", 0},
    {5, 5, u"PrinterStapler", 0},
    {5, 6, u"PrinterHDD", 0},
    {5, 7, u"PrinterHighAlt", 0},
    {5, 8, u"PrinterPowerSave", 0},
    {5, 9, u"PrinterTrayCheck", 0},
    {5, 10, u"PrinterStatusWindow", 0},
    {5, 11, u"PrinterTray23", 0},
    {5, 12, u"PrinterTray234", 0},
    {5, 13, u"PrinterInstalledHDD", 0},
    {5, 14, u"PrinterStacker", 0},
    {5, 15, u"PrinterOptMPTray", 0},
    {6, 0, u"TroubleLookout", 1},
    {6, 1, u"TroubleDisablePrnLink", 1},
};

constexpr const char16_t* kListKeys[4] = {u"JobSettingHDDOn", u"JobSettingHDDOff",
                                          u"JobSettingMemoryOn", u"JobSettingMemoryOff"};
constexpr std::uint32_t kListTextUnits = 512;

// The numbers of a list value, at most kListSlots - 1; the rest of the slots stay -1.
void ParseList(std::u16string_view text, std::int32_t (&list)[kListSlots]) {
    for (std::int32_t& slot : list) slot = -1;
    int count = 0;
    ForEachListNumber(text, [&](std::int32_t n) {
        list[count++] = n;
        return count < kListSlots - 1;
    });
}

}  // namespace

void ReadFeatureSwitches(ProfileReader& profile, FeatureSwitches& switches) {
    profile.SetSection(u"Common");
    for (auto& group : switches.bits) group = 0;
    for (const SwitchKey& s : kSwitchKeys) {
        if (profile.ReadInt(s.key, s.defaultValue) != 0) switches.bits[s.group - 1] |= 1u << s.bit;
    }
    const bool colorMode = (switches.bits[2] & (1u << 8)) != 0;
    if (profile.ReadInt(u"GraphicsRaster", colorMode ? 1 : 0) != 0) switches.bits[2] |= 1u << 17;

    for (int l = 0; l < 4; ++l) {
        char16_t value[kListTextUnits];
        profile.ReadString(kListKeys[l], value, kListTextUnits, nullptr);
        ParseList(value, switches.lists[l]);
    }
}

int FindInList(std::int32_t value, const std::int32_t (&list)[kListSlots]) {
    for (int i = 0; i < kListSlots && list[i] != -1; ++i) {
        if (list[i] == value) return i;
    }
    return -1;
}

void BuildSwitchSignature(const FeatureSwitches& switches, char16_t (&signature)[kSignatureUnits]) {
    if (signature[0] != u'\0') return;
    std::uint32_t groups[kSwitchGroups];
    for (int g = 0; g < kSwitchGroups; ++g) groups[g] = switches.bits[g];
    groups[3] &= 0x3FF;  // bits 10 to 15 of group 4 come from the lists only
    for (int n = 1; n <= 6; ++n) {
        for (const auto& list : switches.lists) {
            if (FindInList(n, list) != -1) {
                groups[3] |= 1u << (9 + n);
                break;
            }
        }
    }
    for (int g = 0; g < kSwitchGroups; ++g) {
        char16_t number[16];
        text::Format(number, 16, g == 0 ? u"%u" : u",%u", {groups[g]});
        text::Concat(signature, kSignatureUnits, number);
    }
}

}  // namespace profile
