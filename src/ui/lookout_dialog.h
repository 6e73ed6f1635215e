// The settings of the job monitor "Job Lookout": whether it runs, and how many seconds lie
// between two of its questions to the printer. Both live in the printer data; the plug-in
// only keeps them valid and stores what the user chose.
#pragma once

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/dialog_ids.h"
#include "ui/session_dialog.h"

namespace ui {

// Moves the dialog so that its centre lies over the centre of its owner (each half taken
// with a division that truncates toward zero); size, z-order and activation stay. A dialog
// without an owner stays where the system put it.
void CentreOverOwner(Controls& controls);

// Opening repairs the stored values ("JLook_Enable" 0 or 1, else 1; "JLook_Timeout" 1 to 60,
// else 5) and writes the repaired ones back at once, also when the user then cancels. The
// interval field and its arrows follow each other: a typed number moves the arrows' position,
// and the arrows step from what was typed. OK stores the box and the interval, brought into
// 1 to 60; Cancel stores nothing more.
class LookoutPresenter final : public SessionDialog {
  public:
    LookoutPresenter(const platform::Platform& ports, profile::UiSession& session)
        : SessionDialog(ports, session) {}

    // The interval field's changes and loss of focus, OK and Cancel.
    bool OnCommand(Controls& controls, int id, int code) override;
    // The arrows, before they step: their position is first set to the typed number.
    NotifyAnswer OnNotify(Controls& controls, const Notification& notification) override;

  private:
    void Initialise(Controls& controls) override;
    void Confirm(Controls& controls);
    // The value stored under `name` when it lies within low..high; otherwise `fallback`,
    // which is then stored in its place.
    std::uint32_t StoredOrRepaired(std::u16string_view name, std::uint32_t low, std::uint32_t high,
                                   std::uint32_t fallback);
    void Store(std::u16string_view name, std::uint32_t value);
    // Sets the arrows' position while the field changes the position may cause are ignored.
    void Position(Controls& controls, int position);

    bool writing_ = false;  // inside the presenter's own writes to the field or the arrows
};

}  // namespace ui
