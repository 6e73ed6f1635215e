#include "tree/document_callback.h"

#include <string>

#include "devmode/oem_devmode.h"
#include "profile/bounded_text.h"
#include "tree/custom_paper.h"
#include "tree/document_tree.h"
#include "tree/feature_options.h"
#include "ui/print_hold_dialog.h"
#include "ui/property_sheets.h"

namespace tree {
namespace {

constexpr std::uint8_t kNupBooklet = 6;
constexpr std::uint32_t kUserNameUnits = 20;

// One callback call: the host's blocks, the session and the record it works on.
class Call {
  public:
    Call(plugin::ProcessState& state, host::CPSUICBPARAM& callback, host::OEMCUIPPARAM& param,
         profile::UiSession& session)
        : state_(state),
          callback_(callback),
          param_(param),
          session_(session),
          record_(param.pOEMDM),
          publicDm_(*param.pPublicDM) {}

    host::LONG Dispatch() {
        switch (callback_.Reason) {
            case host::kCpsuicbReasonSelChanged:
                SelectionChanged();
                return host::kCpsuicbActionNone;
            case host::kCpsuicbReasonExtPush:
                CheckTrays();
                return host::kCpsuicbActionReinitItems;
            case host::kCpsuicbReasonApplyNow:
                Apply();
                return host::kCpsuicbActionNone;
            case host::kCpsuicbReasonSetActive:
                Activate();
                return host::kCpsuicbActionOptifChanged;
            case host::kCpsuicbReasonKillActive:
                Deactivate();
                return host::kCpsuicbActionNone;
            default:
                return host::kCpsuicbActionNone;
        }
    }

  private:
    bool Colour() const { return publicDm_.dmColor == host::kDmColorColor; }

    host::OPTITEM* Host(const char* keyword) {
        return FindDriverItem(param_.pDrvOptItems, param_.cDrvOptItems, keyword);
    }
    host::OPTITEM* HostById(std::uint8_t id) {
        return FindDriverItem(param_.pDrvOptItems, param_.cDrvOptItems, nullptr, id);
    }
    // The plug-in's own item n, when the host's array has it.
    host::OPTITEM* Own(std::uint32_t n) {
        if (param_.pOEMOptItems == nullptr || n >= param_.cOEMOptItems) return nullptr;
        return &param_.pOEMOptItems[n];
    }
    // True for an item of the host's own array. The plug-in's items carry the session in
    // their user data, which must never be read as a host feature's keyword.
    bool IsHostItem(const host::OPTITEM* item) const {
        return item != nullptr && param_.pDrvOptItems != nullptr && item >= param_.pDrvOptItems &&
               item < param_.pDrvOptItems + param_.cDrvOptItems;
    }
    void Select(const char* keyword, std::int32_t selection) {
        SelectDriverItemByName(param_, session_, keyword, selection, host::kOemCuipDocProp);
    }
    void SelectItem(host::OPTITEM* item, std::int32_t selection) {
        SelectDriverItem(session_.driverHelper, SessionUiObject(session_, param_), item, selection,
                         host::kOemCuipDocProp);
    }

    void CheckTrays() {
        if (session_.checkTraysForCustoms != 0) {
            CheckPaperAndSource(state_, callback_, param_, session_, record_);
        }
    }

    // The Copies Setting button is for colour printing only.
    void CopiesButtonFollowsColour() {
        if (session_.copiesSetting == 0) return;
        if (host::OPTITEM* copies = Own(kCopiesItem)) {
            if (Colour()) {
                copies->Flags &= ~host::kOptifDisabled;
            } else {
                copies->Flags |= host::kOptifDisabled;
            }
            copies->Flags |= host::kOptifChanged;
        }
    }

    void EnhanceGrayFollowsColour() {
        if (session_.grayscaleEnh == 0) return;
        if (host::OPTITEM* gray = Host("JCLEnhanceGray")) SetItemAvailable(gray, !Colour());
    }

