#include "autoconfig/auto_configuration.h"

#include <cstring>
#include <string>

#include "platform/unique_any.h"
#include "profile/bounded_text.h"
#include "profile/driver_info.h"
#include "tree/feature_options.h"
#include "tree/printer_tree.h"

namespace autoconfig {
namespace {

constexpr std::size_t kModulePathUnits = 259;
constexpr std::size_t kPortNameBytes = 255;
constexpr std::uintptr_t kPostScriptMemoryName = 400;  // the host's text number 400

// SNMP_AutoUpdate(portName, block, flag, reserved): the result's low 16 bits are 0 on
// failure. The module's own calling convention on 32-bit Windows is stdcall.
using SnmpAutoUpdate = std::uint32_t(HOST_CALL*)(const char* portName, unsigned char* block,
                                                 std::int32_t* flag, std::uintptr_t reserved);

struct BitField {
    std::uint32_t bit;
    std::size_t offset;
};

// The fields each request bit clears (asks for), in the order the bits are tested.
constexpr BitField kRequests[] = {
    {0x001, kTrayCodeOffset},  {0x002, kHardDiskOffset}, {0x004, kDuplexOffset},
    {0x008, kOffset12},        {0x020, kFinisherOffset}, {0x100, kMemoryOffset},
    {0x200, kOutputBinOffset},
};

std::int16_t Field(const unsigned char* block, std::size_t offset) {
    std::int16_t value = 0;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}

class Run {
  public:
    Run(plugin::ProcessState& state, host::OEMCUIPPARAM& param, profile::UiSession& session,
        Report* report)
        : state_(state), ports_(state.ports()), param_(param), session_(session), report_(report) {}

    // Selects `selection` on the first host item of `keyword` when it shows another one; the
    // item, when it exists.
    host::OPTITEM* Apply(const char* keyword, std::int32_t selection, bool* changed = nullptr) {
        host::OPTITEM* item =
            tree::FindDriverItem(param_.pDrvOptItems, param_.cDrvOptItems, keyword);
        if (changed != nullptr) *changed = false;
        if (item == nullptr) return nullptr;
        // The host shows the option at Sel of the item's list: a number the printer reports
        // beyond that list (more bins or trays than the model offers) would point past its
        // end, so such a fact leaves the item as the user has it.
        if (item->pOptType == nullptr || selection < 0 || selection >= item->pOptType->Count) {
            Note(std::string(keyword) + " keeps its selection: " + std::to_string(selection) +
                 " is not one of its options");
            return item;
        }
        if (item->Sel != selection) {
            tree::SelectDriverItem(session_.driverHelper, param_.poemuiobj, item, selection,
                                   host::kOemCuipPrnProp);
            if (changed != nullptr) *changed = true;
            Note(std::string(keyword) + " -> " + std::to_string(selection));
        }
        return item;
    }

    // A fact of two keywords for one unit: the first that exists takes it; the value also
    // goes into the installable-option table's rows of the keywords looked up.
    host::OPTITEM* ApplyUnit(std::size_t row, std::size_t alternative, std::int32_t value,
                             bool* changed) {
        const char* first = tree::kInstallableOptionMap[row].keyword;
        tree::SetInstallableOptionValue(state_, row, value);
        if (host::OPTITEM* item = Apply(first, value, changed)) return item;
        if (alternative == row) return nullptr;
        tree::SetInstallableOptionValue(state_, alternative, value);
        return Apply(tree::kInstallableOptionMap[alternative].keyword, value, changed);
    }

    void WriteDword(std::u16string_view name, std::uint32_t value) {
        if (ports_.spooler == nullptr) return;
        ports_.spooler->WritePrinterData(param_.hPrinter, name, platform::kRegDword, &value,
                                         sizeof value);
        Note("printer data " + std::string(name.begin(), name.end()) + " = " +
             std::to_string(value));
    }

    void Note(const std::string& line) {
        if (report_ != nullptr) report_->changes.push_back(line);
    }

    void Execute() {
        // 1. The module beside the plug-in: its path without "U.DLL", then "N.DLL".
        if (ports_.module == nullptr || ports_.modules == nullptr || ports_.spooler == nullptr) {
            return;
        }
        const std::u16string own = ports_.module->FilePath();
        if (own.size() < 5 || own.size() > kModulePathUnits) return;
        const std::u16string modulePath = own.substr(0, own.size() - 5) + u"N.DLL";
        if (modulePath.size() > kModulePathUnits) return;
        if (report_ != nullptr) report_->module = modulePath;

        // 2. The printer's port, as the module's ANSI text.
        std::u16string port;
        if (ports_.spooler->PortName(param_.hPrinter, &port) != 0) return;
        std::string portName =
            ports_.system != nullptr ? ports_.system->ToAnsi(port, kPortNameBytes) : std::string();
        if (report_ != nullptr) report_->port = portName;

        // 3. The module and its entry; the owner releases the module on every path.
        auto module = ports_.modules->Load(modulePath);
        if (!module) return;
        auto* update = reinterpret_cast<SnmpAutoUpdate>(module->Find("SNMP_AutoUpdate"));
        if (update == nullptr) return;

        // 4. The block on the host's heap, every field "not asked" until the request marks it.
        if (ports_.heap == nullptr) return;
        platform::UniqueHeapBlock block(
            {ports_.heap, param_.hOEMHeap, ports_.heap->Alloc(param_.hOEMHeap, kBlockBytes)});
        auto* bytes = static_cast<unsigned char*>(block.get().block);
        if (bytes == nullptr) return;
        std::memset(bytes, 0xFF, kBlockBytes);
        profile::PrinterProfile profile(ports_, param_.hPrinter);
        const auto mask =
            static_cast<std::uint32_t>(profile.ReadInt(u"FUNCTION", u"AutoConfigInfo"));
        for (const BitField& request : kRequests) {
            if ((mask & request.bit) != 0) std::memset(bytes + request.offset, 0, 2);
        }
        bytes[kModelCodeOffset] =
            static_cast<unsigned char>(profile.ReadInt(u"FUNCTION", u"AutoCfgNetworkMDL") & 0xFF);
        if (report_ != nullptr) report_->mask = mask;

        // 5. The call.
        std::int32_t flag = 1;
        const std::uint32_t result = update(portName.c_str(), bytes, &flag, 0);
        if (report_ != nullptr) {
            report_->called = true;
            report_->result = result & 0xFFFF;
            std::memcpy(report_->block, bytes, kBlockBytes);
        }
        if ((result & 0xFFFF) == 0) return;

        ApplyFacts(bytes);
    }

