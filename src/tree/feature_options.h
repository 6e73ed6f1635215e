// The toolkit through which the settings trees, their callbacks and auto-configuration reach
// the host driver's own feature items: finding an item by feature keyword or public id,
// changing a selection with notification, hiding, disabling and enabling items, asking the
// host for an installed option, the installable-option table, and the values derived from
// installed options and model-profile lists (job-storage state, offered print modes,
// resolution list, SmartCMS code block).
//
// Host items are the host's memory and are trusted only as far as they can be checked: null
// item arrays, user data, keywords and driver interfaces are tolerated everywhere. An item
// array is assumed to hold as many items as its count says; nothing here can check that.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/ports.h"
#include "plugin/host_interface.h"
#include "plugin/process_state.h"
#include "profile/ui_session.h"

namespace tree {

// ---------------------------------------------------------------------------------------------
// Host items.

// The feature keyword of a host item (USERDATA::pKeyWordName), or null when the item has no
// user data or its user data no keyword.
const char* ItemKeyword(const host::OPTITEM& item);

// True when the item's keyword is exactly `keyword` (byte by byte, case-sensitive). At most
// keyword.size() + 1 bytes of the item's keyword are read, so a keyword without terminator
// is never overrun beyond that.
bool ItemKeywordIs(const host::OPTITEM& item, std::string_view keyword);

// The item's keyword, read up to its terminator but never beyond kMaxKeywordBytes; empty
// without one.
inline constexpr std::size_t kMaxKeywordBytes = 256;
std::string_view ItemKeywordText(const host::OPTITEM& item);

// With a keyword: the first item, in array order, whose keyword equals it exactly; items
// without keyword are skipped. With a null keyword: the first item whose DMPubID equals
// publicId. None for a null array or a count of 0.
host::OPTITEM* FindDriverItem(host::OPTITEM* items, std::uint32_t count, const char* keyword,
                              std::uint8_t publicId = 0);

// Sets the item's selection and OPTIF_CHANGED, then tells the host with DrvUpdateUISetting
// (UI object, item, previous selection 0, mode); its result is not looked at. The host is not
// called when the driver interface or the UI object is missing. mode is
// host::kOemCuipDocProp for the document tree, host::kOemCuipPrnProp for the printer tree.
void SelectDriverItem(host::IPrintOemDriverUI* driver, host::OEMUIOBJ* uiObject,
                      host::OPTITEM* item, std::int32_t selection, host::DWORD mode);

// The host UI object for notifications made on behalf of a session: the poemuiobj of the
// sheet's OEMUIPSPARAM when the session belongs to a property sheet (hostParams set), else
// the poemuiobj of the current call's parameter block (tree sessions keep no block).
host::OEMUIOBJ* SessionUiObject(const profile::UiSession& session, const host::OEMCUIPPARAM& param);

// FindDriverItem over param's host items (pDrvOptItems/cDrvOptItems); when found,
// SelectDriverItem with the session's driverHelper and SessionUiObject(session, param).
// Nothing happens when the item is missing. `param` is the parameter block of the tree call
// or callback in progress.
void SelectDriverItemByName(const host::OEMCUIPPARAM& param, const profile::UiSession& session,
                            const char* keyword, std::int32_t selection, host::DWORD mode,
                            std::uint8_t publicId = 0);

// Flag changes made directly on the item, without telling the host. Each sets OPTIF_CHANGED
// and ignores a null item.
void HideItem(host::OPTITEM* item);                   // sets OPTIF_HIDE
void DisableAndResetItem(host::OPTITEM* item);        // sets OPTIF_DISABLED, selection 0
void EnableItem(host::OPTITEM* item);                 // clears OPTIF_DISABLED
void SetItemAvailable(host::OPTITEM* item, bool on);  // EnableItem or DisableAndResetItem

// The selection of the host item "StapleLocation", or 0 when there is none.
std::int32_t SelectedStapleLocation(const host::OEMCUIPPARAM& param);

// ---------------------------------------------------------------------------------------------
// Installable options.

// One row of the installable-option table: the host feature keyword and the hardware unit it
// stands for (null for none). The value column is process-wide and lives in
// plugin::ProcessState::installableOptionValues.
struct InstallableOption {
    const char* keyword;
    const char* unit;
};

inline constexpr std::array<InstallableOption, plugin::kInstallableOptionRows>
    kInstallableOptionMap{{
        {"Option1", "Tray2"},
        {"Option2", nullptr},
        {"Option4", "Option4"},
        {"Option5", "Tray3"},
        {"Option6", "Tray4"},
        {"Finisher", "Finisher"},
        {"InstalledMemory", "InstalledMemory"},
        {"OptTray2", "OptTray2"},
        {"DuplexUnit", "DuplexUnit"},
        {"PrinterHardDisk", "PrinterHardDisk"},
        {"OptTray3", "OptTray3"},
        {"OptTray4", "OptTray4"},
        {"OptOutputBin", "OptOutputBin"},
    }};

// Rows with a fixed meaning. A unit with two keywords is looked up by its first row, then
// by the alternative.
inline constexpr std::size_t kRowDuplexUnit = 1;
inline constexpr std::size_t kRowHardDisk = 2;
inline constexpr std::size_t kRowInstalledMemory = 6;
inline constexpr std::size_t kRowDuplexUnitAlt = 8;
inline constexpr std::size_t kRowHardDiskAlt = 9;
inline constexpr std::size_t kRowOutputBin = 12;
// Only auto-configuration uses the output-bin row; every other lookup ends before it.
inline constexpr std::size_t kInstallableOptionRowsWithoutOutputBin = 12;

// The row of a keyword among the first `rows` rows, or none.
std::optional<std::size_t> FindInstallableOption(std::string_view keyword,
                                                 std::size_t rows = plugin::kInstallableOptionRows);

// The value column. Reads of a row outside the table give 0; writes to it are ignored.
std::int32_t InstallableOptionValue(const plugin::ProcessState& state, std::size_t row);
void SetInstallableOptionValue(plugin::ProcessState& state, std::size_t row, std::int32_t value);
// Writes the value into the row of the keyword; false when the table has no such keyword.
bool SetInstallableOptionValue(plugin::ProcessState& state, std::string_view keyword,
                               std::int32_t value);

// 1 when the host reports its hard-disk option (keyword of row 2, else of row 9, asked with
// DrvGetDriverSetting into a 10-byte buffer) as exactly "True"; 0 otherwise, also when
// neither query succeeds or the driver interface or the UI object is missing.
std::int32_t IsHardDiskInstalled(host::OEMUIOBJ* uiObject, host::IPrintOemDriverUI* driver);

// ---------------------------------------------------------------------------------------------
// Job storage and print modes.

// The model-profile key (section Common) that lists the print modes of each storage state.
inline constexpr std::array<std::u16string_view, 4> kJobSettingKeys{
    u"JobSettingMemoryOff", u"JobSettingHDDOn", u"JobSettingHDDOff", u"JobSettingMemoryOn"};

// Sets session.storageState (0 to 3) from the printer data "CURRENT_MEMORY" (created from the
// profile's DEFAULTDEVMODE/PrinterMemorySize when missing), the session's installedHdd and
// printerHdd, the host's hard-disk option and the record's PrinterMemory and CriticalMemory.
// `oemDevmode` is the private record of the call (kSize bytes, any alignment); without one,
// the profile's Common/PrinterMemory and CriticalMemorySize (what a new record carries)
// stand in. Leaves the profile reader in section DEFAULTDEVMODE. Does nothing when the
// session was built from no host block at all (no hostParams and no printer handle).
void ComputeStorageState(const platform::Platform& platform, host::OEMUIOBJ* uiObject,
                         const void* oemDevmode, profile::UiSession& session);

// The print modes a job-setting list offers, read with profile::ForEachListNumber: each
// number n from 1 to 6 is mode n - 1, in list order; other numbers are skipped; once
// profile::kMaxPrintModes entries are filled, further numbers are ignored. Returns the count.
std::int32_t ParsePrintModes(std::u16string_view list,
                             profile::PrintModeEntry (&entries)[profile::kMaxPrintModes]);

// 1 when the key of the session's storage state offers at least one print mode, else 0:
// the Print and Hold button is offered exactly when its list would not be empty. An absent
// or empty key (which reads back as its own name) offers none.
std::int32_t HoldModesOffered(profile::UiSession& session);

// The print modes a job-setting list offers: each number n from 1 to 6 (read as
// profile::ForEachListNumber reads the list) becomes mode n - 1 with its position, in list
// order; other numbers are skipped. At most profile::kMaxPrintModes entries are filled, the
// rest zeroed; returns how many were filled.
std::int32_t ParsePrintModes(std::u16string_view list,
                             profile::PrintModeEntry (&entries)[profile::kMaxPrintModes]);

// Fills printModeList/printModeCount from the key of the session's storage state, read as
// profile::ForEachListNumber reads job-setting lists: each number 1 to 6 becomes print mode
// n - 1, in the order listed. Once the list holds profile::kMaxPrintModes entries, further
// numbers are ignored.
void BuildPrintModeList(profile::UiSession& session);

// Fills resolutionList/resolutionCount from the Common masks Graphics1200Res,
// Graphics600Res and Graphics300Res. Once the list holds profile::kMaxResolutions entries,
// further values are ignored.
void BuildResolutionList(profile::UiSession& session);

// ---------------------------------------------------------------------------------------------
// SmartCMS.

// The profile describes the SmartCMS features GraphicsSmartCMS1 to GraphicsSmartCMS<this>.
inline constexpr std::uint32_t kSmartCmsFeatureCount = 40;

// True when a SmartCMS code addresses a 2-bit field of the record's SmartCmsBits: word
// code / 10 from 1 to 5, slot code % 10 from 1 to 8.
bool SmartCmsCodeAddressesField(std::int32_t code);

// The colour code (the integer after the first comma) and grey code (after the first colon)
// of a profile value "GraphicsSmartCMS<n>"; 0 when the separator is missing.
struct SmartCmsCodes {
    std::int32_t colour;
    std::int32_t grey;
};
SmartCmsCodes ParseSmartCmsCodes(std::u16string_view value);

// Writes one feature's state (1 when selection is not 0) into the 2-bit fields of the
// record's SmartCmsBits addressed by the value's colour code, then its grey code. A code
// addresses word code / 10 (1 to 5) and slot code % 10 (1 to 8); any other code, zero and
// negative ones included, writes nothing. `oemDevmode` is the private record (may be null).
void ApplySmartCmsCodes(void* oemDevmode, std::u16string_view value, std::int32_t selection);

// Enables or disables-and-resets a SmartCMS item for the colour mode: a feature without a
// colour code is off in colour mode, one without a grey code is off in grey mode; one with
// neither ends up enabled in colour and off in grey; one with both is left alone.
void ApplySmartCmsAvailability(bool colour, host::OPTITEM* item, std::u16string_view value);

}  // namespace tree