    // Walks the host's SmartCMS items (they follow each other from "GraphicsSmartCMS1"),
    // skipping hidden ones, with each item's profile value.
    template <class Visit>
    void WalkSmartCms(Visit visit) {
        if (session_.profileReader == nullptr) return;
        host::OPTITEM* item = Host("GraphicsSmartCMS1");
        if (item == nullptr) return;
        session_.profileReader->SetSection(u"Common");
        host::OPTITEM* const end = param_.pDrvOptItems + param_.cDrvOptItems;
        for (std::uint32_t n = 1; n <= kSmartCmsFeatureCount && item < end; ++n, ++item) {
            if (ItemKeywordText(*item).find("GraphicsSmartCMS") == std::string_view::npos) break;
            if ((item->Flags & host::kOptifHide) != 0) continue;
            char16_t key[32];
            text::Format(key, 32, u"GraphicsSmartCMS%d", {static_cast<int>(n)});
            char16_t value[256];
            session_.profileReader->ReadString256(key, value);
            visit(*item, key, std::u16string_view(value));
        }
    }

    void RefreshSmartCms() {
        if (session_.useSmartCms == 0) return;
        WalkSmartCms([&](host::OPTITEM& item, const char16_t* key, std::u16string_view value) {
            ApplySmartCmsAvailability(Colour(), &item, value);
            std::string ascii;
            for (const char16_t* k = key; *k != u'\0'; ++k) ascii.push_back(static_cast<char>(*k));
            const std::int32_t selection = item.Sel;
            Select(ascii.c_str(), selection);
            ApplySmartCmsCodes(record_, value, selection);
        });
    }

    void StoreSmartCms() {
        if (session_.useSmartCms == 0) return;
        WalkSmartCms([&](host::OPTITEM& item, const char16_t*, std::u16string_view value) {
            ApplySmartCmsCodes(record_, value, item.Sel);
        });
    }

    // The public resolution item follows the Quality option that stands for 300 dpi.
    void ResolutionFollowUp() {
        host::OPTITEM* quality = Host("Quality");
        if (quality == nullptr || session_.resolution300Index == 0 ||
            session_.quality300Index == 0) {
            return;
        }
        SelectItem(HostById(host::kDmPubPrintQuality),
                   quality->Sel == session_.quality300Index ? session_.resolution300Index : 0);
    }

    void CopiesChanged() {
        host::OPTITEM* current = callback_.pCurItem;
        session_.previousCopies = static_cast<std::int16_t>(callback_.OldSel);
        session_.currentCopies = static_cast<std::int16_t>(current->Sel);
        if (session_.previousCopies == session_.currentCopies || session_.grayscaleCopies == 0) {
            devmode::Set(record_, devmode::kGrayscaleCopies, session_.grayscaleCopies);
            devmode::Set(record_, devmode::kColorCopies, session_.colorCopies);
            return;
        }
        char16_t title[256] = u"Warning";
        char16_t message[256] = u"CopiesChangedMsg";
        if (session_.textReader != nullptr) {
            session_.textReader->SetDialogSection(u"Paper");
            session_.textReader->ReadString256(u"Warning", title);
            session_.textReader->ReadString256(u"CopiesChangedMsg", message);
        }
        platform::Dialogs* dialogs = state_.ports().dialogs;
        for (host::DWORD i = 0; i < param_.cDrvOptItems && param_.pDrvOptItems != nullptr; ++i) {
            host::OPTITEM& item = param_.pDrvOptItems[i];
            if (item.DMPubID != host::kDmPubCopiesCollate) continue;
            const int answer = dialogs != nullptr ? dialogs->MessageBox(callback_.hDlg, message,
                                                                        title, ui::kMbYesNo)
                                                  : ui::kIdNo;
            if (answer == ui::kIdYes) {
                item.Sel = session_.currentCopies;
                publicDm_.dmCopies = session_.currentCopies;
                session_.grayscaleCopies = 0;
                devmode::Set(record_, devmode::kGrayscaleCopies, 0);
                session_.colorCopies = publicDm_.dmCopies;
                devmode::Set(record_, devmode::kColorCopies, session_.colorCopies);
            } else {
                item.Sel = session_.previousCopies;
                session_.currentCopies = session_.previousCopies;
                publicDm_.dmCopies = session_.previousCopies;
                devmode::Set(record_, devmode::kGrayscaleCopies, session_.grayscaleCopies);
                devmode::Set(record_, devmode::kColorCopies, session_.colorCopies);
            }
        }
    }

