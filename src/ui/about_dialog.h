// The About dialog: the driver's identity on a picture of the model, with a block of driver
// details whose lines come from the language file and whose placeholders are filled from the
// version file.
#pragma once

#include <string>
#include <string_view>

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/session_dialog.h"

namespace ui {

// The model's picture, "<driverDir><filePrefix>Y.bmp"; empty when the path is longer than 259
// characters.
std::u16string AboutPicturePath(const profile::UiSession& session);

// Details line n (1 to 10): "M_Info<n>" of the language file's current section with its
// first placeholder (in table order) replaced by the version file's value, as text. Brands
// other than TALEN show a missing value's key name and keep lines without a placeholder;
// TALEN shows such lines, and lines whose value is missing, as empty lines.
std::u16string AboutDetailsLine(const profile::ProfileReader& texts,
                                const profile::ProfileReader& version, bool talen, int n);

// The same for a line given as text: its first placeholder (tried in the brand's table order)
// replaced by the version file's value. At most 259 characters, never ending in half a
// surrogate pair where it was cut.
std::u16string FillDetailsLine(std::u16string_view line, const profile::ProfileReader& version,
                               bool talen);

// The dialog takes the size of the model's picture ("<driverDir><filePrefix>Y.bmp"): its
// client area is the picture with a 48-pixel strip below for OK, and the details fill the
// picture's upper right quarter. Without a picture the template's layout stays.
//
// The details are ten lines, "M_Info1" to "M_Info10" of the language file, each with its
// first placeholder replaced by a version-file value as plain text (a "%s" or "%20" that a
// model writes is never read as a format); at most 259 characters in all. Brands other than
// TALEN also get the model name, the description and two labels painted in white on the
// picture. Nothing is changed; OK and Cancel only close the dialog.
class AboutPresenter final : public SessionDialog {
  public:
    AboutPresenter(const platform::Platform& ports, profile::UiSession& session)
        : SessionDialog(ports, session) {}

    bool OnCommand(Controls& controls, int id, int code) override;
    // The details are drawn on the picture, without a background of their own.
    StaticColours OnControlColour(Controls& controls, int controlId, Canvas& canvas) override;
    bool Paints() const override { return true; }
    // White, the picture (loaded for the paint and released after it), and for brands other
    // than TALEN the painted texts, each in a font made and released for it.
    void OnPaint(Controls& controls, Canvas& canvas) override;
    // The dialog's own tools (the static details) show their tips from relayed moves.
    bool OnMouseMove(Controls& controls, int x, int y) override;

  private:
    void Initialise(Controls& controls) override;
    // The dialog sets no focus of its own.
    bool TakesDefaultFocus() const override { return false; }
    // Sizes the dialog and places OK and the details for the picture, when it loads.
    void FitToPicture(Controls& controls);

    // Read once at set-up: the model files do not change while the dialog is open, and the
    // paint then never moves the session's readers to other sections.
    std::u16string picturePath_;  // empty when the path does not fit
    std::u16string model_;
    std::u16string description_;
    std::u16string visitLabel_;
    std::u16string detailsLabel_;
};

}  // namespace ui
