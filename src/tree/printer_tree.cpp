#include "tree/printer_tree.h"

#include <array>
#include <cstring>

#include "autoconfig/auto_configuration.h"
#include "profile/bounded_text.h"
#include "tree/custom_paper.h"
#include "tree/feature_options.h"
#include "tree/tree_entry.h"
#include "ui/tree_buttons.h"

namespace tree {
namespace {

constexpr std::size_t kMaxDisplayUnits = 259;
// Pointers below this are resource numbers, not texts (the platform's IS_INTRESOURCE).
constexpr std::uintptr_t kResourceLimit = 0x10000;

struct MemoryRow {
    std::u16string_view label;
    std::int32_t bytes;
};

// The PostScript memory of each installed-memory label. The "320 MB" row carries less than
// the "288 MB" row: printers of that size keep more of it for themselves.
constexpr std::array<MemoryRow, 18> kMemorySizeTable{{
    {u"16 MB", 1700000},
    {u"32 MB", 3400000},
    {u"48 MB", 5000000},
    {u"64 MB", 6700000},
    {u"80 MB", 8000000},
    {u"96 MB", 9600000},
    {u"128 MB", 13400000},
    {u"144 MB", 14400000},
    {u"160 MB", 16000000},
    {u"192 MB", 19200000},
    {u"256 MB", 26800000},
    {u"288 MB", 32800000},
    {u"320 MB", 29500000},
    {u"384 MB", 40200000},
    {u"512 MB", 53600000},
    {u"768 MB", 80400000},
    {u"832 MB", 86400000},
    {u"1024 MB", 107200000},
}};

std::u16string_view BoundedText(const host::WCHAR* text) {
    if (text == nullptr || reinterpret_cast<std::uintptr_t>(text) < kResourceLimit) return {};
    std::size_t length = 0;
    while (length < kMaxDisplayUnits && text[length] != u'\0') ++length;
    return {text, length};
}

std::uint32_t ThisThread(const plugin::ProcessState& state) {
    const platform::SystemInfo* system = state.ports().system;
    return system != nullptr ? system->CurrentThreadId() : 0;
}

// The session of the printer tree the host hands back, when it is a live one of ours.
profile::UiSession* TreeSession(plugin::ProcessState& state, const host::OEMCUIPPARAM& param) {
    auto* session = static_cast<profile::UiSession*>(param.pOEMUserData);
    for (void* live : state.sessions.Live(devmode::SessionKind::kPrinterTree, ThisThread(state))) {
        if (live == session) return session;
    }
    return nullptr;
}

void EndSession(plugin::ProcessState& state, profile::UiSession* session) {
    state.sessions.Unregister(session->sessionLink);
    const profile::HostSession ending =
        profile::HostSession::Adopt(state.ports().heap, session->hostBlock.heap, session);
}

void WriteDword(const platform::Platform& ports, host::HANDLE printer, std::u16string_view name,
                std::uint32_t value) {
    if (ports.spooler != nullptr) {
        ports.spooler->WritePrinterData(printer, name, platform::kRegDword, &value, sizeof value);
    }
}

// A Job Accounting value as the print path reads it: REG_SZ without a terminator.
void WriteAccountText(const platform::Platform& ports, host::HANDLE printer,
                      std::u16string_view name,
                      const char16_t (&field)[profile::kJobAccountUnits]) {
    if (ports.spooler == nullptr) return;
    const std::size_t units = text::FieldLength(field, profile::kJobAccountUnits - 1);
    ports.spooler->WritePrinterData(printer, name, platform::kRegSz, field,
                                    static_cast<std::uint32_t>(units * sizeof(char16_t)));
}

// The leading decimal number of a text (0 when it starts otherwise), at most 32 bits.
std::uint32_t LeadingNumber(std::u16string_view text) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - u'0');
        if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(value);
}

class Call {
  public:
    Call(plugin::ProcessState& state, host::CPSUICBPARAM& callback, host::OEMCUIPPARAM& param,
         profile::UiSession& session)
        : state_(state),
          ports_(state.ports()),
          callback_(callback),
          param_(param),
          session_(session) {}