    void SelectionChanged() {
        CheckTrays();
        host::OPTITEM* current = callback_.pCurItem;
        if (current == nullptr) return;
        if (current->DMPubID == host::kDmPubColor) {
            Select("ColorMode", Colour() ? 1 : 0);
            CopiesButtonFollowsColour();
            EnhanceGrayFollowsColour();
            RefreshSmartCms();
        }
        if (session_.copiesSetting != 0 && current->DMPubID == host::kDmPubCopiesCollate) {
            CopiesChanged();
        }
        if (!IsHostItem(current)) return;
        const std::string_view keyword = ItemKeywordText(*current);
        if (keyword.find("GraphicsSmartCMS") != std::string_view::npos &&
            session_.profileReader != nullptr) {
            session_.profileReader->SetSection(u"Common");
            char16_t key[21] = {};
            for (std::size_t i = 0; i < keyword.size() && i < 20; ++i) {
                key[i] = static_cast<unsigned char>(keyword[i]);
            }
            char16_t value[256];
            session_.profileReader->ReadString256(key, value);
            ApplySmartCmsCodes(record_, value, current->Sel);
        }
        if (keyword == "Quality") ResolutionFollowUp();
    }

    // The user name the job monitor shows, under the per-user key the model names.
    void RecordJobMonitorUser() {
        if (session_.profileReader == nullptr || state_.ports().registry == nullptr) return;
        profile::ProfileReader& profile = *session_.profileReader;
        profile.SetSection(u"OEMFiles");
        if (profile.ReadInt(u"JobMointor", 0) == 0) return;
        char16_t path[256];
        profile.ReadString256(u"JobMointorPath", path);
        // An absent path reads back as its own key name: there is no key to write then.
        if (std::u16string_view(path) == u"JobMointorPath" || path[0] == u'\0') return;

        std::u16string name = devmode::GetText(record_, devmode::kUserId);
        if (name.empty()) {
            const platform::SystemInfo* system = state_.ports().system;
            name = system != nullptr ? system->UserName(kUserNameUnits + 1) : std::u16string();
            if (name.size() > kUserNameUnits) name.resize(kUserNameUnits);
            if (!ui::IsValidJobText(name, session_.koreanSupport, name.size())) name = u"Unknown";
        }
        const char16_t* printer = param_.pPrinterName;
        if (printer == nullptr) return;
        std::size_t printerUnits = 0;
        if (text::Length(printer, profile::kNameUnits, &printerUnits) != text::kOk) return;
        auto user =
            state_.ports().registry->OpenHive(platform::Hive::kCurrentUser, platform::kKeyWrite);
        if (!user) return;
        if (auto key = user->Create(path, platform::kKeyWrite)) {
            // The job monitor reads the name without a terminating zero.
            key->SetValue(std::u16string_view(printer, printerUnits), platform::kRegSz, name.data(),
                          static_cast<std::uint32_t>(name.size() * sizeof(char16_t)));
        }
    }

    void StoreStaple() {
        devmode::Set(record_, devmode::kStapleOn, SelectedStapleLocation(param_) != 0 ? 1 : 0);
    }

    void StoreRegionColour() {
        if (host::OPTITEM* region = Host("JCLRegionColor")) {
            devmode::Set(record_, devmode::kRegionColor, static_cast<std::uint8_t>(region->Sel));
        }
    }

    void StoreHoldItem() {
        if (host::OPTITEM* hold = Own(kHoldItem)) {
            devmode::Set(record_, devmode::kHoldItemValue, hold->Sel);
        }
    }

    void Apply() {
        StoreHoldItem();
        RecordJobMonitorUser();
        StoreStaple();

        // The copy split, within the copies the job asks for and only where it can print.
        if (session_.currentCopies < session_.grayscaleCopies) {
            session_.grayscaleCopies = 0;
            devmode::Set(record_, devmode::kGrayscaleCopies, 0);
        } else {
            devmode::Set(record_, devmode::kGrayscaleCopies, session_.grayscaleCopies);
            devmode::Set(record_, devmode::kColorCopies, session_.colorCopies);
        }
        if (devmode::Get(record_, devmode::kPrintModeCode) != 0) {
            session_.grayscaleCopies = 0;
            devmode::Set(record_, devmode::kGrayscaleCopies, 0);
        }
        if (!Colour() || publicDm_.dmCollate != host::kDmCollateTrue) {
            devmode::Set(record_, devmode::kGrayscaleCopies, 0);
        }

        if (host::OPTITEM* quality = Host("Quality")) {
            // A selection beyond the resolution list leaves the stored resolution as it is.
            const std::int32_t selection = quality->Sel;
            if (devmode::Get(record_, devmode::kResolution) != 0 && selection >= 0 &&
                selection < session_.resolutionCount &&
                selection < static_cast<std::int32_t>(profile::kMaxResolutions)) {
                devmode::Set(record_, devmode::kResolution,
                             static_cast<std::uint16_t>(session_.resolutionList[selection]));
            }
            ResolutionFollowUp();
        }
        const host::OPTITEM* nup = HostById(host::kDmPubNup);
        devmode::Set(record_, devmode::kBookletOn,
                     nup != nullptr && nup->Sel == kNupBooklet ? 1 : 0);
        StoreRegionColour();
        StoreSmartCms();
    }

