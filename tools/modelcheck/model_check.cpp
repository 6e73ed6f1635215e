#include "modelcheck/model_check.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "devmode/oem_devmode.h"
#include "modelcheck/dialog_texts.h"
#include "modelcheck/model_folder.h"
#include "profile/bounded_text.h"
#include "profile/job_setting_list.h"
#include "profile/tray_table.h"
#include "profile/ui_session.h"
#include "tree/feature_options.h"
#include "ui/about_dialog.h"
#include "ui/diagnostic_pages.h"
#include "ui/job_accounting_dialog.h"
#include "ui/passcode_limits.h"
#include "ui/print_hold_dialog.h"
#include "ui/property_sheets.h"
#include "ui/text_format.h"
#include "ui/trouble_page.h"

namespace modelcheck {
namespace {

using profile::ProfileReader;
using profile::UiSession;

constexpr std::u16string_view kProfileSuffix = u"u.INI";
// The dialogs read their texts into buffers of at most this many units.
constexpr std::uint32_t kTextUnits = 260;
// Enough to tell how long a value is that the plug-in cuts shorter.
constexpr std::uint32_t kMeasureUnits = 4096;
// Longest piece of a model's value quoted in a message.
constexpr std::size_t kQuoteUnits = 40;
// The integers a passcode text is filled with: the least and the most length.
constexpr std::size_t kPasscodeFormatIntegers = 2;

// The value of `key` in the reader's current section, read into a buffer of `units`; empty
// when the key is missing or empty, both of which the plug-in reads as missing.
std::u16string Value(const ProfileReader& reader, std::u16string_view key,
                     std::uint32_t units = kTextUnits) {
    std::vector<char16_t> buffer(units);
    const std::uint32_t length = reader.ReadString(key, buffer.data(), units, nullptr);
    return std::u16string(buffer.data(), std::min(length, units - 1));
}

// Whether the plug-in, reading the key into its usual 256 units, gets a value.
bool Has(const ProfileReader& reader, std::u16string_view key) {
    return !Value(reader, key, 256).empty();
}

std::u16string Quote(std::u16string_view value) {
    if (value.size() <= kQuoteUnits) return u"\"" + std::u16string(value) + u"\"";
    return u"\"" + std::u16string(value.substr(0, kQuoteUnits)) + u"...\"";
}

std::u16string Number(long long n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string Join(const std::vector<std::u16string>& items) {
    std::u16string out;
    for (const std::u16string& item : items) out += (out.empty() ? u"" : u", ") + item;
    return out;
}

bool EndsWithFolded(std::u16string_view s, std::u16string_view suffix) {
    if (s.size() < suffix.size()) return false;
    return text::UpperAscii(s.substr(s.size() - suffix.size())) == text::UpperAscii(suffix);
}

// Every language code the plug-in can choose for a user, in order of language identifier.
std::vector<std::u16string> AllLanguageCodes() {
    std::vector<std::u16string> codes;
    for (std::uint32_t id = 0; id <= 0xFFFF; ++id) {
        const std::u16string code = profile::LanguageCode(static_cast<std::uint16_t>(id));
        if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
    }
    return codes;
}

// The print modes of all four job-setting lists, and what the model therefore shows.
struct Shown {
    bool modes[ui::kModeCount] = {};
    bool hold = false;
    bool copies = false;
    bool accounting = false;
    bool troublePage = false;
    bool lookout = false;
};

class Checker {
  public:
    Checker(profile::FileSource& files, std::u16string_view profileName, Report& report)
        : files_(files),
          profiles_(files, /*cacheDocuments=*/true),
          profileName_(profileName),
          ports_(profiles_, DataFile(profileName)),
          report_(report) {}

    void Run();

  private:
    static std::u16string DataFile(std::u16string_view profileName) {
        const std::u16string_view base = profileName.substr(
            0, profileName.size() - std::min(profileName.size(), std::size_t{5}));
        return std::u16string(kDriverDir) + std::u16string(base) + u".PPD";
    }

    // A session initialised by the plug-in for a user whose stored language code is `code`.
    std::unique_ptr<UiSession> Session(std::u16string_view code);
    bool Readable(std::u16string_view path) { return files_.Read(path).has_value(); }

    void Add(std::vector<modelcheck::Finding>& list, std::u16string_view path,
             std::u16string_view section, std::u16string_view key, std::u16string message);
    void Flag(const ProfileReader& reader, std::u16string_view key, std::u16string message) {
        Add(report_.findings, reader.path(), reader.section(), key, std::move(message));
    }

    void FindShown();
    void CheckIdentity();
    void CheckJobSettingLists();
    void CheckPasscodeLimits();
    void ReportLimits(const ui::PasscodeLimitKeys& keys, ui::PasscodeLimits model,
                      ui::PasscodeLimits fitted, int width, std::u16string_view unit,
                      std::u16string_view field);
    void CheckEncryptionKey();
    void CheckSmartCms();
    void CheckTrays();
    void CheckPages();
    void CheckDiagnosticPages();
    void CheckLanguages();
    void CheckPictures();

    void CheckTexts(UiSession& session);
    void CheckDialog(ProfileReader& texts, std::u16string_view name);
    void CheckText(ProfileReader& texts, std::u16string_view key, std::u16string message);
    void CheckPasscodeFormat(ProfileReader& texts, std::u16string_view key);
    void CheckTrayNames(ProfileReader& texts);
    void CheckTroubleTexts(ProfileReader& texts);
    void CheckAboutDetails(UiSession& session);
    void CheckPicture(std::u16string_view path, std::u16string_view what,
                      std::u16string_view effect);

    profile::FileSource& files_;
    profile::IniProfileFiles profiles_;
    std::u16string profileName_;
    ModelPorts ports_;
    Report& report_;
    std::unique_ptr<UiSession> session_;  // the session of a user with the code EN
    Shown shown_;
    std::vector<int> diagnosticPages_;  // the TestPages list as the page reads it
};

std::unique_ptr<UiSession> Checker::Session(std::u16string_view code) {
    ports_.SetLanguageCode(code);
    auto session = std::make_unique<UiSession>();
    profile::CreateReaders(ports_.platform(), *session);
    // Any printer will do: the ports know one.
    static char printer;
    session->hostBlock = {&printer, u"modelcheck", nullptr};
    session->printerHandle = &printer;
    profile::InitializeSession(ports_.platform(), *session);
    return session;
}

void Checker::Add(std::vector<modelcheck::Finding>& list, std::u16string_view path,
                  std::u16string_view section, std::u16string_view key, std::u16string message) {
    modelcheck::Finding finding{std::u16string(ModelFileName(path)), std::u16string(section),
                                std::u16string(key), std::move(message)};
    if (std::find(list.begin(), list.end(), finding) == list.end()) {
        list.push_back(std::move(finding));
    }
}

void Checker::Run() {
    report_.profile = profileName_;
    if (!EndsWithFolded(profileName_, kProfileSuffix) ||
        profileName_.size() == kProfileSuffix.size()) {
        report_.unreadable = u"not a model profile, whose name is <base>u.INI";
        return;
    }
    const std::u16string path = std::u16string(kDriverDir) + profileName_;
    if (!Readable(path)) {
        report_.unreadable = u"cannot be read";
        return;
    }
    session_ = Session(u"EN");
    // The plug-in forms the profile's name from the data file's name up to its first dot.
    if (text::UpperAscii(session_->profileReader->path()) != text::UpperAscii(path)) {
        report_.unreadable = u"the plug-in would read " +
                             std::u16string(ModelFileName(session_->profileReader->path())) +
                             u" instead: a model's base name cannot hold a \".\"";
        return;
    }
    FindShown();
    CheckIdentity();
    CheckJobSettingLists();
    CheckPasscodeLimits();
    CheckEncryptionKey();
    CheckSmartCms();
    CheckTrays();
    CheckPages();
    CheckDiagnosticPages();
    CheckLanguages();
    CheckPictures();
}

void Checker::FindShown() {
    ProfileReader& profile = *session_->profileReader;
    for (const std::u16string_view key : tree::kJobSettingKeys) {
        profile.SetSection(u"Common");
        char16_t list[256];
        profile.ReadString256(key, list);
        if (std::u16string_view(list) == key) continue;
        profile::PrintModeEntry entries[profile::kMaxPrintModes];
        const std::int32_t count = tree::ParsePrintModes(list, entries);
        for (std::int32_t i = 0; i < count; ++i) shown_.modes[entries[i].mode] = true;
        shown_.hold = shown_.hold || count > 0;
    }
    shown_.copies = session_->copiesSetting != 0;
    shown_.accounting = session_->jobAccounting != 0;
    bool troubleEntry = false;
    ui::ForEachPageEntry(profile, [&](std::u16string_view, std::int32_t kind) {
        troubleEntry = troubleEntry || kind == ui::kTroublePageKind;
    });
    shown_.troublePage = troubleEntry && session_->brand == profile::kBrandTalen;
    profile.SetSection(u"Common");
    shown_.lookout = shown_.troublePage && profile.ReadInt(u"TroubleLookout", 0) != 0;
}

void Checker::CheckIdentity() {
    ProfileReader& profile = *session_->profileReader;
    profile.SetSection(u"OEMFiles");
    if (!Has(profile, u"OEMPrefix")) {
        Flag(profile, u"OEMPrefix",
             u"missing: the texts, help and pictures are looked for under the prefix "
             u"\"OEMPrefix\"");
    }
    if (profile.ReadInt(u"JobMointor", 0) != 0 && !Has(profile, u"JobMointorPath")) {
        Flag(profile, u"JobMointorPath",
             u"missing while JobMointor is on: no user name is recorded for Job Lookout");
    }
    profile.SetSection(u"Common");
    if (!Has(profile, u"Caption")) {
        Flag(profile, u"Caption", u"missing: the model counts as a VANTORA model");
    }
}

void Checker::CheckJobSettingLists() {
    ProfileReader& profile = *session_->profileReader;
    for (const std::u16string_view key : tree::kJobSettingKeys) {
        profile.SetSection(u"Common");
        char16_t list[256];
        profile.ReadString256(key, list);
        // A missing list offers no Print and Hold in its storage state, as intended.
        if (std::u16string_view(list) == key) continue;

        std::vector<std::u16string> strangers;
        std::vector<std::u16string> repeated;
        int modes = 0;
        int mentions[ui::kModeCount] = {};
        profile::ForEachListNumber(list, [&](std::int32_t n) {
            if (n < 1 || n > ui::kModeCount) {
                strangers.push_back(Number(n));
            } else {
                if (++mentions[n - 1] == 2) repeated.push_back(Number(n));
                ++modes;
            }
            return true;
        });
        profile::PrintModeEntry entries[profile::kMaxPrintModes];
        if (tree::ParsePrintModes(list, entries) == 0) {
            Flag(profile, key,
                 u"names no print mode from 1 to 6: Print and Hold is not offered in this "
                 u"storage state");
        }
        if (!strangers.empty()) {
            Flag(profile, key,
                 u"the entries read as " + Join(strangers) +
                     u" are no print modes (1 to 6): the mode list leaves them out");
        }
        if (!repeated.empty()) {
            Flag(profile, key,
                 u"repeats " + Join(repeated) + u": the mode list shows a mode once per mention");
        }
        if (modes > static_cast<int>(profile::kMaxPrintModes)) {
            Flag(profile, key,
                 u"lists " + Number(modes) +
                     u" modes: the mode list keeps the first six and leaves out the rest");
        }
        if (Value(profile, key, kMeasureUnits).size() > 255) {
            Flag(profile, key, u"longer than 255 characters: the rest is not read");
        }
    }
}

void Checker::ReportLimits(const ui::PasscodeLimitKeys& keys, ui::PasscodeLimits model,
                           ui::PasscodeLimits fitted, int width, std::u16string_view unit,
                           std::u16string_view field) {
    ProfileReader& profile = *session_->profileReader;
    profile.SetSection(u"Common");
    const std::u16string entry(field);
    if (fitted.max != model.max) {
        Flag(profile, keys.maxKey,
             model.max < 1 ? Number(model.max) + u" is below 1: the longest " + entry + u" is 1"
                           : Number(model.max) + u" is above the " + Number(width) + u" " +
                                 std::u16string(unit) + u" that the " + entry +
                                 u" holds: it takes at most " + Number(fitted.max));
    }
    if (fitted.min != model.min) {
        Flag(profile, keys.minKey,
             model.min < 1 ? Number(model.min) + u" is below 1: the shortest " + entry + u" is 1"
                           : Number(model.min) + u" is above the longest " + entry + u" (" +
                                 Number(fitted.max) + u" " + std::u16string(unit) +
                                 u"): the shortest becomes " + Number(fitted.min));
    }
}

void Checker::CheckPasscodeLimits() {
    ProfileReader* profile = session_->profileReader.get();
    if (shown_.modes[ui::kModeConfidentional] || shown_.modes[ui::kModeStore]) {
        const ui::PasscodeLimits model = ui::ReadPasscodeLimits(profile, ui::kHoldPasscodeKeys);
        const std::int16_t encryption = session_->encryptionMode;
        // As the dialog fits them: to the widest field first (a fault of the limits
        // themselves), then to the field of the mode (a stored job's passcode may be shorter
        // than a confidential job's encrypted one).
        const int widestWidth = ui::PasscodeWidth(ui::kModeConfidentional, encryption);
        const ui::PasscodeLimits widest = ui::FitPasscodeLimits(model, widestWidth);
        ReportLimits(ui::kHoldPasscodeKeys, model, widest, widestWidth, u"digits", u"passcode");
        const int storeWidth = ui::PasscodeWidth(ui::kModeStore, encryption);
        if (shown_.modes[ui::kModeStore] && storeWidth < widestWidth) {
            ReportLimits(ui::kHoldPasscodeKeys, widest, ui::FitPasscodeLimits(widest, storeWidth),
                         storeWidth, u"digits", u"passcode of a stored job");
        }
    }
    if (shown_.accounting) {
        const ui::PasscodeLimits model = ui::ReadPasscodeLimits(profile, ui::kAccountPasswordKeys);
        ReportLimits(ui::kAccountPasswordKeys, model,
                     ui::FitPasscodeLimits(model, ui::kAccountTextLimit), ui::kAccountTextLimit,
                     u"characters", u"Job Accounting password");
    }
}

void Checker::CheckEncryptionKey() {
    if (session_->encryptionMode != 1 || !shown_.modes[ui::kModeConfidentional]) return;
    ProfileReader& profile = *session_->profileReader;
    profile.SetSection(u"FUNCTION");
    const std::u16string key = Value(profile, u"EncryptionKey", kMeasureUnits);
    if (key.empty()) {
        Flag(profile, u"EncryptionKey",
             u"missing while EncryptionMode is 1: confidential jobs carry the word "
             u"\"EncryptionKey\"");
    } else if (key.size() > devmode::kEncryptionKey.units) {
        Flag(profile, u"EncryptionKey",
             u"has " + Number(static_cast<long long>(key.size())) +
                 u" characters: confidential jobs carry the first " +
                 Number(devmode::kEncryptionKey.units));
    }
}

void Checker::CheckSmartCms() {
    ProfileReader& profile = *session_->profileReader;
    profile.SetSection(u"Common");
    for (std::uint32_t n = 1; n <= tree::kSmartCmsFeatureCount; ++n) {
        char16_t key[32];
        text::Format(key, 32, u"GraphicsSmartCMS%d", {static_cast<int>(n)});
        char16_t value[256];
        profile.ReadString256(key, value);
        // Missing, or starting with 0: the feature is not offered and its codes unused.
        if (std::u16string_view(value) == key || value[0] == u'0') continue;
        const tree::SmartCmsCodes codes = tree::ParseSmartCmsCodes(value);
        const std::pair<std::int32_t, std::u16string_view> modes[] = {{codes.colour, u"colour"},
                                                                      {codes.grey, u"grey"}};
        for (const auto& [code, mode] : modes) {
            if (code == 0 || tree::SmartCmsCodeAddressesField(code)) continue;
            Flag(profile, key,
                 u"the " + std::u16string(mode) + u" code " + Number(code) +
                     u" addresses no field of the job settings (word 1 to 5, slot 1 to 8): "
                     u"the feature's state is not recorded in " +
                     std::u16string(mode) + u" mode");
        }
    }
}

void Checker::CheckTrays() {
    if (session_->checkTraysForCustoms == 0) return;
    ProfileReader& profile = *session_->profileReader;
    profile.SetSection(u"TRAYNAME");
    if (!Has(profile, u"TrayIndex")) {
        Flag(profile, u"TrayIndex",
             u"missing while CheckTraysForCustoms is on: no tray has a range");
        return;
    }
    struct Tray {
        std::u16string key;
        std::u16string customsKey;
        bool takesPart;
    };
    std::vector<Tray> trays;
    profile::ForEachTrayKey(profile, [&trays](const profile::TrayKey& tray) {
        trays.push_back(
            {std::u16string(tray.key), std::u16string(tray.customsKey), tray.takesPart});
        return true;
    });
    std::size_t ranged = 0;
    for (const Tray& tray : trays) {
        profile.SetSection(u"TRAYNAME");
        const std::size_t nameLength = Value(profile, tray.key, kMeasureUnits).size();
        if (nameLength > profile::kTrayProfileNameUnits) {
            Flag(profile, tray.key,
                 u"the profile name has " + Number(static_cast<long long>(nameLength)) +
                     u" characters: its first " + Number(profile::kTrayProfileNameUnits) +
                     u" form the Customs key");
        }
        if (!tray.takesPart) continue;
        profile.SetSection(u"Common");
        if (++ranged > profile::kMaxTrays) {
            Flag(profile, tray.customsKey,
                 u"tray " + Quote(tray.key) + u" is tray " +
                     Number(static_cast<long long>(ranged)) + u" with a range: only " +
                     Number(profile::kMaxTrays) + u" are kept, it accepts every size");
            continue;
        }
        const std::u16string customs = Value(profile, tray.customsKey, kMeasureUnits);
        if (customs.size() > profile::kCustomsUnits) {
            Flag(profile, tray.customsKey,
                 u"longer than " + Number(profile::kCustomsUnits) +
                     u" characters: the rest is not read");
        }
        const profile::TrayLimits range =
            profile::ParseTrayRange(std::u16string_view(customs).substr(0, profile::kCustomsUnits));
        if (range.minWidth == 0 && range.maxWidth == 0 && range.minHeight == 0 &&
            range.maxHeight == 0) {
            Flag(profile, tray.customsKey,
                 Quote(customs) +
                     u" is not four numbers from 1 to 42949672: the tray accepts every size");
        }
    }
}

void Checker::CheckPages() {
    ProfileReader& profile = *session_->profileReader;
    std::vector<std::u16string> missing;
    std::vector<std::u16string> troubleKeys;
    const std::int32_t count =
        ui::ForEachPageEntry(profile, [&](std::u16string_view key, std::int32_t kind) {
            if (!Has(profile, key)) missing.emplace_back(key);
            if (kind == ui::kTroublePageKind) troubleKeys.emplace_back(key);
        });
    profile.SetSection(u"TABNUMBER");
    if (!missing.empty()) {
        Flag(profile, u"TabNumber",
             Number(count) + u" entries, but " + Join(missing) +
                 (missing.size() == 1 ? u" is" : u" are") + u" missing: no page for them");
    }
    if (count > ui::kMaxPageEntries) {
        Flag(profile, u"TabNumber",
             Number(count) + u" entries: only the first " + Number(ui::kMaxPageEntries) +
                 u" are read");
    }
    if (!troubleKeys.empty() && session_->brand != profile::kBrandTalen) {
        Flag(profile, troubleKeys.front(),
             u"kind 12 adds the Troubleshooting page to TALEN models only: the caption names "
             u"another brand, so no page is added");
    }
    if (troubleKeys.size() > 1 && session_->brand == profile::kBrandTalen) {
        Flag(profile, troubleKeys[1],
             u"kind 12 again: the Troubleshooting page is added " +
                 Number(static_cast<long long>(troubleKeys.size())) + u" times");
    }
}

void Checker::CheckDiagnosticPages() {
    if (!shown_.troublePage) return;
    ProfileReader& profile = *session_->profileReader;
    profile.SetSection(u"Common");
    const std::u16string list = Value(profile, u"TestPages", ui::kPageTextUnits);
    if (list.empty()) {
        Flag(profile, u"TestPages", u"missing: the Troubleshooting page lists no diagnostic page");
        return;
    }
    if (Value(profile, u"TestPages", kMeasureUnits).size() >= ui::kPageTextUnits) {
        Flag(profile, u"TestPages",
             u"longer than " + Number(ui::kPageTextUnits - 1) +
                 u" characters: the rest is not read");
    }
    diagnosticPages_ = ui::DiagnosticPageNumbers(list);
    // Each entry read on its own as the list reads it, to name those that name no page.
    std::vector<std::u16string> strangers;
    std::u16string_view rest(list);
    while (true) {
        const std::size_t comma = rest.find(u',');
        const std::u16string_view entry = rest.substr(0, comma);
        if (ui::DiagnosticPageNumbers(entry).empty()) strangers.push_back(Quote(entry));
        if (comma == std::u16string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (!strangers.empty()) {
        Flag(profile, u"TestPages",
             u"the entries " + Join(strangers) + u" name no page of the table (1 to " +
                 Number(ui::kDiagnosticPageCount) + u"): the list leaves them out");
    }
    // The checker's driver has a printer description, as every model's has.
    constexpr std::size_t kPrintable = 10;
    if (session_->isPpdDriver != 0 && diagnosticPages_.size() > kPrintable) {
        Flag(profile, u"TestPages",
             u"lists " + Number(static_cast<long long>(diagnosticPages_.size())) +
                 u" pages: with a printer description only the first " + Number(kPrintable) +
                 u" can be printed");
    }
}

void Checker::CheckLanguages() {
    ProfileReader& version = *session_->versionReader;
    version.SetSection(u"Version");
    if (!Readable(version.path())) {
        Add(report_.findings, version.path(), u"Version", u"LanguageDependent",
            u"the version file cannot be read: one text file serves every language and the "
            u"About details show key names");
    }
    if (version.ReadInt(u"LanguageDependent", 0) != 1) {
        const ProfileReader& texts = *session_->textReader;
        if (Readable(texts.path())) {
            CheckTexts(*session_);
        } else {
            ProfileReader& profile = *session_->profileReader;
            profile.SetSection(u"OEMFiles");
            Flag(profile, u"OEMPrefix",
                 u"the language text file " + std::u16string(ModelFileName(texts.path())) +
                     u" cannot be read: every dialog shows its key names");
        }
        return;
    }
    std::vector<std::u16string> missing;
    for (const std::u16string& code : AllLanguageCodes()) {
        std::unique_ptr<UiSession> session = Session(code);
        const std::u16string path(session->textReader->path());
        if (Readable(path)) {
            CheckTexts(*session);
        } else if (code == u"EN") {
            Add(report_.findings, version.path(), u"Version", u"LanguageDependent",
                u"no text file " + std::u16string(ModelFileName(path)) +
                    u" for the language code EN, which English users and those of every "
                    u"language without a code get: they see key names");
        } else {
            missing.push_back(code);
        }
    }
    if (!missing.empty()) {
        Add(report_.notes, version.path(), u"Version", u"LanguageDependent",
            u"no text file for the language codes " + Join(missing) +
                u": users with these codes see key names");
    }
}

void Checker::CheckPicture(std::u16string_view path, std::u16string_view what,
                           std::u16string_view effect) {
    ProfileReader& profile = *session_->profileReader;
    profile.SetSection(u"OEMFiles");
    const std::optional<std::string> bytes =
        path.empty() ? std::nullopt : files_.Read(std::u16string(path));
    const std::u16string name =
        std::u16string(what) + u" " +
        (path.empty() ? u"(its path is too long)" : std::u16string(ModelFileName(path)));
    if (!bytes) {
        Flag(profile, u"OEMPrefix", name + u" is missing: " + std::u16string(effect));
    } else if (bytes->size() < 2 || bytes->compare(0, 2, "BM") != 0) {
        Flag(profile, u"OEMPrefix", name + u" is no Windows bitmap: " + std::u16string(effect));
    }
}

void Checker::CheckPictures() {
    if (!shown_.troublePage) return;
    CheckPicture(ui::LogoPicturePath(*session_), u"the logo",
                 u"the Troubleshooting page shows no logo");
    CheckPicture(ui::AboutPicturePath(*session_), u"the About picture",
                 u"the About dialog shows no picture");
}

void Checker::CheckText(ProfileReader& texts, std::u16string_view key, std::u16string message) {
    if (!Has(texts, key)) Flag(texts, key, std::move(message));
}

void Checker::CheckPasscodeFormat(ProfileReader& texts, std::u16string_view key) {
    const std::u16string value = Value(texts, key);
    const std::vector<std::u16string> unfilled =
        ui::UnfilledIntegerConversions(value, kPasscodeFormatIntegers);
    if (unfilled.empty()) return;
    Flag(texts, key,
         u"shows " + Join(unfilled) +
             u" as written: the text is filled with the least and the most length through "
             u"%d, and %% writes a percent sign");
}

void Checker::CheckDialog(ProfileReader& texts, std::u16string_view name) {
    const std::u16string section(name);
    texts.SetDialogSection(section.c_str());
    CheckText(texts, u"Caption", u"missing: the title shows \"Caption\"");
    const DialogTexts* dialog = FindDialogTexts(name);
    if (dialog == nullptr) return;
    for (const TemplateText& t : dialog->texts) {
        texts.SetDialogSection(section.c_str());
        const std::u16string missing =
            u"missing: the control shows its template text " + Quote(t.text);
        switch (t.use) {
            case TextUse::kAlways:
                CheckText(texts, t.text, missing);
                break;
            case TextUse::kFixedLengthHint:
                break;
            case TextUse::kLookoutGroup:
                if (shown_.lookout) CheckText(texts, t.text, missing);
                break;
            case TextUse::kWebLink:
                // "URL_<n>" names the link whose address is "Ref_URL_<n>".
                if (Has(texts, u"Ref_" + std::u16string(t.text))) CheckText(texts, t.text, missing);
                break;
            case TextUse::kCustomPaperHelp:
                texts.SetDialogSection(u"Custom Paper");
                CheckText(texts, t.text, missing);
                break;
        }
    }
    texts.SetDialogSection(section.c_str());
}

void Checker::CheckTexts(UiSession& session) {
    ProfileReader& texts = *session.textReader;
    const bool passcodes = shown_.modes[ui::kModeConfidentional] || shown_.modes[ui::kModeStore];
    if (shown_.hold) {
        CheckDialog(texts, u"Hold");
        for (std::int16_t mode = 0; mode < ui::kModeCount; ++mode) {
            if (!shown_.modes[mode]) continue;
            const char16_t* label = ui::kPrintModeNames[mode];
            if (mode == ui::kModeConfidentional && session.encryptionMode == 1) {
                label = u"Confidentional1";
            }
            CheckText(texts, label,
                      u"missing: the mode list shows " + Quote(std::u16string_view(label)));
        }
        for (const char16_t* key : {u"(0)", u"(0-9)", u"(0) tooltip", u"(0-9) tooltip"}) {
            CheckPasscodeFormat(texts, key);
        }
        if (passcodes) {
            CheckText(texts, u"Invalid Passcode",
                      u"missing: the title of a refused passcode's message shows its key name");
            CheckText(texts, u"InvalidPasscodeMsg",
                      u"missing: a refused passcode is reported with the key name");
            CheckPasscodeFormat(texts, u"InvalidPasscodeMsg");
            CheckPasscodeFormat(texts, u"InvalidPasscode2Msg");
        }
    }
    if (shown_.copies) {
        CheckDialog(texts, u"Copies");
        texts.SetDialogSection(u"Paper");
        CheckText(texts, u"Warning", u"missing: the copies warning's title shows its key name");
        CheckText(texts, u"CopiesChangedMsg", u"missing: the copies warning shows its key name");
    }
    if (shown_.accounting) {
        CheckDialog(texts, u"Job Accounting");
        CheckText(texts, u"Invalid Passcode",
                  u"missing: the title of a refused password's message shows its key name");
        CheckText(texts, u"InvalidPasscodeMsg",
                  u"missing: a refused password is reported with the key name");
        CheckPasscodeFormat(texts, u"InvalidPasscodeMsg");
        CheckPasscodeFormat(texts, u"InvalidPasscode2Msg");
    }
    if (shown_.troublePage) {
        CheckDialog(texts, u"Troubleshooting");
        CheckTroubleTexts(texts);
        if (shown_.lookout) CheckDialog(texts, u"Lookout");
        CheckDialog(texts, u"About");
        CheckAboutDetails(session);
    }
    if (session.checkTraysForCustoms != 0) CheckTrayNames(texts);
}

void Checker::CheckTroubleTexts(ProfileReader& texts) {
    texts.SetDialogSection(u"Troubleshooting");
    // Print looks a page's command up by the text the list shows, the last page with that
    // text winning: two pages that show one text print the same page.
    std::map<std::u16string, std::vector<std::u16string_view>> pagesByText;
    for (const int number : diagnosticPages_) {
        const std::u16string_view key = ui::kDiagnosticPages[number - 1].key;
        std::u16string shown = Value(texts, key, ui::kPageTextUnits);
        if (shown.empty()) {
            Flag(texts, key, u"missing: the diagnostic page list shows its key " + Quote(key));
            shown = key;
        }
        std::vector<std::u16string_view>& keys = pagesByText[shown];
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    }
    for (const auto& [shown, keys] : pagesByText) {
        for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
            Flag(texts, keys[i],
                 u"shows " + Quote(shown) + u" as " + std::u16string(keys.back()) +
                     u" does: printing it prints " + std::u16string(keys.back()));
        }
    }
    // Only "http://%s" is filled with the printer's address; any other "%s" is opened as
    // written.
    for (int n = 1; n <= 6; ++n) {
        const std::u16string key = u"Ref_URL_" + Number(n);
        const std::u16string value = Value(texts, key, kMeasureUnits);
        if (value.empty()) continue;
        if (value.size() >= ui::kPageTextUnits) {
            Flag(texts, key,
                 u"longer than " + Number(ui::kPageTextUnits - 1) +
                     u" characters: the address is cut");
        }
        if (ui::WebLinkAddress(value, u"192.0.2.1").find(u"%s") != std::u16string::npos) {
            Flag(texts, key,
                 Quote(value) +
                     u" keeps a \"%s\" as written: only the one after "
                     u"\"http://\" is replaced by the printer's address");
        }
    }
}

void Checker::CheckAboutDetails(UiSession& session) {
    ProfileReader& texts = *session.textReader;
    ProfileReader& version = *session.versionReader;
    const bool talen = session.brand == profile::kBrandTalen;
    constexpr int kLines = 10;
    constexpr std::size_t kMostUnits = 259;  // of all lines, each with its line break
    std::size_t total = 0;
    for (int n = 1; n <= kLines; ++n) {
        texts.SetDialogSection(u"About");
        version.SetSection(u"Version");
        const std::u16string key = u"M_Info" + Number(n);
        const std::u16string line = ui::AboutDetailsLine(texts, version, talen, n);
        if (line.empty() && Has(texts, key)) {
            Flag(texts, key,
                 u"stays empty: the line needs a placeholder ($DESCRIPTION, %s, $MAINVERSION, "
                 u"$DRIVERNAME, $COMPANY, $DRIVERCOPYRIGHT, $COMMENT) whose version key exists");
        }
        const std::size_t before = total;
        total += line.size() + 2;
        if (before <= kMostUnits && total > kMostUnits) {
            Flag(texts, key,
                 u"the details reach " + Number(static_cast<long long>(total)) +
                     u" characters with this line: they are cut at " + Number(kMostUnits));
        }
    }
}

void Checker::CheckTrayNames(ProfileReader& texts) {
    std::vector<std::u16string> keys;
    profile::ForEachTrayKey(*session_->profileReader, [&keys](const profile::TrayKey& tray) {
        if (tray.takesPart && keys.size() < profile::kMaxTrays) keys.emplace_back(tray.key);
        return true;
    });
    texts.SetSection(u"TRAYNAME");
    for (const std::u16string& key : keys) {
        const std::size_t length = Value(texts, key, kMeasureUnits).size();
        if (length == 0) {
            Flag(texts, key,
                 u"missing: the tray's name is its key " + Quote(key) +
                     u", which must be the paper source's name in the printer description");
        } else if (length > profile::kTrayNameUnits - 1) {
            Flag(texts, key,
                 u"has " + Number(static_cast<long long>(length)) +
                     u" characters: the name is cut to " + Number(profile::kTrayNameUnits - 1) +
                     u" and no longer matches the paper source");
        }
    }
}

}  // namespace

Report CheckModel(profile::FileSource& folder, std::u16string_view profileName) {
    Report report;
    Checker(folder, profileName, report).Run();
    return report;
}

Report CheckModelFile(const std::filesystem::path& profilePath) {
    std::filesystem::path folder = profilePath.parent_path();
    if (folder.empty()) folder = ".";
    FolderFiles files(folder);
    std::u16string name;
    try {
        name = profilePath.filename().u16string();
    } catch (const std::exception&) {
        Report report;
        report.profile = u"?";
        report.unreadable = u"its name is no text";
        return report;
    }
    return CheckModel(files, name);
}

}  // namespace modelcheck
