#include "modelcheck/dialog_texts.h"

#include <array>

#include "ui/dialog_ids.h"

namespace modelcheck {
namespace {

constexpr TemplateText kHold[] = {
    {u"Options", TextUse::kAlways},
    {u"Print Mode", TextUse::kAlways},
    {u"Store Print Job", TextUse::kAlways},
    {u"Store in Public", TextUse::kAlways},
    {u"Print At", TextUse::kAlways},
    {u"User ID", TextUse::kAlways},
    {u"(A-Z, 0-9)", TextUse::kAlways},
    {u"Job Name", TextUse::kAlways},
    {u"Enter Passcode", TextUse::kAlways},
    {u"(0)", TextUse::kFixedLengthHint},
    {u"(0-9)", TextUse::kAlways},
    {u"Confirm Passcode", TextUse::kAlways},
    {u"OK", TextUse::kAlways},
    {u"Cancel", TextUse::kAlways},
    {u"Help", TextUse::kAlways},
};

constexpr TemplateText kJobAccounting[] = {
    {u"Options", TextUse::kAlways},
    {u"User ID", TextUse::kAlways},
    {u"(4-32 Alphanumeric)", TextUse::kAlways},
    {u"Enter Password", TextUse::kAlways},
    {u"(4-32 Alphanumeric)(1)", TextUse::kAlways},
    {u"Confirm Password", TextUse::kAlways},
    {u"(4-32 Alphanumeric)(2)", TextUse::kAlways},
    {u"OK", TextUse::kAlways},
    {u"Cancel", TextUse::kAlways},
    {u"Help", TextUse::kAlways},
};

constexpr TemplateText kCopies[] = {
    {u"Copies", TextUse::kAlways},    {u"Color", TextUse::kAlways}, {u"of", TextUse::kAlways},
    {u"Grayscale", TextUse::kAlways}, {u"OK", TextUse::kAlways},    {u"Cancel", TextUse::kAlways},
    {u"Help", TextUse::kAlways},
};

constexpr TemplateText kTroubleshooting[] = {
    {u"Job Lookout", TextUse::kLookoutGroup},
    {u"Job Lookout checks your print job ahead of printing and warns you of problems that "
     u"might keep the job from completing.",
     TextUse::kLookoutGroup},
    {u"View Last Job Lookout Help Topic", TextUse::kLookoutGroup},
    {u"Settings...", TextUse::kLookoutGroup},
    {u"Internal and Diagnostic Printer Pages", TextUse::kAlways},
    {u"To print diagnostic or other internal page, or to perform diagnostic actions, select an "
     u"item from the list below and click Print.",
     TextUse::kAlways},
    {u"Print", TextUse::kAlways},
    {u"Web Links", TextUse::kAlways},
    {u"URL_1", TextUse::kWebLink},
    {u"URL_2", TextUse::kWebLink},
    {u"URL_3", TextUse::kWebLink},
    {u"URL_4", TextUse::kWebLink},
    {u"URL_5", TextUse::kWebLink},
    {u"URL_6", TextUse::kWebLink},
    {u"About", TextUse::kAlways},
    {u"Help", TextUse::kCustomPaperHelp},
};

constexpr TemplateText kLookout[] = {
    {u"Enable Job Lookout", TextUse::kAlways},
    {u"Polling Interval (1-60 sec)", TextUse::kAlways},
    {u"OK", TextUse::kAlways},
    {u"Cancel", TextUse::kAlways},
};

constexpr TemplateText kAbout[] = {
    {u"OK", TextUse::kAlways},
};

constexpr std::array<DialogTexts, 6> kDialogs = {{
    {u"Hold", IDD_PRINT_HOLD, kHold},
    {u"Job Accounting", IDD_JOB_ACCOUNTING, kJobAccounting},
    {u"Copies", IDD_COPIES_SETTING, kCopies},
    {u"Troubleshooting", IDD_TROUBLESHOOTING, kTroubleshooting},
    {u"Lookout", IDD_LOOKOUT_SETTINGS, kLookout},
    {u"About", IDD_ABOUT, kAbout},
}};

}  // namespace

std::span<const DialogTexts> AllDialogTexts() { return kDialogs; }

const DialogTexts* FindDialogTexts(std::u16string_view name) {
    for (const DialogTexts& dialog : kDialogs) {
        if (dialog.name == name) return &dialog;
    }
    return nullptr;
}

}  // namespace modelcheck
