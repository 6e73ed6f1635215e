// The texts of the plug-in's dialog templates. Each is a key of the dialog's section of the
// language text file: a dialog shows the key's value in place of the template text.
#pragma once

#include <span>
#include <string_view>

namespace modelcheck {

// When a dialog looks a template text up in its section.
enum class TextUse {
    kAlways,
    // "(0)": only when the passcode has one length; otherwise, and when the key is missing,
    // "(0-9)" stands in.
    kFixedLengthHint,
    // The Troubleshooting page's Job Lookout group: shown when TroubleLookout is on.
    kLookoutGroup,
    // "URL_<n>", the name of web link n: shown when its address "Ref_URL_<n>" exists.
    kWebLink,
    // The Troubleshooting page's Help button: read from [Custom Paper Dialog] for TALEN
    // models, the only ones that have the page.
    kCustomPaperHelp,
};

struct TemplateText {
    std::u16string_view text;
    TextUse use;
};

struct DialogTexts {
    std::u16string_view name;  // the section is "<name> Dialog"
    int templateId;            // the left-to-right template; its mirrored form has the same texts
    std::span<const TemplateText> texts;  // each text of the template's controls once
};

// Print and Hold, Job Accounting, Copies Setting, Troubleshooting, Job Lookout, About.
std::span<const DialogTexts> AllDialogTexts();

// The texts of the dialog `name` ("Hold", ...); null for a name without a template.
const DialogTexts* FindDialogTexts(std::u16string_view name);

}  // namespace modelcheck
