// Dialogs and pages on Win32: the Controls and Canvas adapters over a dialog window, and the
// one dialog procedure that hands window messages to presenters, for modal dialogs and
// property pages alike.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/ports.h"
#include "ui/canvas.h"
#include "ui/controls.h"
#include "ui/presenter.h"

namespace win32 {

class Win32SheetPages;

// What the dialog procedure finds at WM_INITDIALOG: a modal dialog's presenter, or a page's
// presenter factory. Modal dialogs pass it as DialogBoxParamW's parameter; pages keep it in
// their description's lParam.
struct DialogBinding {
    static constexpr std::uint32_t kMagic = 0x42564C43;  // "CLVB"
    std::uint32_t magic = kMagic;
    ui::Presenter* presenter = nullptr;  // modal dialogs: borrowed for the dialog's life
    platform::PresenterFactory factory;  // pages: makes the presenter the page window owns
    Win32SheetPages* pages = nullptr;    // pages: the adapter that tracks the binding
};

// The dialog procedure of every plug-in dialog and page. The window's user data (DWLP_USER)
// is its presenter from WM_INITDIALOG on; messages that arrive before are left to the
// system. Nothing thrown inside ever leaves it.
INT_PTR CALLBACK PresenterDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;

// The page callback (PSP_USECALLBACK): ends the page's binding when the host releases it.
UINT CALLBACK PresenterPageCallback(HWND window, UINT message, LPPROPSHEETPAGEW page) noexcept;

// The presenter a dialog window keeps, or null.
ui::Presenter* PresenterOf(HWND dialog);

// Runs a modal dialog of `module`'s template inside `activationContext` (may be null).
INT_PTR RunPresenterDialog(HMODULE module, HANDLE activationContext, int templateId, HWND owner,
                           ui::Presenter& presenter);

// Calls `visit` for every child window of `parent`. An exception thrown by `visit` ends the
// walk and is swallowed inside the enumeration callback (it must never unwind through the
// system's frames); false then, true when every child was visited.
bool EnumerateChildren(HWND parent, const std::function<void(const ui::ChildControl&)>& visit);

class Win32Controls final : public ui::Controls {
  public:
    Win32Controls(HWND dialog, HMODULE module) : dialog_(dialog), module_(module) {}

    void* Window() const override { return dialog_; }
    void SetCaption(std::u16string_view text) override;
    void RemoveHelpButton() override;
    void EndDialog(int result) override;
    std::vector<ui::ChildControl> Children() override;
    void SetChildText(void* child, std::u16string_view text) override;
    void EnableChild(void* child, bool enable) override;
    std::u16string Text(int id) override;
    void SetText(int id, std::u16string_view text) override;
    void Show(int id, bool show) override;
    void Enable(int id, bool enable) override;
    bool IsEnabled(int id) override;
    bool IsVisible(int id) override;
    bool IsChecked(int id) override;
    void SetCheck(int id, bool checked) override;
    void SetLimit(int id, int units) override;
    void ClearItems(int id) override;
    int AddItem(int id, std::u16string_view text) override;
    void SetSelection(int id, int index) override;
    int Selection(int id) override;
    void SetUpDownRange(int id, int low, int high) override;
    void SetUpDownPosition(int id, int position) override;
    int UpDownPosition(int id) override;
    bool DateTimeValue(int id, ui::DateTime* value) override;
    void SetDateTimeValue(int id, const ui::DateTime& value) override;
    bool StartTimer(std::uintptr_t timerId, std::uint32_t milliseconds) override;
    void StopTimer(std::uintptr_t timerId) override;
    void* CreateTooltips(bool rightToLeft) override;
    void AddTooltip(void* tooltips, const ui::ChildControl& child,
                    std::u16string_view text) override;
    void UpdateTooltipArea(void* tooltips, int id, bool visible) override;
    void InstallEditFilter(int id, ui::EditFilter filter) override;
    int MessageBox(std::u16string_view text, std::u16string_view caption,
                   std::uint32_t flags) override;
    void Beep() override;
    ui::Rect ControlRect(int id) override;
    void MoveControl(int id, const ui::Rect& area, bool redraw) override;
    ui::Rect WindowRect() override;
    ui::Rect OwnerWindowRect() override;
    void MoveWindowTo(ui::Point topLeft) override;
    void SetClientSize(ui::Size size) override;
    void BringToForeground() override;
    void ToggleRightToLeftLayout() override;
    void ClearRightToLeftLayout(int id) override;
    ui::Size MeasureText(std::u16string_view text) override;
    ui::Size MeasureControlText(int id, std::u16string_view text) override;
    std::unique_ptr<ui::Font> MakeLinkFont(int id) override;
    void SetFont(int id, const ui::Font& font, bool redraw) override;
    ui::Point PointerPosition() override;
    void SetPointer(ui::Cursor cursor) override;
    void RelayMouseMove(void* tooltips, ui::Point at) override;
    std::unique_ptr<ui::Picture> LoadPicture(std::u16string_view path) override;

  private:
    bool IsComboBox(HWND control) const;

    HWND dialog_;
    HMODULE module_;
};

// A device context as a canvas; `bounds` is the area painted, in the context's coordinates.
class Win32Canvas final : public ui::Canvas {
  public:
    Win32Canvas(HDC dc, const RECT& bounds) : dc_(dc), bounds_(bounds) {}
    ui::Rect Bounds() const override;
    void Fill(const ui::Rect& area, std::uint32_t colour) override;
    void Text(const ui::Rect& area, std::u16string_view text, std::uint32_t format) override;
    void TextAt(ui::Point at, std::u16string_view text, const ui::FontSpec& font,
                std::uint32_t colour) override;
    void DrawPicture(const ui::Picture& picture, ui::Point at) override;
    void DrawPictureTransparent(const ui::Picture& picture, ui::Point at) override;

  private:
    HDC dc_;
    RECT bounds_;
};

}  // namespace win32
