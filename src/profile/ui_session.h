// The working context of one host call or one property sheet.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ports.h"
#include "platform/unique_any.h"
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
inline constexpr std::size_t kPrintAtUnits = 128;
inline constexpr std::size_t kMaxTrays = 15;
inline constexpr std::size_t kTrayNameUnits = 32;
inline constexpr std::size_t kAddressUnits = 260;

// One tray with a custom paper range: its position among the paper-source options (-1 for
// an empty entry) and its display name (the caption of its form-to-tray item).
struct TrayEntry {
    std::int32_t index;
    char16_t name[kTrayNameUnits];
};

// Minimum width, maximum width, minimum height, maximum height, in thousandths of a
// millimetre; all four 0 accepts every size.
struct TrayLimits {
    std::uint32_t minWidth;
    std::uint32_t maxWidth;
    std::uint32_t minHeight;
    std::uint32_t maxHeight;
};

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

// The working context of one host call or one property sheet. A new session is all-zero
// (value-initialised); it owns its four profile readers.
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
    std::unique_ptr<ProfileReader> textReader;
    std::unique_ptr<ProfileReader> profileReader;
    std::unique_ptr<ProfileReader> versionReader;
    std::unique_ptr<ProfileReader> troubleReader;
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
    // Print and Hold working state: the mode and store flag of the open dialog, and the
    // delayed-print time kept from one opening of the dialog to the next.
    std::int16_t printMode;
    std::int16_t storeFlag;
    char16_t printAtText[kPrintAtUnits];
    // Job Accounting: what the dialog shows (the pending values are jobAccountId and
    // jobAccountPassword); emptied after each apply.
    char16_t jobAccountIdShown[kJobAccountUnits];
    char16_t jobAccountPasswordShown[kJobAccountUnits];
    // The trays with custom paper ranges (built when checkTraysForCustoms is on).
    std::int32_t trayCount;
    TrayEntry trayList[kMaxTrays];
    TrayLimits trayLimits[kMaxTrays];
    // The printer's network address, for the Troubleshooting page's links.
    char16_t printerAddress[kAddressUnits];
};

// The sheet's parameter block, when the session belongs to a property sheet; null for a
// tree session.
inline host::OEMUIPSPARAM* SheetParams(const UiSession& session) {
    return static_cast<host::OEMUIPSPARAM*>(const_cast<void*>(session.hostParams));
}

// Owns a session placed on a host heap (the host's plug-in heap, or the process heap for a
// null handle): the session is built in a zero-filled block and, when the owner lets go of
// it, ended (its readers released) and the block freed. Sheets hand their session to the
// host's structures with release() and take it back at the end with Adopt().
struct SessionBlock {
    platform::Heap* port = nullptr;
    void* heap = nullptr;
    UiSession* session = nullptr;
    friend constexpr bool operator==(const SessionBlock&, const SessionBlock&) = default;
};
void EndSession(SessionBlock block);

class HostSession {
  public:
    HostSession() = default;
    // A new session with its readers; empty when the block cannot be had.
    HostSession(const platform::Platform& platform, void* heap);
    static HostSession Adopt(platform::Heap* heapPort, void* heap, UiSession* session);

    UiSession* get() const { return owner_.get().session; }
    UiSession* operator->() const { return get(); }
    UiSession& operator*() const { return *get(); }
    explicit operator bool() const { return get() != nullptr; }
    UiSession* release() { return owner_.release().session; }

  private:
    platform::UniqueAny<SessionBlock, &EndSession> owner_;
};

inline constexpr std::int16_t kBrandVantora = 0;
inline constexpr std::int16_t kBrandTalen = 1;
inline constexpr std::int16_t kBrandOrin = 2;

// Constructs the four readers (text, version, profile, trouble); false when one could not
// be allocated (those are left null and read nothing).
bool CreateReaders(const platform::Platform& platform, UiSession& session);

// A printer-data text value ("JOBACCOUNT_ID", "JOBACCOUNT_PW") read into a buffer of 66
// bytes: taken up to its terminator or its byte count, whichever comes first, and cut to the
// field. A missing value, one that is no REG_SZ, or one longer than the 66 bytes leaves the
// field empty.
void ReadPrinterDataText(const platform::Platform& platform, host::HANDLE printer,
                         std::u16string_view name, char16_t (&field)[kJobAccountUnits]);

// Fills the session from the driver's model files, the printer data and the per-user
// language code; last, when checkTraysForCustoms is on, the tray table (BuildTrayTable of
// profile/tray_table.h). Needs hostBlock, printerHandle and the readers. The profile reader
// is left in section FUNCTION.
void InitializeSession(const platform::Platform& platform, UiSession& session);

// Builds a settings tree's working session (made with its readers by HostSession): host
// block from the tree's parameters, initialisation. Returns FUNCTION/AutoConfiguration of the model
// profile.
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
