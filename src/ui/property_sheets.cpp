#include "ui/property_sheets.h"

#include <new>

#include "devmode/oem_devmode.h"
#include "devmode/session_link.h"
#include "profile/bounded_text.h"
#include "tree/feature_options.h"
#include "ui/dialog_ids.h"
#include "ui/localise.h"
#include "ui/trouble_page.h"

namespace ui {
namespace {

constexpr char16_t kSheetTitle[] = u"OEM UI Page";
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr host::DWORD kNoPermissionFlag = 0x20;
constexpr std::int32_t kTroublePageKind = 12;
constexpr std::int32_t kAbsentTabKind = 100;

enum class Side { kDocument, kDevice };

// The answer of reasons that carry nothing to do: document sheets answer 0, printer
// sheets 1.
host::ULONG_PTR OtherResult(Side side) { return side == Side::kDocument ? 0 : 1; }

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
void AddPages(const platform::Platform& platform, profile::UiSession& session) {
    // Only the TALEN brand has a page of its own to add.
    if (session.profileReader == nullptr || session.brand != profile::kBrandTalen ||
        platform.pages == nullptr) {
        return;
    }
    profile::ProfileReader& profile = *session.profileReader;
    profile.SetSection(u"TABNUMBER");
    const std::int32_t tabs = profile.ReadInt(u"TabNumber", 0);
    const bool rtl =
        platform.system != nullptr && IsRightToLeftLanguage(platform.system->SystemDefaultLangId());
    // The page title is the Caption of the page's section of the language file, read when
    // the first page is added.
    char16_t title[256] = u"Caption";
    bool titleRead = false;
    for (std::int32_t i = 0; i < tabs; ++i) {
        char16_t key[16];
        text::Format(key, 16, u"Tab%d", {i});
        if (profile.ReadInt(key, kAbsentTabKind) != kTroublePageKind) continue;
        if (!titleRead && session.textReader != nullptr) {
            session.textReader->SetDialogSection(u"Troubleshooting");
            session.textReader->ReadString256(u"Caption", title);
        }
        titleRead = true;
        session.troublePage = reinterpret_cast<host::HANDLE>(platform.pages->AddTroublePage(
            reinterpret_cast<void*>(session.propSheetCallback), session.propSheetHandle,
            MirroredTemplate(IDD_TROUBLESHOOTING, rtl), title, &session));
    }
}

// A zero-filled session on the host's heap, with the state every sheet starts from.
profile::UiSession* NewSheetSession(const platform::Platform& platform,
                                    host::IPrintOemDriverUI* driverHelper,
                                    host::PROPSHEETUI_INFO& info, host::OEMUIPSPARAM& param) {
    if (platform.heap == nullptr) return nullptr;
    void* block = platform.heap->Alloc(param.hOEMHeap, sizeof(profile::UiSession));
    if (block == nullptr) return nullptr;
    auto* session = new (block) profile::UiSession{};
    session->propSheetHandle = info.hComPropSheet;
    session->hostParams = &param;
    session->hostBlock = {param.hPrinter, param.pPrinterName, param.hOEMHeap};
    session->propSheetCallback = info.pfnComPropSheet;
    session->printerHandle = param.hPrinter;
    profile::CreateReaders(platform, *session);
    session->settingsChanged = 0;
    session->driverHelper = driverHelper;
    session->helpWindow = nullptr;
    session->helpTopicCount = 0;
    profile::InitializeSession(platform, *session);
    return session;
}

// Seeds the copy split from the private record when it agrees with the public copies.
void SeedCopies(profile::UiSession& session, const host::DEVMODEW* publicDm, const void* record) {
    const std::int16_t copies = publicDm != nullptr ? publicDm->dmCopies : 1;
    const auto grey = static_cast<std::int16_t>(devmode::Get(record, devmode::kGrayscaleCopies));
    const auto colour = static_cast<std::int16_t>(devmode::Get(record, devmode::kColorCopies));
    if (copies == grey + colour) {
        session.grayscaleCopies = grey;
        session.colorCopies = colour;
    } else {
        session.grayscaleCopies = 0;
        session.colorCopies = copies;
    }
    session.previousCopies = 0;
    session.currentCopies = copies;
}

host::HRESULT Initialise(const platform::Platform& platform, host::IPrintOemDriverUI* driverHelper,
                         host::PROPSHEETUI_INFO& info, Side side) {
    auto* param = reinterpret_cast<host::OEMUIPSPARAM*>(info.lParamInit);
    info.Result = OtherResult(side);
    if (param == nullptr) return host::kSOk;
    profile::UiSession* session = NewSheetSession(platform, driverHelper, info, *param);
    if (session == nullptr) {
        if (platform.lastError != nullptr) platform.lastError->Set(kErrorNotEnoughMemory);
        return host::kEFail;
    }
    void* record = param->pOEMDM;
    if (side == Side::kDocument && record != nullptr) {
        if (devmode::Get(record, devmode::kResolution) != 0) tree::BuildResolutionList(*session);
        session->switchSignature[0] = u'\0';
        if (session->profileReader != nullptr) {
            profile::ReadFeatureSwitches(*session->profileReader, session->switches);
        }
        profile::BuildSwitchSignature(session->switches, session->switchSignature);
        session->noPermission = (param->dwFlags & kNoPermissionFlag) != 0 ? 1 : 0;
        SeedCopies(*session, param->pPublicDM, record);
        session->sessionLink = devmode::RegisterSession(session);
        devmode::WriteSessionLink(record, session->sessionLink);
    }
    param->pOEMUserData = session;
    info.UserData = reinterpret_cast<host::ULONG_PTR>(session);
    if (side == Side::kDocument && record != nullptr) {
        tree::ComputeStorageState(platform, param->poemuiobj, record, *session);
        tree::BuildPrintModeList(*session);
    }
    AddPages(platform, *session);
    return host::kSOk;
}

void Destroy(const platform::Platform& platform, host::PROPSHEETUI_INFO& info, Side side) {
    auto* param = reinterpret_cast<host::OEMUIPSPARAM*>(info.lParamInit);
    auto* session =
        param != nullptr ? static_cast<profile::UiSession*>(param->pOEMUserData) : nullptr;
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
    }
    if (session != nullptr) {
        devmode::UnregisterSession(session->sessionLink);
        session->sessionLink = 0;
        profile::ReleaseReaders(*session);
    }
}

host::HRESULT Dispatch(const platform::Platform& platform, host::IPrintOemDriverUI* driverHelper,
                       host::PROPSHEETUI_INFO& info, host::LPARAM lParam, Side side) {
    switch (info.Reason) {
        case host::kPropSheetUiReasonInit:
            return Initialise(platform, driverHelper, info, side);
        case host::kPropSheetUiReasonGetInfoHeader: {
            auto* header = reinterpret_cast<host::PROPSHEETUI_INFO_HEADER*>(lParam);
            if (header != nullptr) header->pTitle = const_cast<char16_t*>(kSheetTitle);
            info.Result = 1;
            break;
        }
        case host::kPropSheetUiReasonDestroy:
            Destroy(platform, info, side);
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

host::HRESULT DocumentPropertySheets(const platform::Platform& platform,
                                     host::IPrintOemDriverUI* driverHelper,
                                     host::PROPSHEETUI_INFO& info, host::LPARAM lParam) {
    return Dispatch(platform, driverHelper, info, lParam, Side::kDocument);
}

host::HRESULT DevicePropertySheets(const platform::Platform& platform,
                                   host::IPrintOemDriverUI* driverHelper,
                                   host::PROPSHEETUI_INFO& info, host::LPARAM lParam) {
    return Dispatch(platform, driverHelper, info, lParam, Side::kDevice);
}

profile::UiSession* SessionOfRecord(const void* oemDevmode) {
    if (oemDevmode == nullptr) return nullptr;
    return static_cast<profile::UiSession*>(
        devmode::FindSession(devmode::ReadSessionLink(oemDevmode)));
}

}  // namespace ui
