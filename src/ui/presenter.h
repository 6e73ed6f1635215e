// A dialog or page presenter: receives the events of its window and acts on its controls.
// The Win32 dialog procedure keeps the presenter in the window's user data.
#pragma once

#include <cstdint>

#include "ui/controls.h"

namespace profile {
struct UiSession;
}

namespace ui {

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
    // WM_NOTIFY with the sender's id and code; the value is the dialog procedure's answer.
    virtual std::intptr_t OnNotify(Controls&, int /*id*/, int /*code*/) { return 0; }
    // WM_DESTROY: the window is going away.
    virtual void OnDestroy(Controls&) {}
};

}  // namespace ui
