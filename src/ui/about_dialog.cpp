#include "ui/about_dialog.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "profile/bounded_text.h"
#include "ui/layout_direction.h"
#include "ui/localise.h"
#include "ui/lookout_dialog.h"

namespace ui {
namespace {

// Texts are read into buffers of 260 units: at most 259 characters and the terminator.
constexpr std::uint32_t kTextUnits = 260;
constexpr std::size_t kMostCharacters = kTextUnits - 1;
constexpr int kDetailLines = 10;

// The strip below the picture that holds OK, and OK's place and size in it.
constexpr int kButtonStrip = 48;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 12;
constexpr int kDetailsTop = 12;

constexpr std::uint32_t kWhite = Rgb(255, 255, 255);
const FontSpec kModelFont{u"Arial", 50, 800};
const FontSpec kDescriptionFont{u"Arial", 22, 700};
const FontSpec kLabelFont{u"Arial", 15, 700};
constexpr Point kModelAt{221, 50};
constexpr Point kDescriptionAt{221, 130};
constexpr Point kVisitLabelAt{19, 206};
constexpr Point kDetailsLabelAt{215, 206};

// A placeholder of the details lines and the version-file key whose value replaces it.
struct Placeholder {
    std::u16string_view mark;
    const char16_t* versionKey;
};

// Tried in this order; the first one a line holds is the one replaced.
constexpr Placeholder kPlaceholders[] = {
    {u"$DESCRIPTION", u"Description"}, {u"$MAINVERSION", u"MainVersion"},
    {u"$DRIVERNAME", u"DriverName"},   {u"$COMPANY", u"CompanyName"},
    {u"$COPYRIGHT", u"Copyright"},     {u"$COMMENT", u"Comments"},
};
constexpr Placeholder kTalenPlaceholders[] = {
    {u"$DESCRIPTION", u"Description"}, {u"%s", u"MainVersion"},
    {u"$MAINVERSION", u"MainVersion"}, {u"$DRIVERNAME", u"DriverName"},
    {u"$COMPANY", u"CompanyName"},     {u"$DRIVERCOPYRIGHT", u"DRIVERCOPYRIGHT"},
    {u"$COMMENT", u"Comments"},
};

// A key's text (missing or empty: `fallback`, or empty text without one).
std::u16string Read(const profile::ProfileReader& reader, std::u16string_view key,
                    const char16_t* fallback) {
    char16_t value[kTextUnits] = {};
    const std::uint32_t length = reader.ReadString(key, value, kTextUnits, fallback);
    return std::u16string(value, std::min<std::size_t>(length, kMostCharacters));
}

// At most `units` units, without a lone half of a surrogate pair at the cut.
std::u16string Cut(std::u16string text, std::size_t units) {
    if (text.size() <= units) return text;
    text.resize(units);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
    return text;
}

// Every line followed by CR LF, cut to 259 characters in all.
std::u16string DriverDetails(const profile::ProfileReader& texts,
                             const profile::ProfileReader& version, bool talen) {
    std::u16string details;
    for (int n = 1; n <= kDetailLines && details.size() <= kMostCharacters; ++n) {
        details += AboutDetailsLine(texts, version, talen, n);
        details += u"\r\n";
    }
    return Cut(std::move(details), kMostCharacters);
}

std::u16string_view Field(const char16_t (&field)[profile::kNameUnits]) {
    return {field, text::FieldLength(field, profile::kNameUnits)};
}

}  // namespace

std::u16string AboutDetailsLine(const profile::ProfileReader& texts,
                                const profile::ProfileReader& version, bool talen, int n) {
    char16_t key[16];
    text::Format(key, 16, u"M_Info%d", {n});
    const std::u16string line = Read(texts, key, nullptr);
    if (line.empty()) return {};
    return FillDetailsLine(line, version, talen);
}

std::u16string FillDetailsLine(std::u16string_view line, const profile::ProfileReader& version,
                               bool talen) {
    const std::span<const Placeholder> table =
        talen ? std::span<const Placeholder>(kTalenPlaceholders) : std::span(kPlaceholders);
    for (const Placeholder& placeholder : table) {
        const std::size_t at = line.find(placeholder.mark);
        if (at == std::u16string_view::npos) continue;
        const std::u16string value =
            Read(version, placeholder.versionKey, talen ? nullptr : placeholder.versionKey);
        if (talen && value.empty()) return {};
        std::u16string filled(line.substr(0, at));
        filled += value;
        filled += line.substr(at + placeholder.mark.size());
        return Cut(std::move(filled), kMostCharacters);
    }
    return talen ? std::u16string() : Cut(std::u16string(line), kMostCharacters);
}

std::u16string AboutPicturePath(const profile::UiSession& session) {
    // A path that does not fit would name another file: no picture then.
    std::u16string path(Field(session.driverDir));
    path += Field(session.filePrefix);
    path += u"Y.bmp";
    return path.size() <= kMostCharacters ? path : std::u16string();
}

void AboutPresenter::Initialise(Controls& controls) {
    profile::UiSession& s = session_;
    const bool rightToLeft = IsRightToLeft(ports_);
    EnterDialog(s, controls.Window(), IDD_ABOUT, u"About");
    // The template has no mirrored form: the dialog mirrors itself.
    if (rightToLeft) controls.ToggleRightToLeftLayout();

    // Readers that are missing read as files without the keys.
    const profile::ProfileReader none(nullptr);
    if (s.versionReader != nullptr) s.versionReader->SetSection(u"Version");
    const profile::ProfileReader& texts = s.textReader != nullptr ? *s.textReader : none;
    const profile::ProfileReader& version = s.versionReader != nullptr ? *s.versionReader : none;
    controls.SetCaption(Read(texts, u"Caption", u"Caption"));

    s.tooltipWindow = controls.CreateTooltips(rightToLeft);
    LocaliseDialog(controls, s);
    // The walk may have left the language reader in another section.
    if (s.textReader != nullptr) s.textReader->SetDialogSection(s.dialogName);

    const bool talen = s.brand == profile::kBrandTalen;
    if (!talen) {
        model_ = Read(version, u"Model", u"Model");
        description_ = Read(texts, u"Description", u"Description");
        visitLabel_ = Read(texts, u"Visit Vantora", u"Visit Vantora");
        detailsLabel_ = Read(texts, u"Driver Details", u"Driver Details");
    }
    controls.SetText(IDC_ABOUT_DETAILS, DriverDetails(texts, version, talen));

    picturePath_ = AboutPicturePath(s);

    FitToPicture(controls);
    // Mirrored, the placement above mirrors the left-to-right layout with the rest of the
    // dialog; nothing moves again.
    controls.BringToForeground();
    CentreOverOwner(controls);
}

void AboutPresenter::FitToPicture(Controls& controls) {
    if (picturePath_.empty()) return;
    const std::unique_ptr<Picture> picture = controls.LoadPicture(picturePath_);
    if (picture == nullptr) return;
    const Size size = picture->Dimensions();
    if (size.width <= 0 || size.height <= 0) return;
    const int w = size.width;
    const int h = size.height;
    controls.SetClientSize({w, h + kButtonStrip});
    const int buttonLeft = (w - kButtonWidth) / 2;
    const int buttonTop = h + kButtonGap;
    controls.MoveControl(
        IDC_DIALOG_OK,
        {buttonLeft, buttonTop, buttonLeft + kButtonWidth, buttonTop + kButtonHeight}, false);
    controls.MoveControl(IDC_ABOUT_DETAILS,
                         {w / 2, kDetailsTop, w / 2 + w / 2, kDetailsTop + h / 2}, false);
}

bool AboutPresenter::OnCommand(Controls& controls, int id, int code) {
    try {
        if (code != 0) return false;
        if (id == IDC_DIALOG_OK || id == IDC_DIALOG_CANCEL) {
            controls.EndDialog(id == IDC_DIALOG_OK ? kIdOk : kIdCancel);
        }
    } catch (...) {
    }
    return true;
}

Presenter::StaticColours AboutPresenter::OnControlColour(Controls&, int controlId, Canvas&) {
    return controlId == IDC_ABOUT_DETAILS ? StaticColours::kTransparent : StaticColours::kDefault;
}

void AboutPresenter::OnPaint(Controls& controls, Canvas& canvas) {
    try {
        canvas.Fill(canvas.Bounds(), kWhite);
        if (!picturePath_.empty()) {
            const std::unique_ptr<Picture> picture = controls.LoadPicture(picturePath_);
            if (picture != nullptr) canvas.DrawPicture(*picture, {0, 0});
        }
        if (session_.brand != profile::kBrandTalen) {
            canvas.TextAt(kModelAt, model_, kModelFont, kWhite);
            canvas.TextAt(kDescriptionAt, description_, kDescriptionFont, kWhite);
            canvas.TextAt(kVisitLabelAt, visitLabel_, kLabelFont, kWhite);
            canvas.TextAt(kDetailsLabelAt, detailsLabel_, kLabelFont, kWhite);
        }
    } catch (...) {
    }
}

bool AboutPresenter::OnMouseMove(Controls& controls, int x, int y) {
    try {
        controls.RelayMouseMove(session_.tooltipWindow, {x, y});
    } catch (...) {
    }
    return true;
}

}  // namespace ui