    host::LONG Dispatch() {
        switch (callback_.Reason) {
            case host::kCpsuicbReasonSelChanged:
                session_.autoConfigDone = 0;
                return host::kCpsuicbActionNone;
            case host::kCpsuicbReasonApplyNow:
                Apply();
                return host::kCpsuicbActionOptifChanged;
            case host::kCpsuicbReasonSetActive:
                Activate();
                return host::kCpsuicbActionOptifChanged;
            case host::kCpsuicbReasonKillActive:
                if (session_.autoConfigDone == 0) {
                    autoconfig::AutoConfigure(state_, param_, session_, host::kOemCuipPrnProp);
                    session_.autoConfigDone = 1;
                }
                return host::kCpsuicbActionOptifChanged;
            default:
                return host::kCpsuicbActionNone;
        }
    }

  private:
    host::OPTITEM* Host(const char* keyword) {
        return FindDriverItem(param_.pDrvOptItems, param_.cDrvOptItems, keyword);
    }

    void Apply() {
        const host::HANDLE printer = session_.printerHandle;
        WriteAccountText(ports_, printer, u"JOBACCOUNT_ID", session_.jobAccountId);
        WriteAccountText(ports_, printer, u"JOBACCOUNT_PW", session_.jobAccountPassword);
        session_.jobAccountIdShown[0] = u'\0';
        session_.jobAccountPasswordShown[0] = u'\0';

        host::OPTITEM* disk = Host(kInstallableOptionMap[kRowHardDisk].keyword);
        if (disk == nullptr) disk = Host(kInstallableOptionMap[kRowHardDiskAlt].keyword);
        if (disk != nullptr) {
            WriteDword(ports_, printer, u"HDD_SETTING", static_cast<std::uint32_t>(disk->Sel));
        }
        if (host::OPTITEM* memory = Host(kInstallableOptionMap[kRowInstalledMemory].keyword)) {
            // A selection outside the options, or an option without text, tells nothing.
            const std::u16string_view label = SelectedOptionText(*memory);
            if (!label.empty()) {
                WriteDword(ports_, printer, u"CURRENT_MEMORY", LeadingNumber(label));
            }
        }
        if (param_.pOEMOptItems != nullptr && param_.cOEMOptItems > 0) {
            WriteDword(ports_, param_.hPrinter, u"OEMUI_VALUE",
                       static_cast<std::uint32_t>(param_.pOEMOptItems[0].Sel));
        }
    }

    void Activate() {
        if (session_.checkTraysForCustoms != 0) MarkTrayForms(state_, param_, session_);
        for (std::uint32_t n = 0; n < param_.cOEMOptItems && param_.pOEMOptItems != nullptr; ++n) {
            host::OPTITEM& item = param_.pOEMOptItems[n];
            if (item.pOptType != nullptr && item.pOptType->Type == host::kTvotPushButton) {
                item.UserData = reinterpret_cast<host::ULONG_PTR>(&session_);
            }
        }
    }

    plugin::ProcessState& state_;
    const platform::Platform& ports_;
    host::CPSUICBPARAM& callback_;
    host::OEMCUIPPARAM& param_;
    profile::UiSession& session_;
};

// Fills the Job Accounting push button: caption from its dialog's section, an option type
// with room for two options of which the first is the button. Everything lives on the
// host's heap; without its option type the item stays hidden.
void FillAccountingItem(const platform::Platform& ports, void* heap, profile::UiSession& session,
                        host::OPTITEM& item) {
    char16_t caption[256] = u"Caption";
    if (session.textReader != nullptr) {
        session.textReader->SetDialogSection(u"Job Accounting");
        session.textReader->ReadString256(u"Caption", caption);
    }
    item.Level = 1;
    item.Flags = host::kOptifCollapse;
    item.UserData = 0;
    item.Sel = 0;
    item.DMPubID = host::kDmPubUser;
    if (ports.heap == nullptr) {
        item.Flags |= host::kOptifHide;
        return;
    }
    const std::size_t units = std::u16string_view(caption).size() + 1;
    auto* name = static_cast<host::WCHAR*>(ports.heap->Alloc(heap, units * sizeof(host::WCHAR)));
    if (name != nullptr) text::Copy(name, units, caption);
    item.pName = name;
    struct ButtonType {
        host::OPTTYPE type;
        host::OPTPARAM params[2];
    };
    auto* block = static_cast<ButtonType*>(ports.heap->Alloc(heap, sizeof(ButtonType)));
    if (block == nullptr) {
        item.Flags |= host::kOptifHide;
        return;
    }
    block->type.cbSize = sizeof(host::OPTTYPE);
    block->type.Type = host::kTvotPushButton;
    block->type.Count = 1;
    block->type.pOptParam = block->params;
    block->type.Style = host::kOtsPushEnableAlways;
    for (host::OPTPARAM& p : block->params) p.cbSize = sizeof(host::OPTPARAM);
    block->params[0].Style = host::kPushButtonTypeCallback;
    block->params[0].pData =
        reinterpret_cast<host::WCHAR*>(reinterpret_cast<void*>(&ui::OnJobAccountingButton));
    block->params[0].IconID = host::kIdiCpsuiRunDialog;
    item.pOptType = &block->type;
    if (session.jobAccounting == 0) item.Flags |= host::kOptifHide;
}

}  // namespace