    void Activate() {
        if (host::OPTITEM* hold = Own(kHoldItem)) {
            hold->Sel = devmode::Get(record_, devmode::kHoldItemValue);
            hold->Flags |= host::kOptifChanged;
        }
        // The push buttons open their dialogs with the sheet's session.
        for (std::uint32_t n = 0; n < param_.cOEMOptItems && param_.pOEMOptItems != nullptr; ++n) {
            host::OPTITEM& item = param_.pOEMOptItems[n];
            if (item.pOptType != nullptr && item.pOptType->Type == host::kTvotPushButton) {
                item.UserData = reinterpret_cast<host::ULONG_PTR>(&session_);
            }
        }
        CheckTrays();
        EnhanceGrayFollowsColour();
        CopiesButtonFollowsColour();
        if (host::OPTITEM* region = Host("JCLRegionColor")) {
            const std::uint8_t stored = devmode::Get(record_, devmode::kRegionColor);
            if (region->Sel != stored) SelectItem(region, stored);
        }
        RefreshSmartCms();
        CoupleResolution();
    }

    // Keeps the Quality option and the public resolution item telling the same story when
    // the page comes up again.
    void CoupleResolution() {
        const bool indexed = session_.resolution300Index != 0 || session_.quality300Index != 0;
        if (!indexed || session_.colorDevice == 0) return;
        host::OPTITEM* resolution = HostById(host::kDmPubPrintQuality);
        const bool raised = resolution != nullptr && resolution->Sel != 0;
        host::OPTITEM* quality = Host("Quality");
        if (quality == nullptr) return;
        if (session_.resolution300Index == 0 && session_.quality300Index != 0 && raised) {
            SelectItem(resolution, 0);
            SelectItem(quality, quality->Sel);
        } else if (session_.resolution300Index != 0 && session_.quality300Index != 0) {
            if (raised && quality->Sel != session_.quality300Index) {
                SelectItem(quality, session_.quality300Index);
            } else if (!raised && quality->Sel == session_.quality300Index) {
                SelectItem(quality, session_.quality300Index - 1);
            }
        }
    }

    void Deactivate() {
        StoreHoldItem();
        StoreStaple();
        StoreRegionColour();
        StoreSmartCms();
    }

    plugin::ProcessState& state_;
    host::CPSUICBPARAM& callback_;
    host::OEMCUIPPARAM& param_;
    profile::UiSession& session_;
    void* record_;
    host::DEVMODEW& publicDm_;
};

}  // namespace

host::LONG HandleDocumentTreeCallback(plugin::ProcessState& state, host::CPSUICBPARAM& callback,
                                      host::OEMCUIPPARAM& param, profile::UiSession& session) {
    if (param.pOEMDM == nullptr || param.pPublicDM == nullptr) return host::kCpsuicbActionNone;
    return Call(state, callback, param, session).Dispatch();
}

host::LONG HOST_CALL DocumentTreeCallback(host::CPSUICBPARAM* callback,
                                          host::OEMCUIPPARAM* param) noexcept {
    try {
        plugin::ProcessState* state = plugin::ProcessState::ForCallbacks();
        if (state == nullptr || callback == nullptr || param == nullptr ||
            param->pOEMDM == nullptr || param->pPublicDM == nullptr) {
            return host::kCpsuicbActionNone;
        }
        profile::UiSession* session = ui::SessionOfRecord(*state, param->pOEMDM);
        if (session == nullptr) return host::kCpsuicbActionNone;
        return HandleDocumentTreeCallback(*state, *callback, *param, *session);
    } catch (...) {
        return host::kCpsuicbActionNone;
    }
}

}  // namespace tree
