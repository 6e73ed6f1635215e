#include "ui/property_sheets.h"

#include <memory>

#include "devmode/oem_devmode.h"
#include "devmode/session_link.h"
#include "profile/bounded_text.h"
#include "tree/feature_options.h"
#include "tree/printer_tree.h"
#include "ui/dialog_ids.h"
#include "ui/localise.h"
#include "ui/trouble_page.h"

namespace ui {
namespace {

constexpr char16_t kSheetTitle[] = u"OEM UI Page";
constexpr host::DWORD kNoPermissionFlag = 0x20;

enum class Side { kDocument, kDevice };

// The answer of reasons that carry nothing to do: document sheets answer 0, printer
// sheets 1.
host::ULONG_PTR OtherResult(Side side) { return side == Side::kDocument ? 0 : 1; }

std::uint32_t ThisThread(const platform::Platform& platform) {
    return platform.system != nullptr ? platform.system->CurrentThreadId() : 0;
}

host::ULONG_PTR SetResult(const profile::UiSession* session, const host::PROPSHEETUI_INFO& info) {
    const host::PFNCOMPROPSHEET function =
        session != nullptr ? session->propSheetCallback : info.pfnComPropSheet;
    const host::HANDLE sheet = session != nullptr ? session->propSheetHandle : info.hComPropSheet;
    if (function == nullptr) return 0;
    return static_cast<host::ULONG_PTR>(
        function(sheet, host::kCpsFuncSetResult, 0, host::kCpsuiOk));
}

// Adds the pages the model profile lists: only kind 12, the Troubleshooting page of the
// TALEN brand, is the plug-in's own.
void AddPages(plugin::ProcessState& state, profile::UiSession& session) {
    const platform::Platform& platform = state.ports();
    // Only the TALEN brand has a page of its own to add.
    if (session.profileReader == nullptr || session.brand != profile::kBrandTalen ||
        platform.pages == nullptr) {
        return;
    }
    // The page title is the Caption of the page's section of the language file, read when
    // the first page is added.
    char16_t title[256] = u"Caption";
    bool titleRead = false;
    ForEachPageEntry(*session.profileReader, [&](std::u16string_view, std::int32_t kind) {
        if (kind != kTroublePageKind) return;
        if (!titleRead && session.textReader != nullptr) {
            session.textReader->SetDialogSection(u"Troubleshooting");
            session.textReader->ReadString256(u"Caption", title);
        }
        titleRead = true;
        profile::UiSession* page = &session;
        session.troublePage = reinterpret_cast<host::HANDLE>(platform.pages->AddPage(
            reinterpret_cast<void*>(session.propSheetCallback), session.propSheetHandle,
            DialogTemplate(platform, IDD_TROUBLESHOOTING), title, [&state, page] {
                return std::make_unique<TroublePagePresenter>(state.ports(), page);
            }));
    });
}

// Seeds the copy split from the private record when it agrees with the public copies; a
// sheet without a record starts with every copy in colour.
void SeedCopies(profile::UiSession& session, const host::DEVMODEW* publicDm, const void* record) {
    const std::int16_t copies = publicDm != nullptr ? publicDm->dmCopies : 1;
    const auto grey =
        record != nullptr
            ? static_cast<std::int16_t>(devmode::Get(record, devmode::kGrayscaleCopies))
            : std::int16_t{0};
    const auto colour = record != nullptr
                            ? static_cast<std::int16_t>(devmode::Get(record, devmode::kColorCopies))
                            : std::int16_t{0};
    if (record != nullptr && copies == grey + colour) {
        session.grayscaleCopies = grey;
        session.colorCopies = colour;
    } else {
        session.grayscaleCopies = 0;
        session.colorCopies = copies;
    }
    session.previousCopies = 0;
    session.currentCopies = copies;
}

host::HRESULT Initialise(plugin::ProcessState& state, host::IPrintOemDriverUI* driverHelper,
                         host::PROPSHEETUI_INFO& info, Side side) {
    const platform::Platform& platform = state.ports();
    auto* param = reinterpret_cast<host::OEMUIPSPARAM*>(info.lParamInit);
    info.Result = OtherResult(side);
    if (param == nullptr) return host::kSOk;

    // The session is built completely before the host sees it: should anything fail on the
    // way, its owner ends it and the host's structures are left as they were.
    profile::HostSession owner(platform, param->hOEMHeap);
    if (!owner) {
        if (platform.lastError != nullptr) platform.lastError->Set(platform::kErrorNotEnoughMemory);
        return host::kEFail;
    }
    profile::UiSession& session = *owner;
    session.propSheetHandle = info.hComPropSheet;
    session.hostParams = param;
    session.hostBlock = {param->hPrinter, param->pPrinterName, param->hOEMHeap};
    session.propSheetCallback = info.pfnComPropSheet;
    session.printerHandle = param->hPrinter;
    session.settingsChanged = 0;
    session.driverHelper = driverHelper;
    session.helpWindow = nullptr;
    session.helpTopicCount = 0;
    profile::InitializeSession(platform, session);

    void* record = param->pOEMDM;
    if (side == Side::kDocument) {
        // Only the steps that read or write the private record need one.
        if (record != nullptr && devmode::Get(record, devmode::kResolution) != 0) {
            tree::BuildResolutionList(session);
        }
        session.switchSignature[0] = u'\0';
        if (session.profileReader != nullptr) {
            profile::ReadFeatureSwitches(*session.profileReader, session.switches);
        }
        profile::BuildSwitchSignature(session.switches, session.switchSignature);
        session.noPermission = (param->dwFlags & kNoPermissionFlag) != 0 ? 1 : 0;
        SeedCopies(session, param->pPublicDM, record);
        tree::ComputeStorageState(platform, param->poemuiobj, record, session);
        tree::BuildPrintModeList(session);
    }

    // Published: the table knows the session from now on, and the host finds it in its
    // structures (and the private record names it by its key).
    session.sessionLink = state.sessions.Register(&session, ThisThread(platform));
    if (session.sessionLink == 0) return host::kEOutOfMemory;
    if (side == Side::kDocument) devmode::WriteSessionLink(record, session.sessionLink);
    param->pOEMUserData = owner.release();
    info.UserData = reinterpret_cast<host::ULONG_PTR>(param->pOEMUserData);
    AddPages(state, session);
    return host::kSOk;
}

// The session the host hands back at the end of a sheet, when it is a live one of this
// thread's sheets; null for anything else (a second destroy, a block that is not ours).
profile::UiSession* SheetSession(plugin::ProcessState& state, const host::OEMUIPSPARAM* param) {
    if (param == nullptr) return nullptr;
    auto* session = static_cast<profile::UiSession*>(param->pOEMUserData);
    if (state.sessions.KeyOf(session, ThisThread(state.ports())) == 0) return nullptr;
    return session;
}

void Destroy(plugin::ProcessState& state, host::PROPSHEETUI_INFO& info, Side side) {
    const platform::Platform& platform = state.ports();
    auto* param = reinterpret_cast<host::OEMUIPSPARAM*>(info.lParamInit);
    profile::UiSession* session = SheetSession(state, param);
    if (side == Side::kDocument) {
        if (session == nullptr) {
            info.Result = 0;
            return;
        }
        if (session->helpWindow != nullptr && platform.help != nullptr) {
            platform.help->HtmlHelp(nullptr, nullptr, platform::kHhCloseAll, 0);
        }
        info.Result = session->settingsChanged != 0 ? SetResult(session, info) : 1;
    } else {
        info.Result = SetResult(session, info);
        // The printer tree of this printer cannot be called any more: its session ends.
        if (param != nullptr) tree::EndPrinterTreeSessions(state, param->hPrinter);
    }
    if (session == nullptr) return;
    // The sheet is over: its key goes, and the session with its readers ends.
    state.sessions.Unregister(session->sessionLink);
    param->pOEMUserData = nullptr;
    info.UserData = 0;
    const profile::HostSession ending =
        profile::HostSession::Adopt(platform.heap, param->hOEMHeap, session);
}

host::HRESULT Dispatch(plugin::ProcessState& state, host::IPrintOemDriverUI* driverHelper,
                       host::PROPSHEETUI_INFO& info, host::LPARAM lParam, Side side) {
    switch (info.Reason) {
        case host::kPropSheetUiReasonInit:
            return Initialise(state, driverHelper, info, side);
        case host::kPropSheetUiReasonGetInfoHeader: {
            auto* header = reinterpret_cast<host::PROPSHEETUI_INFO_HEADER*>(lParam);
            if (header != nullptr) header->pTitle = const_cast<char16_t*>(kSheetTitle);
            info.Result = 1;
            break;
        }
        case host::kPropSheetUiReasonDestroy:
            Destroy(state, info, side);
            break;
        case host::kPropSheetUiReasonSetResult: {
            const auto* set = reinterpret_cast<const host::SETRESULT_INFO*>(lParam);
            info.Result = set != nullptr ? static_cast<host::ULONG_PTR>(set->Result) : 0;
            break;
        }
        case host::kPropSheetUiReasonGetIcon:
            info.Result = 0;
            break;
        default:
            info.Result = OtherResult(side);
            break;
    }
    return host::kSOk;
}

}  // namespace

std::int32_t ForEachPageEntry(
    profile::ProfileReader& profile,
    const std::function<void(std::u16string_view key, std::int32_t kind)>& visit) {
    profile.SetSection(u"TABNUMBER");
    const std::int32_t entries = profile.ReadInt(u"TabNumber", 0);
    // A sheet has a handful of pages: entries past kMaxPageEntries are not read, so that a
    // damaged count cannot keep the host's thread reading for ever.
    for (std::int32_t i = 0; i < entries && i < kMaxPageEntries; ++i) {
        char16_t key[16];
        text::Format(key, 16, u"Tab%d", {i});
        visit(key, profile.ReadInt(key, kAbsentPageKind));
    }
    return entries;
}

host::HRESULT DocumentPropertySheets(plugin::ProcessState& state,
                                     host::IPrintOemDriverUI* driverHelper,
                                     host::PROPSHEETUI_INFO& info, host::LPARAM lParam) {
    return Dispatch(state, driverHelper, info, lParam, Side::kDocument);
}

host::HRESULT DevicePropertySheets(plugin::ProcessState& state,
                                   host::IPrintOemDriverUI* driverHelper,
                                   host::PROPSHEETUI_INFO& info, host::LPARAM lParam) {
    return Dispatch(state, driverHelper, info, lParam, Side::kDevice);
}

profile::UiSession* SessionOfRecord(const plugin::ProcessState& state, const void* oemDevmode) {
    if (oemDevmode == nullptr) return nullptr;
    const std::uint32_t thread =
        state.ports().system != nullptr ? state.ports().system->CurrentThreadId() : 0;
    return static_cast<profile::UiSession*>(
        state.sessions.Find(devmode::ReadSessionLink(oemDevmode), thread));
}

}  // namespace ui
