// The Troubleshooting property page: the job-monitor group (the link to the help topic of
// its last report, the Settings button), the printer's diagnostic pages printed as PJL jobs,
// up to six web links (some to the printer's own web pages at its network address), the
// About button, the maker's logo and Help.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/presenter.h"

namespace ui {

// Makes the presenter of a modal dialog that a button of the page opens.
using PageDialogFactory =
    std::function<std::unique_ptr<Presenter>(const platform::Platform&, profile::UiSession&)>;

// The dialogs the page opens; a button without a factory does nothing.
struct TroubleDialogs {
    PageDialogFactory lookoutSettings;  // "Settings...": the job-monitor settings
    PageDialogFactory about;            // "About"
};

// The plug-in's own job-monitor settings and About presenters.
TroubleDialogs StandardTroubleDialogs();

// A link value that holds this text is the address of one of the printer's own web pages.
inline constexpr std::u16string_view kPrinterPageTemplate = u"http://%s";

// Addresses and other texts of the page keep within 259 characters and a terminator.
inline constexpr std::size_t kPageTextUnits = 260;

// The maker's logo, "<driverDir><filePrefix>l.bmp"; empty when the path is longer than 259
// characters (it would name another file).
std::u16string LogoPicturePath(const profile::UiSession& session);

// The address a link opens: a value that holds "http://%s" gets the printer's address, as
// plain text, in place of that "%s"; any other "%" in the value stays as written. The
// result is cut to 259 characters.
std::u16string WebLinkAddress(std::u16string_view linkValue, std::u16string_view printerAddress);

// Opens an address in the user's browser; when the shell cannot, through Internet Explorer.
void OpenWebLink(platform::Shell* shell, std::u16string_view address, int show);

// A link control resized to its text: as wide and high as the text, its top kept, and its
// left edge moved right by half the width it loses (toward zero), so a centred text stays
// where it was.
Rect FitToText(const Rect& control, Size text);

class TroublePagePresenter final : public Presenter {
  public:
    TroublePagePresenter(const platform::Platform& platform, profile::UiSession* session,
                         TroubleDialogs dialogs = StandardTroubleDialogs());

    profile::UiSession* session() const override { return session_; }
    // Lays the page out for the model (the job-monitor group removed when the model has no
    // job monitor), localises it, finds the printer's address and disables the links that
    // need one when there is none, fills the diagnostic page list and styles the links.
    bool OnInit(Controls& controls) override;
    // Print, the links, Settings, About and Help.
    bool OnCommand(Controls& controls, int id, int code) override;
    // The sheet's help request opens the page's help; the sheet still gets its answer.
    NotifyAnswer OnNotify(Controls& controls, const Notification& notification) override;
    // The hand pointer over an enabled, visible link.
    bool OnSetCursor(Controls& controls, const CursorEvent& event) override;
    // Draws the logo into its static control.
    StaticColours OnControlColour(Controls& controls, int controlId, Canvas& canvas) override;
    // Releases the link font.
    void OnDestroy(Controls& controls) override;

  private:
    // The text of a key in the page's section of the language file; empty when missing.
    std::u16string PageText(std::u16string_view key) const;
    // The same, the key itself when missing.
    std::u16string PageTextOrKey(std::u16string_view key) const;
    // The web-link value of link n (1-6); empty when the key is missing.
    std::u16string LinkValue(int n) const;
    // The help topic of the job monitor's last report; false when it cannot be read.
    bool ReadLastTopic(std::u16string* topic) const;
    bool HasPrinterAddress() const;

    void CloseLookoutGap(Controls& controls);
    void FillDiagnosticList(Controls& controls);
    void StyleLinks(Controls& controls);
    void PrintSelectedPage(Controls& controls);
    void OpenLink(Controls& controls, int id);
    void OpenLastTopic(Controls& controls);
    void RunDialog(Controls& controls, int templateId, const PageDialogFactory& factory);
    void OpenPageHelp();
    // Makes the page the session's current dialog again.
    void EnterPage(Controls& controls);

    const platform::Platform& platform_;
    profile::UiSession* session_;
    TroubleDialogs dialogs_;
    std::int32_t lookout_ = 0;  // the model's TroubleLookout
    void* tooltips_ = nullptr;  // the page's own tooltip window
    std::unique_ptr<Font> linkFont_;
};

}  // namespace ui
