// Localisation of dialog controls from the language text file, their tooltips, and the
// context-help topics filed for them.
#pragma once

#include <cstdint>

#include "platform/ports.h"
#include "profile/ui_session.h"
#include "ui/controls.h"
#include "ui/layout_direction.h"

namespace ui {

// Records the open dialog in the session and selects its section of the language file.
void EnterDialog(profile::UiSession& session, void* window, int templateId,
                 const char16_t* dialogName);

// Replaces one child control's text from the language file, adds its tooltips, files its
// help topic and disables it when the user may not change settings.
void LocaliseChildControl(Controls& controls, profile::UiSession& session,
                          const ChildControl& child);
// Walks every child control of the dialog.
void LocaliseDialog(Controls& controls, profile::UiSession& session);

// Files the help topic of `text` (or of the control's class and id) for the control, or
// for fallbackId without a control. Filing stops when the table is full, so the first
// topic filed for an id keeps answering.
void RegisterHelpTopic(profile::UiSession& session, const char16_t* text,
                       const ChildControl* control, int fallbackId);

// Opens the filed topic of a control; true when a help window is open.
bool ShowControlHelp(platform::HelpService* help, profile::UiSession& session, int controlId);

// Tells the user that a passcode or password entry was refused, from the dialog's section:
// caption "Invalid Passcode"; for equal limits the text "InvalidPasscode2Msg" (when present),
// otherwise "InvalidPasscodeMsg". The text is a format from a model file: it is expanded
// with the two limits as integers only, and cut to 259 characters.
void ShowInvalidPasscode(Controls& controls, profile::UiSession& session, int minLength,
                         int maxLength);

// The common start of every modal plug-in dialog: caption from the section's "Caption", no
// title-bar help button on systems after version 5, tooltips, the dialog-level help topic
// (filed under the template id), and the walk.
void StartDialog(const platform::Platform& platform, Controls& controls,
                 profile::UiSession& session, int templateId, const char16_t* dialogName);

}  // namespace ui
