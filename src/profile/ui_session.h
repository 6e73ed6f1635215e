// The working context of one host call or one property sheet.
#pragma once

#include <cstdint>

#include "platform/ports.h"
#include "plugin/host_interface.h"
#include "profile/feature_switches.h"
#include "profile/profile_reader.h"

namespace profile {

inline constexpr std::size_t kJobAccountUnits = 33;
inline constexpr std::size_t kHelpFileUnits = 256;
inline constexpr std::size_t kDialogNameUnits = 256;
inline constexpr std::size_t kHelpTopicUnits = 50;
inline constexpr std::size_t kMaxHelpTopics = 200;
inline constexpr std::size_t kMaxPrintModes = 6;
inline constexpr std::size_t kMaxResolutions = 10;

// One filed context-help topic: a control id and its topic.
struct HelpTopic {
    std::int32_t controlId;
    char16_t topic[kHelpTopicUnits];
};

// One print mode offered by the Print and Hold dialog, with its place in the list.
struct PrintModeEntry {
    std::int16_t mode;
    std::int16_t position;
};

// What initialisation needs from the host's parameter block: the printer, its name and
// the host's plug-in heap. Property sheets take it from OEMUIPSPARAM, settings trees from
// OEMCUIPPARAM.
struct HostBlock {
    host::HANDLE printer = nullptr;
    const char16_t* printerName = nullptr;
    host::HANDLE heap = nullptr;
};

// A session is all-zero when new; the host's heap hands out zero-filled blocks, so a
// session placed there needs nothing else before its creator fills it in.
struct UiSession {
    host::HANDLE propSheetHandle;
    const void* hostParams;  // OEMUIPSPARAM of a property sheet, null for a tree session
    HostBlock hostBlock;
    host::PFNCOMPROPSHEET propSheetCallback;
    host::HANDLE troublePage;
    std::int16_t minPasscodeLength;
    std::int16_t maxPasscodeLength;
    host::IPrintOemDriverUI* driverHelper;
    host::HANDLE printerHandle;
    void* dialogWindow;  // the open plug-in dialog or page
    std::int32_t dialogTemplateId;
    char16_t dialogName[kDialogNameUnits];
    std::int32_t colorDevice;
    std::int16_t previousCopies;
    std::int16_t currentCopies;
    std::int32_t printerHdd;
    std::int32_t copiesSetting;
    std::int32_t installedHdd;
    std::int32_t grayscaleCopies;
    std::int32_t colorCopies;
    std::int32_t settingsChanged;
    char16_t driverDir[kNameUnits];
    char16_t filePrefix[kNameUnits];
    ProfileReader* textReader;
    ProfileReader* profileReader;
    ProfileReader* versionReader;
    ProfileReader* troubleReader;
    void* tooltipWindow;
    std::int32_t isPpdDriver;
    std::int32_t autoConfigDone;
    char16_t helpFile[kHelpFileUnits];
    void* helpWindow;  // the window of the last help topic opened
    std::int32_t helpTopicCount;
    HelpTopic helpTopics[kMaxHelpTopics];
    std::int32_t noPermission;
    FeatureSwitches switches;
    char16_t switchSignature[kSignatureUnits];
    std::int16_t brand;
    std::int32_t resolutionList[kMaxResolutions];
    std::int32_t resolutionCount;
    std::int32_t grayscaleEnh;
    std::int16_t encryptionMode;
    char16_t jobAccountId[kJobAccountUnits];
    char16_t jobAccountPassword[kJobAccountUnits];
    std::int32_t jobAccounting;
    std::int32_t useSmartCms;
    std::int32_t printModeCount;
    std::int16_t koreanSupport;
    std::int32_t storageState;
    PrintModeEntry printModeList[kMaxPrintModes];
    std::int32_t checkTraysForCustoms;
    std::int32_t resolution300Index;
    std::int32_t quality300Index;
    std::uint32_t sessionLink;  // key of this session in the live-session table, or 0
};

inline constexpr std::int16_t kBrandVantora = 0;
inline constexpr std::int16_t kBrandTalen = 1;
inline constexpr std::int16_t kBrandOrin = 2;

// Constructs the four readers (text, version, profile, trouble); false when one could not
// be allocated (those are left null and read nothing).
bool CreateReaders(const platform::Platform& platform, UiSession& session);
void ReleaseReaders(UiSession& session);

// Fills the session from the driver's model files, the printer data and the per-user
// language code. Needs hostBlock, printerHandle and the readers.
void InitializeSession(const platform::Platform& platform, UiSession& session);

// Builds a settings tree's working session: host block from the tree's parameters,
// readers, initialisation. Returns FUNCTION/AutoConfiguration of the model profile.
std::int32_t CreateTreeSession(const platform::Platform& platform, const host::OEMCUIPPARAM& param,
                               UiSession& session);

// Brand from the profile's caption: VANTORA before TALEN before ORIN, else VANTORA.
std::int16_t BrandFromCaption(std::u16string_view caption);

// The two-letter language code of a language identifier.
const char16_t* LanguageCode(std::uint16_t langId);

// The per-user language code of a printer, stored under "Software\Corvel\<printer>"
// as DrvCntCode; created from the user's language when missing or unusable.
void PrinterLanguageCode(const platform::Platform& platform, const char16_t* printerName,
                         char16_t (&code)[kNameUnits]);

}  // namespace profile