    void ApplyFacts(const unsigned char* bytes) {
        // Trays. A code of -1 (not asked, or not reported) leaves the tray items as the user
        // has them.
        const std::int16_t trayCode = Field(bytes, kTrayCodeOffset);
        if (trayCode >= 0) {
            const TraySelections trays = TraysOfCode(trayCode);
            const char* keywords[] = {"Option1",  "Option5",  "Option6",
                                      "OptTray2", "OptTray3", "OptTray4"};
            const std::int32_t selections[] = {trays.tray2, trays.tray3, trays.tray4,
                                               trays.tray2, trays.tray3, trays.tray4};
            for (int i = 0; i < 6; ++i) Apply(keywords[i], selections[i]);
        }
        bool changed = false;
        if (const std::int16_t duplex = Field(bytes, kDuplexOffset); duplex >= 0) {
            ApplyUnit(tree::kRowDuplexUnit, tree::kRowDuplexUnitAlt, duplex, &changed);
        }
        if (const std::int16_t disk = Field(bytes, kHardDiskOffset); disk >= 0) {
            ApplyUnit(tree::kRowHardDisk, tree::kRowHardDiskAlt, disk, &changed);
            if (changed) WriteDword(u"HDD_SETTING", static_cast<std::uint32_t>(disk));
        }
        if (const std::int16_t finisher = Field(bytes, kFinisherOffset); finisher >= 0) {
            const std::size_t row = *tree::FindInstallableOption("Finisher");
            ApplyUnit(row, row, finisher, &changed);
        }
        if (const std::int16_t bin = Field(bytes, kOutputBinOffset); bin >= 0) {
            ApplyUnit(tree::kRowOutputBin, tree::kRowOutputBin, bin, &changed);
        }
        if (const std::int16_t memory = Field(bytes, kMemoryOffset); memory >= 0) {
            ApplyMemory(memory);
        }
    }

    void ApplyMemory(std::int16_t megabytes) {
        char16_t label[256];
        text::Format(label, 256, u"%d MB", {static_cast<int>(megabytes)});
        host::OPTITEM* item =
            tree::FindDriverItem(param_.pDrvOptItems, param_.cDrvOptItems,
                                 tree::kInstallableOptionMap[tree::kRowInstalledMemory].keyword);
        if (item == nullptr || item->pOptType == nullptr || item->pOptType->pOptParam == nullptr) {
            return;
        }
        std::int32_t index = -1;
        for (std::int32_t i = 0; i < item->pOptType->Count; ++i) {
            host::OPTITEM probe = *item;
            probe.Sel = i;
            if (tree::SelectedOptionText(probe) == std::u16string_view(label)) {
                index = i;
                break;
            }
        }
        if (index < 0 || item->Sel == index) return;
        tree::SelectDriverItem(session_.driverHelper, param_.poemuiobj, item, index,
                               host::kOemCuipPrnProp);
        Note("InstalledMemory -> " + std::to_string(index));
        WriteDword(u"CURRENT_MEMORY",
                   static_cast<std::uint32_t>(static_cast<std::int32_t>(megabytes)));
        // The host's PostScript memory setting: the item named by its text number 400.
        host::OPTITEM* postScript = nullptr;
        for (host::DWORD i = 0; i < param_.cDrvOptItems && param_.pDrvOptItems != nullptr; ++i) {
            if (reinterpret_cast<std::uintptr_t>(param_.pDrvOptItems[i].pName) ==
                kPostScriptMemoryName) {
                postScript = &param_.pDrvOptItems[i];
                break;
            }
        }
        const std::optional<std::int32_t> kilobytes = tree::PostScriptMemoryKilobytes(label);
        if (postScript != nullptr && kilobytes) {
            tree::SelectDriverItem(session_.driverHelper, param_.poemuiobj, postScript, *kilobytes,
                                   host::kOemCuipPrnProp);
            Note("PostScript memory -> " + std::to_string(*kilobytes) + " KB");
        }
    }

  private:
    plugin::ProcessState& state_;
    const platform::Platform& ports_;
    host::OEMCUIPPARAM& param_;
    profile::UiSession& session_;
    Report* report_;
};

}  // namespace

TraySelections TraysOfCode(std::int16_t code) {
    switch (code) {
        case 1:
            return {1, 0, 0};
        case 3:
            return {1, 1, 0};
        case 4:
            return {1, 1, 1};
        case 10:
            return {2, 0, 0};
        case 11:
            return {1, 2, 0};
        case 12:
            return {1, 1, 2};
        default:
            return {0, 0, 0};
    }
}

void AutoConfigure(plugin::ProcessState& state, host::OEMCUIPPARAM& param,
                   profile::UiSession& session, host::DWORD, Report* report) {
    if (session.driverHelper == nullptr) return;
    Run(state, param, session, report).Execute();
}

}  // namespace autoconfig
