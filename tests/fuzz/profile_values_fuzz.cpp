// A whole model profile (and a language text file after the separator) from arbitrary bytes,
// read the way a session reads it: the session's values, the feature switches and job-setting
// lists, the tray table, the print modes of each storage state, the resolution list from its
// masks, the SmartCMS values, the TestPages list and the property sheet's page list.
// Checked: every table stays within its bounds and holds only what its readers promise.

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devmode/oem_devmode.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "fuzz/fuzz_support.h"
#include "profile/bounded_text.h"
#include "profile/tray_table.h"
#include "profile/ui_session.h"
#include "tree/feature_options.h"
#include "ui/diagnostic_pages.h"
#include "ui/property_sheets.h"

namespace {

// The fake spooler's driver names this profile; its language file is found from the profile.
constexpr char16_t kProfilePath[] = u"C:\\Drivers\\3\\CVLu.INI";

// Paths compare without regard to ASCII case, as the system's do.
std::u16string Upper(std::u16string_view path) {
    std::u16string upper(path);
    for (char16_t& c : upper) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return upper;
}

// The profile at its path and the language text (if any) at whichever ".DAT" path the
// profile leads to, each read (and parsed) once; no other file exists.
class ModelFiles final : public profile::FileSource {
  public:
    ModelFiles(std::string_view profile, std::optional<std::string_view> texts)
        : profile_(profile), texts_(texts) {}
    std::optional<std::string> Read(std::u16string_view path) override {
        const std::u16string name = Upper(path);
        if (name == Upper(kProfilePath)) return std::string(profile_);
        if (texts_ && name.ends_with(u".DAT")) return std::string(*texts_);
        return std::nullopt;
    }

