#include "ui/localise.h"

#include <string>

#include "profile/bounded_text.h"
#include "ui/dialog_ids.h"
#include "ui/text_format.h"

namespace ui {
namespace {

constexpr std::uint32_t kTextUnits = 256;
// Controls whose texts the walker treats specially. Control 1001 is read from the custom
// paper section for the TALEN brand in whichever dialog carries it.
constexpr int kPasscodeHintLow = IDC_HOLD_PASSCODE_HINT_FIXED;
constexpr int kPasscodeHintHigh = IDC_HOLD_CONFIRM_HINT_FIXED;
constexpr int kPasscodeLabelFirst = IDC_HOLD_PASSCODE_HINT_RANGE;
constexpr int kPasscodeLabelSecond = IDC_HOLD_CONFIRM_HINT_RANGE;
constexpr int kCustomPaperText = 1001;

std::u16string Read(const profile::ProfileReader& reader, std::u16string_view key,
                    const char16_t* fallback) {
    char16_t value[kTextUnits];
    const std::u16string k(key);
    reader.ReadString(k, value, kTextUnits, fallback);
    return value;
}

// The text of a key, the key itself when missing.
std::u16string ReadOrKey(const profile::ProfileReader& reader, std::u16string_view key) {
    const std::u16string k(key);
    return Read(reader, k, k.c_str());
}

std::u16string KeyWith(std::u16string_view format, std::u16string_view text) {
    char16_t key[kTextUnits];
    text::Format(key, kTextUnits, format, {text});
    return key;
}

std::u16string ClassKey(std::u16string_view format, const ChildControl& child) {
    char16_t key[kTextUnits];
    text::Format(key, kTextUnits, format, {child.className, child.id});
    return key;
}

bool IsOneOf(std::u16string_view name, std::initializer_list<std::u16string_view> names) {
    for (std::u16string_view n : names) {
        if (name == n) return true;
    }
    return false;
}

void SelectDialogSection(profile::UiSession& session) {
    if (session.textReader != nullptr) session.textReader->SetDialogSection(session.dialogName);
}

}  // namespace

void EnterDialog(profile::UiSession& session, void* window, int templateId,
                 const char16_t* dialogName) {
    session.dialogWindow = window;
    session.dialogTemplateId = templateId;
    text::Copy(session.dialogName, profile::kDialogNameUnits, dialogName);
    SelectDialogSection(session);
}

void RegisterHelpTopic(profile::UiSession& session, const char16_t* text,
                       const ChildControl* control, int fallbackId) {
    if (session.textReader == nullptr) return;
    profile::ProfileReader& reader = *session.textReader;
    std::u16string topic;
    if (text != nullptr) {
        SelectDialogSection(session);
        const std::u16string key = KeyWith(u"%s topic", text);
        topic = Read(reader, key, nullptr);
        if (topic.empty()) {
            reader.SetSection(u"Common");
            topic = Read(reader, key, nullptr);
        }
    }
    if (topic.empty() && control != nullptr &&
        IsOneOf(control->className, {u"ComboBox", u"Edit", u"ListBox"})) {
        SelectDialogSection(session);
        topic = Read(reader, ClassKey(u"%s:%d topic", *control), nullptr);
    }
    if (topic.empty()) return;
    if (session.helpTopicCount < 0 ||
        static_cast<std::size_t>(session.helpTopicCount) >= profile::kMaxHelpTopics) {
        return;
    }
    // Lookups find the first topic filed for an id: a later one could never be found. Every
    // opening of a dialog files its controls again, so without this check a few openings
    // would fill the table, and a dialog opened after them would have no help at all.
    const int id = control != nullptr ? control->id : fallbackId;
    for (int i = 0; i < session.helpTopicCount; ++i) {
        if (session.helpTopics[i].controlId == id) return;
    }
    profile::HelpTopic& entry = session.helpTopics[session.helpTopicCount++];
    entry.controlId = id;
    text::Copy(entry.topic, profile::kHelpTopicUnits, topic);
}

bool ShowControlHelp(platform::HelpService* help, profile::UiSession& session, int controlId) {
    const int count = session.helpTopicCount;
    for (int i = 0; i < count && i < static_cast<int>(profile::kMaxHelpTopics); ++i) {
        const profile::HelpTopic& entry = session.helpTopics[i];
        if (entry.controlId != controlId) continue;
        char16_t address[256];
        const std::size_t topicUnits = text::FieldLength(entry.topic, profile::kHelpTopicUnits);
        text::Format(address, 256, u"%s::/%s#%s",
                     {session.helpFile, std::u16string_view(entry.topic, topicUnits),
                      session.switchSignature});
        session.helpWindow = help != nullptr ? help->HtmlHelp(session.dialogWindow, address,
                                                              platform::kHhDisplayTopic, 0)
                                             : nullptr;
        return session.helpWindow != nullptr;
    }
    return session.helpWindow != nullptr;
}

void LocaliseChildControl(Controls& controls, profile::UiSession& session,
                          const ChildControl& child) {
    SelectDialogSection(session);
    std::u16string key = child.text;
    const bool hasText = !child.text.empty();
    if (session.textReader != nullptr && hasText &&
        !IsOneOf(child.className, {u"Edit", u"SysDateTimePick32"})) {
        profile::ProfileReader& reader = *session.textReader;
        std::u16string displayed;
        const bool passcodeHint = child.id == kPasscodeHintLow || child.id == kPasscodeHintHigh;
        if (passcodeHint) {
            // "(0)" is only looked up when the passcode has one fixed length.
            const std::u16string exact = session.minPasscodeLength == session.maxPasscodeLength
                                             ? Read(reader, u"(0)", nullptr)
                                             : std::u16string();
            if (!exact.empty()) {
                key = u"(0)";
                displayed = exact;
            } else {
                key = u"(0-9)";
            }
        }
        if (displayed.empty()) displayed = ReadOrKey(reader, key);
        std::u16string tooltip = Read(reader, KeyWith(u"%s tooltip", key), nullptr);
        const bool holdDialog = session.dialogTemplateId == IDD_PRINT_HOLD ||
                                session.dialogTemplateId == IDD_PRINT_HOLD_RTL;
        if (holdDialog &&
            (passcodeHint || child.id == kPasscodeLabelFirst || child.id == kPasscodeLabelSecond)) {
            displayed = FormatWithIntegers(displayed,
                                           {session.minPasscodeLength, session.maxPasscodeLength});
            tooltip =
                FormatWithIntegers(tooltip, {session.minPasscodeLength, session.maxPasscodeLength});
        }
        if (session.brand == profile::kBrandTalen && child.id == kCustomPaperText) {
            reader.SetSection(u"Custom Paper Dialog");
            displayed = ReadOrKey(reader, key);
            SelectDialogSection(session);
        }
        controls.SetChildText(child.handle, displayed);
        controls.AddTooltip(session.tooltipWindow, child, tooltip);
    }
    if (session.textReader != nullptr &&
        IsOneOf(child.className,
                {u"ComboBox", u"Edit", u"SysDateTimePick32", u"ListBox", u"msctls_updown32"})) {
        const std::u16string classTip =
            Read(*session.textReader, ClassKey(u"%s:%d tooltip", child), nullptr);
        if (!classTip.empty()) controls.AddTooltip(session.tooltipWindow, child, classTip);
    }
    RegisterHelpTopic(session, hasText ? key.c_str() : nullptr, &child, 0);
    if (session.noPermission != 0) controls.EnableChild(child.handle, false);
}

void LocaliseDialog(Controls& controls, profile::UiSession& session) {
    for (const ChildControl& child : controls.Children()) {
        LocaliseChildControl(controls, session, child);
    }
}

void ShowInvalidPasscode(Controls& controls, profile::UiSession& session, int minLength,
                         int maxLength) {
    constexpr std::uint32_t kMessageUnits = 260;
    // The value of a key in the dialog's section; `fallback` when it is missing.
    const auto read = [&session](const char16_t* key, const char16_t* fallback) {
        char16_t value[kMessageUnits] = {};
        if (session.textReader != nullptr) {
            SelectDialogSection(session);
            session.textReader->ReadString(key, value, kMessageUnits, fallback);
        } else if (fallback != nullptr) {
            text::Copy(value, kMessageUnits, fallback);
        }
        return std::u16string(value);
    };
    const std::u16string caption = read(u"Invalid Passcode", u"Invalid Passcode");
    std::u16string format;
    if (minLength == maxLength) format = read(u"InvalidPasscode2Msg", nullptr);
    if (format.empty()) format = read(u"InvalidPasscodeMsg", u"InvalidPasscodeMsg");
    std::u16string message = FormatWithIntegers(format, {minLength, maxLength});
    if (message.size() > kMessageUnits - 1) message.resize(kMessageUnits - 1);
    controls.MessageBox(message, caption, kMbOk | kMbIconExclamation);
}

void StartDialog(const platform::Platform& platform, Controls& controls,
                 profile::UiSession& session, int templateId, const char16_t* dialogName) {
    EnterDialog(session, controls.Window(), templateId, dialogName);
    if (session.textReader != nullptr)
        controls.SetCaption(ReadOrKey(*session.textReader, u"Caption"));
    if (platform.system != nullptr && platform.system->WindowsMajorVersion() > 5) {
        controls.RemoveHelpButton();
    }
    session.tooltipWindow = controls.CreateTooltips(IsRightToLeft(platform));
    RegisterHelpTopic(session, u"Caption", nullptr, templateId);
    LocaliseDialog(controls, session);
}

}  // namespace ui
