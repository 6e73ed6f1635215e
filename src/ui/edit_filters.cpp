#include "ui/edit_filters.h"

#include <cstring>

namespace ui {

namespace {

bool IsDigit(std::uint32_t c) { return c >= '0' && c <= '9'; }

bool IsAsciiLetter(std::uint32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The sets without backspace; typed input adds it for the three fields that list it (the
// name set contains it anyway).
bool InSet(EditFilter filter, std::uint32_t c) {
    switch (filter) {
        case EditFilter::kName:
            return c >= 0x01 && c <= 0x7F && c != '/' && c != '\\';
        case EditFilter::kDigit:
            return IsDigit(c);
        case EditFilter::kAccountId:
            return IsDigit(c) || IsAsciiLetter(c) || c == '@' || c == '_' || c == '-' || c == '.';
        case EditFilter::kAccountPassword:
            return c >= 0x21 && c <= 0x7E;
    }
    return false;
}

}  // namespace

EditFilterTraits TraitsOf(EditFilter filter) {
    switch (filter) {
        case EditFilter::kName:
        case EditFilter::kAccountId:
            return {.hasPastePending = true,
                    .pasteLengthLimited = false,
                    .handlesCopyAndCut = true,
                    .takesUnicodeText = true};
        case EditFilter::kDigit:
            return {.hasPastePending = false,
                    .pasteLengthLimited = true,
                    .handlesCopyAndCut = false,
                    .takesUnicodeText = false};
        case EditFilter::kAccountPassword:
            return {.hasPastePending = false,
                    .pasteLengthLimited = true,
                    .handlesCopyAndCut = false,
                    .takesUnicodeText = true};
    }
    return {};
}

bool AcceptsTyped(EditFilter filter, std::uint32_t ch) {
    return ch == kBackspace || InSet(filter, ch);
}

bool AcceptsPasted(EditFilter filter, unsigned char byte) { return InSet(filter, byte); }

KeyAction OnKeyDown(EditFilter filter, std::uint32_t key, Modifiers modifiers,
                    EditFilterState& state) {
    if (!modifiers.leftCtrl || modifiers.alt) return KeyAction::kPassOn;
    if (key == kKeyV) {
        if (TraitsOf(filter).hasPastePending) state.pastePending = 1;
        return KeyAction::kFilteredPaste;
    }
    if (!TraitsOf(filter).handlesCopyAndCut) return KeyAction::kPassOn;
    if (key == kKeyC) return KeyAction::kCopyThenPassOn;
    if (key == kKeyX) return KeyAction::kCutThenPassOn;
    return KeyAction::kPassOn;
}

CharAction OnChar(EditFilter filter, std::uint32_t ch, EditFilterState& state) {
    if (TraitsOf(filter).hasPastePending && state.pastePending != 0) {
        state.pastePending = 0;
        return CharAction::kSwallow;
    }
    return AcceptsTyped(filter, ch) ? CharAction::kPassOn : CharAction::kSwallowWithBeep;
}

std::string_view ClipboardText(const char* block, std::size_t blockSize) {
    if (block == nullptr) return {};
    const std::size_t scan = blockSize < kMaxPasteBytes + 1 ? blockSize : kMaxPasteBytes + 1;
    const void* end = std::memchr(block, 0, scan);
    const std::size_t length =
        end ? static_cast<std::size_t>(static_cast<const char*>(end) - block) : scan;
    return {block, length};
}

PasteVerdict DecidePaste(EditFilter filter, std::string_view text, PasteLimits limits) {
    if (text.size() > kMaxPasteBytes) return PasteVerdict::kRefuse;
    if (TraitsOf(filter).pasteLengthLimited && limits.known) {
        const auto length = static_cast<long>(text.size());
        if (length < limits.minLength || length > limits.maxLength) return PasteVerdict::kRefuse;
    }
    for (char c : text) {
        if (c == '\0') break;
        if (!AcceptsPasted(filter, static_cast<unsigned char>(c))) return PasteVerdict::kRefuse;
    }
    return PasteVerdict::kInsert;
}

}  // namespace ui
