// The edit filters' paste decision on arbitrary clipboard blocks: any bytes, any block size,
// with or without a terminator, for each of the four filters and any passcode limits. Input:
// the filter, whether limits are known, the two limits, the block size the clipboard reports,
// then the block's bytes. Checked: the text taken never reaches past the block or its first
// NUL and is never longer than the bound that keeps over-long texts over-long; a paste is
// accepted exactly when it is short enough, within the limits of a limited field, and made
// only of the bytes the field takes.

#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ui/edit_filters.h"

namespace {

// The bytes each field takes from the clipboard.
bool Pastable(ui::EditFilter filter, unsigned char b) {
    const bool digit = b >= '0' && b <= '9';
    const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
    switch (filter) {
        case ui::EditFilter::kName:
            return b <= 0x7F && b != '/' && b != '\\';
        case ui::EditFilter::kDigit:
            return digit;
        case ui::EditFilter::kAccountId:
            return digit || letter || b == '@' || b == '_' || b == '-' || b == '.';
        case ui::EditFilter::kAccountPassword:
            return b >= 0x21 && b <= 0x7E;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const auto filter = static_cast<ui::EditFilter>(input.Byte() % ui::kEditFilterCount);
    ui::PasteLimits limits;
    limits.known = (input.Byte() & 1) != 0;
    limits.minLength = static_cast<std::int16_t>(input.U16());
    limits.maxLength = static_cast<std::int16_t>(input.U16());
    const std::uint32_t reported = input.U32();
    const std::string_view bytes = input.Rest();

    // The block, exactly as large as its bytes; the clipboard may report fewer.
    std::vector<char> block(bytes.begin(), bytes.end());
    const std::size_t blockSize = std::min<std::size_t>(reported, block.size());
    const std::string_view text =
        ui::ClipboardText(block.empty() ? nullptr : block.data(), blockSize);
    FUZZ_CHECK(text.size() <= blockSize && text.size() <= ui::kMaxPasteBytes + 1);
    FUZZ_CHECK(text.empty() || text.data() == block.data());
    FUZZ_CHECK(text.find('\0') == std::string_view::npos);
    if (text.size() < std::min(blockSize, ui::kMaxPasteBytes + 1)) {
        FUZZ_CHECK(block[text.size()] == '\0');
    }

    const ui::PasteVerdict verdict = ui::DecidePaste(filter, text, limits);
    const bool allowed = std::all_of(text.begin(), text.end(), [&](char c) {
        return Pastable(filter, static_cast<unsigned char>(c));
    });
    const bool limited = ui::TraitsOf(filter).pasteLengthLimited && limits.known;
    const auto length = static_cast<long>(text.size());
    const bool fits = !limited || (length >= limits.minLength && length <= limits.maxLength);
    const bool expected = text.size() <= ui::kMaxPasteBytes && fits && allowed;
    FUZZ_CHECK((verdict == ui::PasteVerdict::kInsert) == expected);

    // The same bytes straight from the input, NULs and all: accepted only up to the first NUL.
    const ui::PasteVerdict raw = ui::DecidePaste(filter, bytes, limits);
    if (raw == ui::PasteVerdict::kInsert) FUZZ_CHECK(bytes.size() <= ui::kMaxPasteBytes);
    return 0;
}