std::u16string_view SelectedOptionText(const host::OPTITEM& item) {
    const host::OPTTYPE* type = item.pOptType;
    if (type == nullptr || type->pOptParam == nullptr || item.Sel < 0 ||
        item.Sel >= static_cast<host::LONG>(type->Count)) {
        return {};
    }
    return BoundedText(type->pOptParam[item.Sel].pData);
}

std::u16string_view ItemNameText(const host::OPTITEM& item) { return BoundedText(item.pName); }

std::optional<std::int32_t> PostScriptMemoryKilobytes(std::u16string_view label) {
    for (const MemoryRow& row : kMemorySizeTable) {
        if (row.label == label) return row.bytes / 1024;
    }
    return std::nullopt;
}

void EndPrinterTreeSessions(plugin::ProcessState& state, host::HANDLE printer) {
    for (void* live : state.sessions.Live(devmode::SessionKind::kPrinterTree, ThisThread(state))) {
        auto* session = static_cast<profile::UiSession*>(live);
        if (session->printerHandle == printer) EndSession(state, session);
    }
}

void PrinterTree(plugin::ProcessState& state, host::IPrintOemDriverUI* driverHelper,
                 host::OEMCUIPPARAM& param) {
    // The size query: the Job Accounting button.
    if (param.pOEMOptItems == nullptr) {
        param.cOEMOptItems = kPrinterItems;
        return;
    }
    const platform::Platform& ports = state.ports();
    // A repeated request hands back the session of the earlier one: it ends here, so that
    // each printer tree has exactly one.
    if (profile::UiSession* earlier = TreeSession(state, param)) {
        param.pOEMUserData = nullptr;
        EndSession(state, earlier);
    }
    profile::HostSession owner(ports, param.hOEMHeap);
    if (!owner) return;
    profile::UiSession& session = *owner;
    session.driverHelper = driverHelper;
    profile::CreateTreeSession(ports, param, session);
    // The tree's session ends with the printer's property sheet; it must know its heap.
    session.hostBlock.heap = param.hOEMHeap;

    std::uint32_t stored = 0;
    std::uint32_t type = 0;
    std::uint32_t needed = 0;
    if (ports.spooler == nullptr ||
        ports.spooler->ReadPrinterData(param.hPrinter, u"OEMUI_VALUE", &type, &stored,
                                       sizeof stored, &needed) != 0 ||
        stored > kMaxOemUiValue) {
        stored = 0;  // read and range-tested; the item starts at 0 all the same
    }
    param.OEMCUIPCallback = &PrinterTreeCallback;
    const std::uint32_t items =
        param.cOEMOptItems < kPrinterItems ? param.cOEMOptItems : kPrinterItems;
    for (std::uint32_t i = 0; i < items; ++i) {
        std::memset(&param.pOEMOptItems[i], 0, sizeof(host::OPTITEM));
        param.pOEMOptItems[i].cbSize = sizeof(host::OPTITEM);
    }
    autoconfig::AutoConfigure(state, param, session, host::kOemCuipPrnProp);
    if (items > 0) FillAccountingItem(ports, param.hOEMHeap, session, param.pOEMOptItems[0]);

    session.sessionLink =
        state.sessions.Register(&session, ThisThread(state), devmode::SessionKind::kPrinterTree);
    if (session.sessionLink == 0) return;  // without a key nobody could find it again
    param.pOEMUserData = owner.release();
}

host::LONG HOST_CALL PrinterTreeCallback(host::CPSUICBPARAM* callback,
                                         host::OEMCUIPPARAM* param) noexcept {
    try {
        plugin::ProcessState* state = plugin::ProcessState::ForCallbacks();
        if (state == nullptr || callback == nullptr || param == nullptr) {
            return host::kCpsuicbActionNone;
        }
        profile::UiSession* session = TreeSession(*state, *param);
        if (session == nullptr) return host::kCpsuicbActionNone;
        return Call(*state, *callback, *param, *session).Dispatch();
    } catch (...) {
        return host::kCpsuicbActionNone;
    }
}

}  // namespace tree
