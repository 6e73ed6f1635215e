// A dialog or page presenter: receives the events of its window and acts on its controls.
// The one Win32 dialog procedure keeps the presenter in the window's user data, turns window
// messages into these events and carries out the answers. A presenter never lets an
// exception out; the procedure catches anything that still escapes.
#pragma once

#include <cstdint>

#include "ui/canvas.h"
#include "ui/controls.h"

namespace profile {
struct UiSession;
}

namespace ui {

// Notification codes the presenters look at, with the platform's values.
inline constexpr int kPsnSetActive = -200;
inline constexpr int kPsnKillActive = -201;
inline constexpr int kPsnApply = -202;
inline constexpr int kPsnReset = -203;
inline constexpr int kPsnHelp = -205;
inline constexpr int kUdnDeltaPos = -722;
inline constexpr int kDtnDateTimeChange = -759;

// A WM_NOTIFY: the sender's id and the code, with the data of the kinds that carry some.
struct Notification {
    int id = 0;
    int code = 0;
    // UDN_DELTAPOS: the up-down control's position and the change asked for.
    int upDownPosition = 0;
    int upDownDelta = 0;
    // DTN_DATETIMECHANGE: the picker's new value; `dateTimeValid` false when it has none.
    DateTime dateTime{};
    bool dateTimeValid = false;
};

// The answer to a notification: whether the presenter handled it (the dialog procedure's
// own answer) and, when handled, the value the sender reads back (DWLP_MSGRESULT).
struct NotifyAnswer {
    bool handled = false;
    std::intptr_t result = 0;
};

// What WM_SETCURSOR is about: the window under the pointer (its control id; 0 for the dialog
// itself), the hit-test code and the mouse message that caused it.
struct CursorEvent {
    int controlId = 0;
    int hitTest = 0;
    std::uint32_t mouseMessage = 0;
};

class Presenter {
  public:
    virtual ~Presenter() = default;

    // The working session of the sheet the window belongs to (may be null).
    virtual profile::UiSession* session() const = 0;

    // WM_INITDIALOG; the result is the dialog procedure's answer (true: default focus).
    virtual bool OnInit(Controls& controls) = 0;
    // WM_COMMAND with the control id and notification code; true when handled.
    virtual bool OnCommand(Controls&, int /*id*/, int /*code*/) { return false; }
    // WM_HELP for a control; true when handled.
    virtual bool OnHelp(Controls&, int /*controlId*/) { return false; }
    // WM_NOTIFY.
    virtual NotifyAnswer OnNotify(Controls&, const Notification&) { return {}; }
    // WM_SETCURSOR; true when the presenter set the cursor (the system then does nothing).
    virtual bool OnSetCursor(Controls&, const CursorEvent&) { return false; }
    // WM_CTLCOLORSTATIC for a static control, with the control's device context: the
    // presenter may draw into it; then either the default colours apply, or the control's
    // text is drawn on a transparent background.
    enum class StaticColours { kDefault, kTransparent };
    virtual StaticColours OnControlColour(Controls&, int /*controlId*/, Canvas&) {
        return StaticColours::kDefault;
    }
    // WM_PAINT, asked only of presenters that paint; the canvas covers the client area.
    virtual bool Paints() const { return false; }
    virtual void OnPaint(Controls&, Canvas&) {}
    // WM_MOUSEMOVE over the window itself, in client coordinates; true when handled.
    virtual bool OnMouseMove(Controls&, int /*x*/, int /*y*/) { return false; }
    // WM_TIMER for a timer started with Controls::StartTimer; true when handled.
    virtual bool OnTimer(Controls&, std::uintptr_t /*timerId*/) { return false; }
    // WM_DESTROY: the window is going away.
    virtual void OnDestroy(Controls&) {}
};

}  // namespace ui
