#include "tree/document_tree.h"

#include <cstring>
#include <new>

#include "autoconfig/auto_configuration.h"
#include "devmode/oem_devmode.h"
#include "profile/bounded_text.h"
#include "tree/document_callback.h"
#include "tree/feature_options.h"
#include "ui/tree_buttons.h"

namespace tree {
namespace {

constexpr std::uint8_t kLockColor = 0x01;
constexpr std::uint8_t kLockDuplex = 0x02;
constexpr std::uint8_t kLockSource = 0x04;
constexpr std::uint8_t kLockMediaType = 0x08;

void Lock(host::OPTITEM* item) {
    if (item != nullptr) item->Flags |= host::kOptifDisabled | host::kOptifChanged;
}

// The first host item that is either "JCLMediaType" or the public media-type item.
host::OPTITEM* FindMediaType(host::OEMCUIPPARAM& param) {
    if (param.pDrvOptItems == nullptr) return nullptr;
    for (host::DWORD i = 0; i < param.cDrvOptItems; ++i) {
        host::OPTITEM& item = param.pDrvOptItems[i];
        if (item.DMPubID == host::kDmPubMediaType || ItemKeywordIs(item, "JCLMediaType")) {
            return &item;
        }
    }
    return nullptr;
}

// Items the private record's LockedItems bits lock, bit by bit.
void ApplyLockedItems(host::OEMCUIPPARAM& param, std::uint8_t locked) {
    auto byId = [&](std::uint8_t id) {
        return FindDriverItem(param.pDrvOptItems, param.cDrvOptItems, nullptr, id);
    };
    if ((locked & kLockColor) != 0) Lock(byId(host::kDmPubColor));
    if ((locked & kLockDuplex) != 0) Lock(byId(host::kDmPubDuplex));
    if ((locked & kLockSource) != 0) Lock(byId(host::kDmPubDefSource));
    if ((locked & kLockMediaType) != 0) Lock(FindMediaType(param));
}

// A colour device whose model names a 300 dpi entry hides the host's resolution item; with
// only the Quality index the Quality list loses its last option.
void TrimColourDeviceResolution(host::OEMCUIPPARAM& param, const profile::UiSession& session) {
    const bool indexed = session.resolution300Index != 0 || session.quality300Index != 0;
    if (!indexed || session.colorDevice == 0) return;
    HideItem(
        FindDriverItem(param.pDrvOptItems, param.cDrvOptItems, nullptr, host::kDmPubPrintQuality));
    if (session.resolution300Index != 0 || session.quality300Index == 0) return;
    host::OPTITEM* quality = FindDriverItem(param.pDrvOptItems, param.cDrvOptItems, "Quality");
    // A list of one option (or none) is left as it is: it cannot lose an option.
    if (quality == nullptr || quality->pOptType == nullptr || quality->pOptType->Count < 2) return;
    --quality->pOptType->Count;
    if (quality->Sel >= static_cast<host::LONG>(quality->pOptType->Count)) {
        quality->Sel = quality->pOptType->Count - 1;
    }
    quality->Flags |= host::kOptifChanged;
}

// A copy of `text` on the host's plug-in heap, or null.
host::WCHAR* HeapText(const platform::Platform& ports, void* heap, std::u16string_view text) {
    if (ports.heap == nullptr) return nullptr;
    const std::size_t units = text.size() + 1;
    auto* copy = static_cast<host::WCHAR*>(ports.heap->Alloc(heap, units * sizeof(host::WCHAR)));
    if (copy != nullptr) text::Copy(copy, units, text);
    return copy;
}

// Fills one push-button item: its caption from the dialog's section of the language file and
// an option type of one push button that calls `button`. Everything lives on the host's
// heap. An item whose option type cannot be had stays hidden: without it the host would
// show a button that does nothing.
void FillButtonItem(const platform::Platform& ports, void* heap, profile::UiSession& session,
                    host::OPTITEM& item, const char16_t* dialog, host::PushButtonProc button) {
    char16_t caption[256] = u"Caption";
    if (session.textReader != nullptr) {
        session.textReader->SetDialogSection(dialog);
        session.textReader->ReadString256(u"Caption", caption);
    }
    item.Level = 2;
    item.Flags = host::kOptifCollapse;
    item.UserData = 0;
    item.pName = HeapText(ports, heap, caption);
    item.Sel = 0;
    item.DMPubID = host::kDmPubUser;
    if (ports.heap == nullptr) {
        item.Flags |= host::kOptifHide;
        return;
    }
    // One block holds the option type and its one option.
    struct ButtonType {
        host::OPTTYPE type;
        host::OPTPARAM param;
    };
    auto* block = static_cast<ButtonType*>(ports.heap->Alloc(heap, sizeof(ButtonType)));
    if (block == nullptr) {
        item.Flags |= host::kOptifHide;
        return;
    }
    block->type.cbSize = sizeof(host::OPTTYPE);
    block->type.Type = host::kTvotPushButton;
    block->type.Flags = 0;
    block->type.Count = 1;
    block->type.BegCtrlID = 0;
    block->type.pOptParam = &block->param;
    block->type.Style = host::kOtsPushEnableAlways;
    block->param.cbSize = sizeof(host::OPTPARAM);
    block->param.Flags = 0;
    block->param.Style = host::kPushButtonTypeCallback;
    block->param.pData = reinterpret_cast<host::WCHAR*>(reinterpret_cast<void*>(button));
    block->param.IconID = host::kIdiCpsuiRunDialog;
    item.pOptType = &block->type;
}

// Hides the host's SmartCMS items whose feature the model does not offer. The SmartCMS items
// follow each other in the host's array, starting with "GraphicsSmartCMS1".
void HideUnofferedSmartCms(host::OEMCUIPPARAM& param, profile::UiSession& session) {
    if (session.profileReader == nullptr || param.pDrvOptItems == nullptr) return;
    host::OPTITEM* first =
        FindDriverItem(param.pDrvOptItems, param.cDrvOptItems, "GraphicsSmartCMS1");
    if (first == nullptr) return;
    profile::ProfileReader& profile = *session.profileReader;
    profile.SetSection(u"Common");
    host::OPTITEM* const end = param.pDrvOptItems + param.cDrvOptItems;
    host::OPTITEM* item = first;
    for (std::uint32_t n = 1; n <= kSmartCmsFeatureCount && item < end; ++n, ++item) {
        if (ItemKeywordText(*item).find("GraphicsSmartCMS") == std::string_view::npos) break;
        char16_t key[32];
        text::Format(key, 32, u"GraphicsSmartCMS%d", {static_cast<int>(n)});
        char16_t value[256];
        profile.ReadString256(key, value);
        if (std::u16string_view(value) == key || value[0] == u'0') {
            item->Flags |= host::kOptifHide;
        }
    }
}

// Hard disk: the record follows the model; a printer without "HDD_SETTING" gets the value,
// as a DWORD 0 ("no disk") until the printer settings store a real one.
void RecordHardDisk(const platform::Platform& ports, profile::UiSession& session, void* record) {
    if (session.installedHdd != 0) {
        if (record != nullptr) devmode::Set(record, devmode::kHddInstalled, 1);
        return;
    }
    if (record != nullptr) devmode::Set(record, devmode::kHddInstalled, 0);
    if (ports.spooler == nullptr) return;
    std::uint32_t value = 0;
    std::uint32_t type = 0;
    std::uint32_t needed = 0;
    if (ports.spooler->ReadPrinterData(session.printerHandle, u"HDD_SETTING", &type, &value,
                                       sizeof value, &needed) != 0) {
        value = 0;
        ports.spooler->WritePrinterData(session.printerHandle, u"HDD_SETTING", platform::kRegDword,
                                        &value, sizeof value);
    }
}

}  // namespace

void DocumentTree(plugin::ProcessState& state, host::IPrintOemDriverUI* driverHelper,
                  host::OEMCUIPPARAM& param) {
    // The size query: the two push buttons.
    if (param.pOEMOptItems == nullptr) {
        param.cOEMOptItems = kDocumentItems;
        return;
    }
    const platform::Platform& ports = state.ports();
    // The call works in a session of its own on the host's heap, ended before returning.
    profile::HostSession owner(ports, param.hOEMHeap);
    if (!owner) return;
    profile::UiSession& session = *owner;
    session.driverHelper = driverHelper;
    if (profile::CreateTreeSession(ports, param, session) != 0) {
        autoconfig::AutoConfigure(state, param, session, host::kOemCuipDocProp);
    }

    void* record = param.pOEMDM;
    RecordHardDisk(ports, session, record);
    if (record != nullptr) {
        devmode::Set(record, devmode::kCopiesSettingOn, session.copiesSetting != 0 ? 1 : 0);
        devmode::Set(record, devmode::kPrinterHdd, session.printerHdd);
    }
    param.OEMCUIPCallback = &DocumentTreeCallback;

    // The host hands as many items as it was asked for; a shorter array gets what fits.
    const std::uint32_t items =
        param.cOEMOptItems < kDocumentItems ? param.cOEMOptItems : kDocumentItems;
    for (std::uint32_t i = 0; i < items; ++i) {
        std::memset(&param.pOEMOptItems[i], 0, sizeof(host::OPTITEM));
        param.pOEMOptItems[i].cbSize = sizeof(host::OPTITEM);
    }
    if (record != nullptr) ApplyLockedItems(param, devmode::Get(record, devmode::kLockedItems));
    TrimColourDeviceResolution(param, session);

    if (items > kHoldItem) {
        FillButtonItem(ports, param.hOEMHeap, session, param.pOEMOptItems[kHoldItem], u"Hold",
                       &ui::OnPrintAndHoldButton);
    }
    if (items > kCopiesItem) {
        FillButtonItem(ports, param.hOEMHeap, session, param.pOEMOptItems[kCopiesItem], u"Copies",
                       &ui::OnCopiesSettingButton);
    }
    ComputeStorageState(ports, param.poemuiobj, record, session);
    if (items > kHoldItem && HoldModesOffered(session) == 0) {
        param.pOEMOptItems[kHoldItem].Flags |= host::kOptifHide;
    }
    if (items > kCopiesItem && session.copiesSetting == 0) {
        param.pOEMOptItems[kCopiesItem].Flags |= host::kOptifHide;
    }
    HideUnofferedSmartCms(param, session);
}

}  // namespace tree
