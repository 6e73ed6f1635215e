#include "ui/trouble_page.h"

#include <algorithm>
#include <array>

#include "autoconfig/printer_address.h"
#include "profile/bounded_text.h"
#include "ui/about_dialog.h"
#include "ui/diagnostic_pages.h"
#include "ui/layout_direction.h"
#include "ui/localise.h"
#include "ui/lookout_dialog.h"

namespace ui {
namespace {

constexpr char16_t kPageName[] = u"Troubleshooting";
constexpr int kShowCommand = 5;  // SW_SHOW
constexpr int kStaticClicked = 0;
constexpr std::uint32_t kTopicBytes = kPageTextUnits * sizeof(char16_t);

// The page's control groups, each in its fixed order.
constexpr std::array kLookoutGroup = {IDC_TROUBLE_LOOKOUT_GROUP, IDC_TROUBLE_LOOKOUT_INTRO,
                                      IDC_TROUBLE_LOOKOUT_LAST_TOPIC, IDC_TROUBLE_LOOKOUT_SETTINGS};
constexpr std::array kDiagnosticGroup = {IDC_TROUBLE_DIAG_GROUP, IDC_TROUBLE_DIAG_INTRO,
                                         IDC_TROUBLE_DIAG_LIST, IDC_TROUBLE_DIAG_PRINT};
constexpr std::array kLinkGroup = {IDC_TROUBLE_LINKS_GROUP, IDC_TROUBLE_LINK_1, IDC_TROUBLE_LINK_2,
                                   IDC_TROUBLE_LINK_3,      IDC_TROUBLE_LINK_4, IDC_TROUBLE_LINK_5,
                                   IDC_TROUBLE_LINK_6};
// Links 1-6; link n is paired with the key "Ref_URL_<n>".
constexpr std::array kWebLinks = {IDC_TROUBLE_LINK_1, IDC_TROUBLE_LINK_2, IDC_TROUBLE_LINK_3,
                                  IDC_TROUBLE_LINK_4, IDC_TROUBLE_LINK_5, IDC_TROUBLE_LINK_6};
// Every control that shows the hand pointer, in the order they are looked at.
constexpr std::array kPointerLinks = {IDC_TROUBLE_LOOKOUT_LAST_TOPIC,
                                      IDC_TROUBLE_LINK_1,
                                      IDC_TROUBLE_LINK_2,
                                      IDC_TROUBLE_LINK_3,
                                      IDC_TROUBLE_LINK_4,
                                      IDC_TROUBLE_LINK_5,
                                      IDC_TROUBLE_LINK_6};

Point TopLeft(const Rect& r) { return {r.left, r.top}; }

Rect Moved(const Rect& r, Point by) {
    return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

template <class Make>
PageDialogFactory FactoryOf() {
    return [](const platform::Platform& ports,
              profile::UiSession& session) -> std::unique_ptr<Presenter> {
        return std::make_unique<Make>(ports, session);
    };
}

}  // namespace

TroubleDialogs StandardTroubleDialogs() {
    return {FactoryOf<LookoutPresenter>(), FactoryOf<AboutPresenter>()};
}

std::u16string LogoPicturePath(const profile::UiSession& session) {
    char16_t path[kPageTextUnits];
    if (text::Format(path, kPageTextUnits, u"%s%sl.bmp", {session.driverDir, session.filePrefix}) !=
        text::kOk) {
        return {};
    }
    return path;
}

std::u16string WebLinkAddress(std::u16string_view linkValue, std::u16string_view printerAddress) {
    std::u16string address(linkValue);
    const std::size_t at = address.find(kPrinterPageTemplate);
    if (at != std::u16string::npos) {
        // Only the "%s" of the template, and only as text: nothing else is expanded.
        address.replace(at + kPrinterPageTemplate.size() - 2, 2, printerAddress);
    }
    if (address.size() > kPageTextUnits - 1) address.resize(kPageTextUnits - 1);
    return address;
}

void OpenWebLink(platform::Shell* shell, std::u16string_view address, int show) {
    if (shell == nullptr) return;
    if (shell->Open(address, show) <= 32) shell->OpenWith(u"IEXPLORE.EXE", address, show);
}

Rect FitToText(const Rect& control, Size text) {
    const int left = control.left + (control.right - control.left - text.width) / 2;
    return {left, control.top, left + text.width, control.top + text.height};
}

TroublePagePresenter::TroublePagePresenter(const platform::Platform& platform,
                                           profile::UiSession* session, TroubleDialogs dialogs)
    : platform_(platform), session_(session), dialogs_(std::move(dialogs)) {}

bool TroublePagePresenter::OnInit(Controls& controls) {
    if (session_ == nullptr) return true;
    try {
        profile::UiSession& session = *session_;
        if (session.profileReader != nullptr) {
            session.profileReader->SetSection(u"Common");
            lookout_ = session.profileReader->ReadInt(u"TroubleLookout", 0);
        }
        // Before the walk, so that the tools it files cover the controls where they end up.
        if (lookout_ == 0) CloseLookoutGap(controls);
        EnterDialog(session, controls.Window(), DialogTemplate(platform_, IDD_TROUBLESHOOTING),
                    kPageName);
        tooltips_ = controls.CreateTooltips(IsRightToLeft(platform_));
        session.tooltipWindow = tooltips_;
        LocaliseDialog(controls, session);
        if (lookout_ == 0) {
            // The hidden texts' tools would otherwise show over the groups that moved up.
            controls.UpdateTooltipArea(tooltips_, IDC_TROUBLE_LOOKOUT_INTRO, false);
            controls.UpdateTooltipArea(tooltips_, IDC_TROUBLE_LOOKOUT_LAST_TOPIC, false);
        }

        autoconfig::FindPrinterAddress(platform_, session.printerHandle, session.printerAddress);
        if (!HasPrinterAddress()) {
            for (std::size_t i = 0; i < kWebLinks.size(); ++i) {
                if (LinkValue(static_cast<int>(i) + 1).find(kPrinterPageTemplate) !=
                    std::u16string::npos) {
                    controls.Enable(kWebLinks[i], false);
                }
            }
        }
        if (lookout_ == 1 && !ReadLastTopic(nullptr)) {
            controls.Enable(IDC_TROUBLE_LOOKOUT_LAST_TOPIC, false);
        }
        FillDiagnosticList(controls);
        StyleLinks(controls);
    } catch (...) {
    }
    return true;
}

void TroublePagePresenter::CloseLookoutGap(Controls& controls) {
    // Both offsets come from where the groups are before anything moves.
    const Point lookout = TopLeft(controls.ControlRect(IDC_TROUBLE_LOOKOUT_GROUP));
    const Point diagnostic = TopLeft(controls.ControlRect(IDC_TROUBLE_DIAG_GROUP));
    const Point links = TopLeft(controls.ControlRect(IDC_TROUBLE_LINKS_GROUP));
    const Point diagnosticUp{lookout.x - diagnostic.x, lookout.y - diagnostic.y};
    const Point linksUp{diagnostic.x - links.x, diagnostic.y - links.y};
    for (int id : kLookoutGroup) controls.Show(id, false);
    for (int id : kDiagnosticGroup) {
        controls.MoveControl(id, Moved(controls.ControlRect(id), diagnosticUp), true);
        controls.Show(id, true);
    }
    for (int id : kLinkGroup) {
        controls.MoveControl(id, Moved(controls.ControlRect(id), linksUp), true);
        controls.Show(id, true);
    }
}

void TroublePagePresenter::FillDiagnosticList(Controls& controls) {
    if (session_->profileReader == nullptr) return;
    profile::ProfileReader& profile = *session_->profileReader;
    profile.SetSection(u"Common");
    char16_t list[kPageTextUnits];
    // A missing list reads as its key, which names no page.
    profile.ReadString(u"TestPages", list, kPageTextUnits, u"TestPages");
    bool any = false;
    for (int number : DiagnosticPageNumbers(list)) {
        controls.AddItem(IDC_TROUBLE_DIAG_LIST, PageTextOrKey(kDiagnosticPages[number - 1].key));
        any = true;
    }
    if (any) controls.SetSelection(IDC_TROUBLE_DIAG_LIST, 0);
}

void TroublePagePresenter::StyleLinks(Controls& controls) {
    std::vector<int> styled(kWebLinks.begin(), kWebLinks.end());
    // Only a monitor link that depends on the last report looks like a link.
    if (lookout_ == 1) styled.push_back(IDC_TROUBLE_LOOKOUT_LAST_TOPIC);
    linkFont_ = controls.MakeLinkFont(IDC_TROUBLE_LINK_1);
    if (linkFont_ != nullptr) {
        for (int id : styled) controls.SetFont(id, *linkFont_, true);
    }
    for (int id : styled) {
        const Size text = controls.MeasureControlText(id, controls.Text(id));
        controls.MoveControl(id, FitToText(controls.ControlRect(id), text), true);
    }
    for (std::size_t i = 0; i < kWebLinks.size(); ++i) {
        if (!LinkValue(static_cast<int>(i) + 1).empty()) continue;
        controls.Show(kWebLinks[i], false);
        controls.UpdateTooltipArea(tooltips_, kWebLinks[i], false);
    }
}

bool TroublePagePresenter::OnCommand(Controls& controls, int id, int code) {
    if (session_ == nullptr) return false;
    try {
        switch (id) {
            case IDC_TROUBLE_DIAG_PRINT:
                PrintSelectedPage(controls);
                return true;
            case IDC_TROUBLE_LINK_1:
            case IDC_TROUBLE_LINK_2:
            case IDC_TROUBLE_LINK_3:
            case IDC_TROUBLE_LINK_4:
            case IDC_TROUBLE_LINK_5:
            case IDC_TROUBLE_LINK_6:
                if (code != kStaticClicked) return false;
                OpenLink(controls, id);
                return true;
            case IDC_TROUBLE_LOOKOUT_LAST_TOPIC:
                OpenLastTopic(controls);
                return true;
            case IDC_TROUBLE_LOOKOUT_SETTINGS:
                RunDialog(controls, IDD_LOOKOUT_SETTINGS, dialogs_.lookoutSettings);
                return true;
            case IDC_TROUBLE_ABOUT:
                RunDialog(controls, IDD_ABOUT, dialogs_.about);
                return true;
            case IDC_TROUBLE_HELP:
                OpenPageHelp();
                return true;
            default:
                return false;
        }
    } catch (...) {
        return true;
    }
}

void TroublePagePresenter::PrintSelectedPage(Controls& controls) {
    const int index = controls.Selection(IDC_TROUBLE_DIAG_LIST);
    // A driver with a printer description can print the first ten entries only.
    const int last = session_->isPpdDriver != 0 ? 9 : 10;
    if (index < 0 || index > last) return;
    // The entry's page is the one whose display text it shows; the last such page wins.
    const std::u16string shown = controls.Text(IDC_TROUBLE_DIAG_LIST);
    std::u16string_view command;
    for (const DiagnosticPage& page : kDiagnosticPages) {
        if (PageTextOrKey(page.key) == shown) command = page.command;
    }
    const std::string ansi = platform_.system != nullptr
                                 ? platform_.system->ToAnsi(command, kDiagnosticJobBytes)
                                 : std::string();
    const std::string job = DiagnosticJob(ansi);
    SendDiagnosticJob(platform_, session_->printerHandle, job.data(), job.size());
}

void TroublePagePresenter::OpenLink(Controls& controls, int id) {
    if (!controls.IsEnabled(id)) return;
    const auto n =
        static_cast<int>(std::find(kWebLinks.begin(), kWebLinks.end(), id) - kWebLinks.begin() + 1);
    const std::u16string value = LinkValue(n);
    if (value.empty()) return;
    const bool printerPage = value.find(kPrinterPageTemplate) != std::u16string::npos;
    if (printerPage && !HasPrinterAddress()) return;
    OpenWebLink(platform_.shell, WebLinkAddress(value, session_->printerAddress), kShowCommand);
}

void TroublePagePresenter::OpenLastTopic(Controls& controls) {
    if (!controls.IsEnabled(IDC_TROUBLE_LOOKOUT_LAST_TOPIC)) return;
    std::u16string topic;
    if (!ReadLastTopic(&topic) || platform_.help == nullptr) return;
    char16_t address[kPageTextUnits];
    text::Format(address, kPageTextUnits, u"%s%s", {session_->driverDir, topic});
    void* window = platform_.help->HtmlHelp(nullptr, address, platform::kHhDisplayTopic, 0);
    if (window != nullptr) session_->helpWindow = window;
}

void TroublePagePresenter::RunDialog(Controls& controls, int templateId,
                                     const PageDialogFactory& factory) {
    if (!factory || platform_.dialogs == nullptr) return;
    std::unique_ptr<Presenter> presenter = factory(platform_, *session_);
    if (presenter == nullptr) return;
    platform_.dialogs->RunModal(DialogTemplate(platform_, templateId), controls.Window(),
                                *presenter);
    EnterPage(controls);
}

void TroublePagePresenter::EnterPage(Controls& controls) {
    EnterDialog(*session_, controls.Window(), DialogTemplate(platform_, IDD_TROUBLESHOOTING),
                kPageName);
    // The dialog's tooltip window went with it.
    session_->tooltipWindow = tooltips_;
}

void TroublePagePresenter::OpenPageHelp() {
    if (platform_.help == nullptr) return;
    char16_t address[kPageTextUnits];
    text::Format(
        address, kPageTextUnits, u"%s%s.chm::\\%s\\%s",
        {session_->driverDir, session_->filePrefix, u"troublesh_tab", u"troubleshooting_tab.htm"});
    void* window = platform_.help->HtmlHelp(nullptr, address, platform::kHhDisplayTopic, 0);
    if (window != nullptr) session_->helpWindow = window;
}

NotifyAnswer TroublePagePresenter::OnNotify(Controls&, const Notification& notification) {
    try {
        if (session_ != nullptr && notification.code == kPsnHelp) OpenPageHelp();
    } catch (...) {
    }
    return {};
}

bool TroublePagePresenter::OnSetCursor(Controls& controls, const CursorEvent&) {
    if (session_ == nullptr) return false;
    try {
        const Point pointer = controls.PointerPosition();
        for (int id : kPointerLinks) {
            if (!controls.IsVisible(id) || !controls.IsEnabled(id)) continue;
            if (!Contains(controls.ControlRect(id), pointer)) continue;
            controls.SetPointer(Cursor::kHand);
            return true;
        }
    } catch (...) {
    }
    // Anywhere else the system sets the pointer of the window under it.
    return false;
}

Presenter::StaticColours TroublePagePresenter::OnControlColour(Controls& controls, int controlId,
                                                               Canvas& canvas) {
    if (session_ == nullptr || controlId != IDC_TROUBLE_LOGO) return StaticColours::kDefault;
    try {
        // The logo is never mirrored.
        if (IsRightToLeft(platform_)) controls.ClearRightToLeftLayout(IDC_TROUBLE_LOGO);
        const std::u16string path = LogoPicturePath(*session_);
        if (path.empty()) return StaticColours::kDefault;
        const std::unique_ptr<Picture> logo = controls.LoadPicture(path);
        if (logo == nullptr) return StaticColours::kDefault;
        const Size size = logo->Dimensions();
        const Rect place = controls.ControlRect(IDC_TROUBLE_LOGO);
        if (size.width > place.right - place.left || size.height > place.bottom - place.top) {
            controls.MoveControl(
                IDC_TROUBLE_LOGO,
                {place.left, place.top, place.left + size.width, place.top + size.height}, true);
        }
        canvas.DrawPictureTransparent(*logo, {0, 0});
    } catch (...) {
    }
    return StaticColours::kDefault;
}

void TroublePagePresenter::OnDestroy(Controls&) { linkFont_.reset(); }

std::u16string TroublePagePresenter::PageText(std::u16string_view key) const {
    if (session_->textReader == nullptr) return {};
    session_->textReader->SetDialogSection(kPageName);
    char16_t value[kPageTextUnits];
    session_->textReader->ReadString(key, value, kPageTextUnits, nullptr);
    return value;
}

std::u16string TroublePagePresenter::PageTextOrKey(std::u16string_view key) const {
    std::u16string value = PageText(key);
    return value.empty() ? std::u16string(key) : value;
}

std::u16string TroublePagePresenter::LinkValue(int n) const {
    char16_t key[16];
    text::Format(key, 16, u"Ref_URL_%d", {n});
    return PageText(key);
}

bool TroublePagePresenter::ReadLastTopic(std::u16string* topic) const {
    if (platform_.spooler == nullptr) return false;
    char16_t value[kPageTextUnits] = {};
    std::uint32_t type = 0;
    std::uint32_t stored = 0;
    if (platform_.spooler->ReadPrinterData(session_->printerHandle, u"JLook_LastInfo", &type, value,
                                           kTopicBytes, &stored) != 0) {
        return false;
    }
    // Whatever its type, the value is text up to its terminator, cut to 259 characters.
    const std::size_t units = std::min<std::size_t>(stored / sizeof(char16_t), kPageTextUnits - 1);
    const std::u16string_view read(value, text::FieldLength(value, units));
    if (read.empty()) return false;  // an empty topic names no help page
    if (topic != nullptr) topic->assign(read);
    return true;
}

bool TroublePagePresenter::HasPrinterAddress() const {
    // An address that was found but is empty counts as none.
    return session_->printerAddress[0] != u'\0';
}

}  // namespace ui
