// The port through which dialog and page presenters act on their window's controls. The
// Win32 adapter works on a real dialog window; the native tests use a fake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/canvas.h"

namespace ui {

// One child control as the localisation walker sees it.
struct ChildControl {
    void* handle = nullptr;
    std::int32_t id = 0;
    std::u16string className;
    std::u16string text;
    std::uint32_t style = 0;
};

// The four input filters of edit fields.
enum class EditFilter { kName, kDigit, kAccountId, kAccountPassword };

// A date-time picker's value, as the platform's SYSTEMTIME holds it.
struct DateTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
    friend constexpr bool operator==(const DateTime&, const DateTime&) = default;
};

// Message box flags and answers, with the platform's values.
inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbYesNo = 0x4;
inline constexpr std::uint32_t kMbIconExclamation = 0x30;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The pointer shapes presenters set.
enum class Cursor { kArrow, kHand };

class Controls {
  public:
    virtual ~Controls() = default;

    // The dialog or page window itself.
    virtual void* Window() const = 0;
    virtual void SetCaption(std::u16string_view text) = 0;
    // Takes the title-bar help button away.
    virtual void RemoveHelpButton() = 0;
    virtual void EndDialog(int result) = 0;

    // Every child window, in the platform's enumeration order.
    virtual std::vector<ChildControl> Children() = 0;
    virtual void SetChildText(void* child, std::u16string_view text) = 0;
    virtual void EnableChild(void* child, bool enable) = 0;

    virtual std::u16string Text(int id) = 0;
    virtual void SetText(int id, std::u16string_view text) = 0;
    virtual void Show(int id, bool show) = 0;
    virtual void Enable(int id, bool enable) = 0;
    virtual bool IsEnabled(int id) = 0;
    virtual bool IsVisible(int id) = 0;
    virtual bool IsChecked(int id) = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual void SetLimit(int id, int units) = 0;

    // Combo boxes and list boxes.
    virtual void ClearItems(int id) = 0;
    virtual int AddItem(int id, std::u16string_view text) = 0;
    virtual void SetSelection(int id, int index) = 0;
    virtual int Selection(int id) = 0;

    // Up-down controls.
    virtual void SetUpDownRange(int id, int low, int high) = 0;
    virtual void SetUpDownPosition(int id, int position) = 0;
    virtual int UpDownPosition(int id) = 0;

    // Date-time pickers: false when the picker holds no value (or is no picker).
    virtual bool DateTimeValue(int id, DateTime* value) = 0;
    virtual void SetDateTimeValue(int id, const DateTime& value) = 0;

    // Timers of the window: each tick arrives as Presenter::OnTimer with the id.
    virtual bool StartTimer(std::uintptr_t timerId, std::uint32_t milliseconds) = 0;
    virtual void StopTimer(std::uintptr_t timerId) = 0;

    // Tooltips: a tooltip window owned by the dialog, and one tool per control.
    virtual void* CreateTooltips(bool rightToLeft) = 0;
    virtual void AddTooltip(void* tooltips, const ChildControl& child,
                            std::u16string_view text) = 0;
    // The dialog-owned tool of static control `id` covers the control where it now is when
    // `visible`, nothing otherwise (a hidden static must not show its tip).
    virtual void UpdateTooltipArea(void* tooltips, int id, bool visible) = 0;

    // Replaces an edit field's window procedure with one of the input filters.
    virtual void InstallEditFilter(int id, EditFilter filter) = 0;

    virtual int MessageBox(std::u16string_view text, std::u16string_view caption,
                           std::uint32_t flags) = 0;
    virtual void Beep() = 0;

    // Geometry. Control rectangles are in the dialog's client coordinates; window
    // rectangles on the screen. A control that does not exist has an empty rectangle.
    virtual Rect ControlRect(int id) = 0;
    virtual void MoveControl(int id, const Rect& area, bool redraw) = 0;
    virtual Rect WindowRect() = 0;
    // The owner's (or parent's) window rectangle; empty without one.
    virtual Rect OwnerWindowRect() = 0;
    virtual void MoveWindowTo(Point topLeft) = 0;
    // Resizes the dialog, its position kept, so that its client area has this size.
    virtual void SetClientSize(Size size) = 0;
    virtual void BringToForeground() = 0;
    // Switches the dialog's own right-to-left layout on or off (WS_EX_LAYOUTRTL), or clears
    // it on one control.
    virtual void ToggleRightToLeftLayout() = 0;
    virtual void ClearRightToLeftLayout(int id) = 0;

    // Text measured with the dialog's device context as it comes (no font selected).
    virtual Size MeasureText(std::u16string_view text) = 0;
    // Text measured in the font control `id` draws with.
    virtual Size MeasureControlText(int id, std::u16string_view text) = 0;
    // A copy of control `id`'s font, underlined and of weight 600; null when the font is
    // underlined already or cannot be made.
    virtual std::unique_ptr<Font> MakeLinkFont(int id) = 0;
    virtual void SetFont(int id, const Font& font, bool redraw) = 0;

    // The pointer's position in the dialog's client coordinates, and its shape.
    virtual Point PointerPosition() = 0;
    virtual void SetPointer(Cursor cursor) = 0;
    // Hands a mouse move over the dialog to its tooltip window, so that tools without the
    // subclass flag (the dialog's own) show their tips.
    virtual void RelayMouseMove(void* tooltips, Point at) = 0;

    // A bitmap file; null when it cannot be loaded.
    virtual std::unique_ptr<Picture> LoadPicture(std::u16string_view path) = 0;
};

}  // namespace ui