  private:
    std::string_view profile_;
    std::optional<std::string_view> texts_;
};

bool Terminated(const char16_t* field, std::size_t units) {
    return text::FieldLength(field, units) < units;
}

void CheckSwitches(const profile::FeatureSwitches& switches) {
    for (const auto& list : switches.lists) {
        // Numbers first, then the end marker in every remaining slot, the last slot included.
        std::size_t n = 0;
        while (n < profile::kListSlots && list[n] != -1) FUZZ_CHECK(list[n++] >= 0);
        FUZZ_CHECK(n < profile::kListSlots);
        for (; n < profile::kListSlots; ++n) FUZZ_CHECK(list[n] == -1);
    }
}

void CheckTrays(const profile::UiSession& s) {
    FUZZ_CHECK(s.trayCount >= 0 && s.trayCount <= static_cast<std::int32_t>(profile::kMaxTrays));
    std::int32_t previous = -1;
    for (std::size_t i = 0; i < profile::kMaxTrays; ++i) {
        const profile::TrayEntry& e = s.trayList[i];
        FUZZ_CHECK(Terminated(e.name, profile::kTrayNameUnits));
        const profile::TrayLimits& r = s.trayLimits[i];
        if (static_cast<std::int32_t>(i) >= s.trayCount) {
            FUZZ_CHECK(e.index == -1 && e.name[0] == u'\0');
            FUZZ_CHECK(r.minWidth == 0 && r.maxWidth == 0 && r.minHeight == 0 && r.maxHeight == 0);
            continue;
        }
        // Positions in the TrayIndex list, in list order.
        FUZZ_CHECK(e.index > previous);
        previous = e.index;
        const bool any = r.minWidth == 0 && r.maxWidth == 0 && r.minHeight == 0 && r.maxHeight == 0;
        FUZZ_CHECK(any ||
                   (r.minWidth != 0 && r.maxWidth != 0 && r.minHeight != 0 && r.maxHeight != 0));
    }
}

void CheckResolutions(const profile::UiSession& s) {
    FUZZ_CHECK(s.resolutionCount >= 0 &&
               s.resolutionCount <= static_cast<std::int32_t>(profile::kMaxResolutions));
    for (std::int32_t i = 0; i < s.resolutionCount; ++i) {
        // A multiple (1, 2, 4 or 8) of a resolution, or the multiple alone.
        const std::int32_t r = s.resolutionList[i];
        bool known = false;
        for (std::int32_t dpi : {1, 300, 600, 1200}) {
            for (std::int32_t m : {1, 2, 4, 8}) known = known || r == dpi * m;
        }
        FUZZ_CHECK(known);
    }
    for (std::size_t i = static_cast<std::size_t>(s.resolutionCount); i < profile::kMaxResolutions;
         ++i) {
        FUZZ_CHECK(s.resolutionList[i] == 0);
    }
}

void CheckPrintModes(profile::UiSession& s) {
    for (std::int32_t state = 0; state < 4; ++state) {
        s.storageState = state;
        tree::BuildPrintModeList(s);
        FUZZ_CHECK(s.printModeCount >= 0 &&
                   s.printModeCount <= static_cast<std::int32_t>(profile::kMaxPrintModes));
        for (std::int32_t i = 0; i < s.printModeCount; ++i) {
            FUZZ_CHECK(s.printModeList[i].mode >= 0 && s.printModeList[i].mode <= 5);
            FUZZ_CHECK(s.printModeList[i].position == i);
        }
        // The Print and Hold button is offered exactly when its dialog has a mode to offer.
        FUZZ_CHECK(tree::HoldModesOffered(s) == (s.printModeCount > 0 ? 1 : 0));
    }
}

void CheckSmartCms(profile::ProfileReader& profile) {
    std::array<unsigned char, devmode::kSize> record;
    record.fill(0x5A);
    profile.SetSection(u"Common");
    for (int n = 1; n <= 40; ++n) {
        char16_t key[32];
        text::Format(key, 32, u"GraphicsSmartCMS%d", {n});
        char16_t value[256];
        profile.ReadString256(key, value);
        tree::ApplySmartCmsCodes(record.data(), value, n & 1);
    }
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (i < devmode::kSmartCmsBits.offset ||
            i >= devmode::kSmartCmsBits.offset + devmode::kSmartCmsBits.width) {
            FUZZ_CHECK(record[i] == 0x5A);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts =
        fuzz::Split({reinterpret_cast<const char*>(data), size}, 2);
    fakes::FakePlatform fake;
    // Without a separator there is no language file at all.
    const bool texts =
        std::string_view(reinterpret_cast<const char*>(data), size).find(fuzz::kSeparator) !=
        std::string_view::npos;
    ModelFiles files(parts[0], texts ? std::optional(parts[1]) : std::nullopt);
    profile::IniProfileFiles profiles(files, /*cacheDocuments=*/true);
    platform::Platform ports = fake.ports();
    ports.profiles = &profiles;

    auto session = std::make_unique<profile::UiSession>();
    profile::UiSession& s = *session;
    s.hostBlock.printer = reinterpret_cast<host::HANDLE>(0x50);
    s.hostBlock.printerName = u"Printer";
    s.printerHandle = s.hostBlock.printer;
    FUZZ_CHECK(profile::CreateReaders(ports, s));
    profile::InitializeSession(ports, s);
    FUZZ_CHECK(Terminated(s.filePrefix, profile::kNameUnits));
    FUZZ_CHECK(Terminated(s.helpFile, profile::kHelpFileUnits));
    FUZZ_CHECK(s.brand >= profile::kBrandVantora && s.brand <= profile::kBrandOrin);

    // The tray table again, now that the language text file has been found.
    profile::BuildTrayTable(s);
    CheckTrays(s);

    profile::ProfileReader& profile = *s.profileReader;
    profile::ReadFeatureSwitches(profile, s.switches);
    CheckSwitches(s.switches);
    profile::BuildSwitchSignature(s.switches, s.switchSignature);
    FUZZ_CHECK(Terminated(s.switchSignature, profile::kSignatureUnits));

    CheckPrintModes(s);
    tree::BuildResolutionList(s);
    CheckResolutions(s);
    CheckSmartCms(profile);

    profile.SetSection(u"Common");
    char16_t list[ui::kDiagnosticJobBytes];
    profile.ReadString(u"TestPages", list, ui::kDiagnosticJobBytes, u"TestPages");
    for (int page : ui::DiagnosticPageNumbers(list)) {
        FUZZ_CHECK(page >= 1 && page <= ui::kDiagnosticPageCount);
    }

    // The page list: "Tab0", "Tab1", ... in order, no more than the count and the limit say.
    std::int32_t visited = 0;
    const std::int32_t listed =
        ui::ForEachPageEntry(profile, [&](std::u16string_view key, std::int32_t) {
            char16_t expected[16];
            text::Format(expected, 16, u"Tab%d", {visited++});
            FUZZ_CHECK(key == expected);
        });
    FUZZ_CHECK(visited <= ui::kMaxPageEntries && visited <= std::max(listed, 0));
    FUZZ_CHECK(visited == std::min(std::max(listed, 0), ui::kMaxPageEntries));
    return 0;
}
