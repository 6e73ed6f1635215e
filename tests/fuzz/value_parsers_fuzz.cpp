// The parsers of single model-profile values on arbitrary text: job-setting lists and the
// print modes they offer, a tray's "Customs" range, SmartCMS codes and the record bits they
// address, and the TestPages list. The first byte picks the parser; the rest is the value,
// decoded as profile files are (so any UTF-16 text can be had through a byte-order mark).
// Checked: every number and entry within the range the parser promises, nothing written
// outside the SmartCMS bits, results that agree with the list they came from.

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "devmode/oem_devmode.h"
#include "fuzz/fuzz_support.h"
#include "profile/job_setting_list.h"
#include "profile/tray_table.h"
#include "tree/feature_options.h"
#include "ui/diagnostic_pages.h"

namespace {

// Pieces of a list between its separators (how many numbers it can give at most).
std::size_t Pieces(std::u16string_view text, std::u16string_view separators) {
    std::size_t pieces = 0;
    bool inPiece = false;
    for (char16_t c : text) {
        const bool separator = separators.find(c) != std::u16string_view::npos;
        if (!separator && !inPiece) ++pieces;
        inPiece = !separator;
    }
    return pieces;
}

void JobSettingList(std::u16string_view text) {
    std::vector<std::int32_t> numbers;
    profile::ForEachListNumber(text, [&](std::int32_t n) {
        FUZZ_CHECK(n >= 0);
        numbers.push_back(n);
        return true;
    });
    FUZZ_CHECK(numbers.size() == Pieces(text, u":;, \t"));

    // The modes are the list's numbers 1 to 6, in order, at most six of them.
    profile::PrintModeEntry entries[profile::kMaxPrintModes];
    std::memset(entries, 0xA5, sizeof entries);
    const std::int32_t count = tree::ParsePrintModes(text, entries);
    std::vector<std::int32_t> modes;
    for (std::int32_t n : numbers) {
        if (n >= 1 && n <= 6 && modes.size() < profile::kMaxPrintModes) modes.push_back(n - 1);
    }
    FUZZ_CHECK(count == static_cast<std::int32_t>(modes.size()));
    for (std::size_t i = 0; i < profile::kMaxPrintModes; ++i) {
        const bool used = i < modes.size();
        FUZZ_CHECK(entries[i].mode == (used ? modes[i] : 0));
        FUZZ_CHECK(entries[i].position == (used ? static_cast<std::int16_t>(i) : 0));
    }
}

void Customs(std::u16string_view text) {
    const profile::TrayLimits r = profile::ParseTrayRange(text);
    const std::array<std::uint32_t, 4> values{r.minWidth, r.maxWidth, r.minHeight, r.maxHeight};
    // All four or none: a range that accepts every size, or four sizes in whole tenths of a
    // millimetre that each appear in the text.
    const bool none = std::all_of(values.begin(), values.end(), [](auto v) { return v == 0; });
    if (none) return;
    for (std::uint32_t v : values) {
        FUZZ_CHECK(v != 0 && v % 100 == 0);
        const std::string digits = std::to_string(v / 100);
        FUZZ_CHECK(text.find(std::u16string(digits.begin(), digits.end())) !=
                   std::u16string_view::npos);
    }
}

void SmartCms(std::u16string_view text, std::uint8_t selection) {
    std::array<unsigned char, devmode::kSize> record;
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<unsigned char>(i * 7);
    const auto before = record;
    tree::ApplySmartCmsCodes(record.data(), text, selection);
    // Only the bits' bytes change, each changed two-bit field now holds the feature's state,
    // and a value addresses at most two fields.
    const unsigned state = selection != 0 ? 1 : 0;
    int changedFields = 0;
    for (std::size_t i = 0; i < record.size(); ++i) {
        const bool inBits = i >= devmode::kSmartCmsBits.offset &&
                            i < devmode::kSmartCmsBits.offset + devmode::kSmartCmsBits.width;
        if (!inBits) {
            FUZZ_CHECK(record[i] == before[i]);
            continue;
        }
        for (int shift = 0; shift < 8; shift += 2) {
            const unsigned now = (record[i] >> shift) & 3u;
            if (now != ((before[i] >> shift) & 3u)) {
                FUZZ_CHECK(now == state);
                ++changedFields;
            }
        }
    }
    FUZZ_CHECK(changedFields <= 2);
    // A value without its separator has no code for that colour mode.
    const tree::SmartCmsCodes codes = tree::ParseSmartCmsCodes(text);
    if (text.find(u',') == std::u16string_view::npos) FUZZ_CHECK(codes.colour == 0);
    if (text.find(u':') == std::u16string_view::npos) FUZZ_CHECK(codes.grey == 0);
    tree::ApplySmartCmsCodes(nullptr, text, selection);
}

void TestPages(std::u16string_view text) {
    const std::vector<int> pages = ui::DiagnosticPageNumbers(text);
    FUZZ_CHECK(pages.size() <=
               static_cast<std::size_t>(std::count(text.begin(), text.end(), u',')) + 1);
    for (int page : pages) FUZZ_CHECK(page >= 1 && page <= ui::kDiagnosticPageCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::uint8_t parser = input.Byte();
    const std::uint8_t extra = input.Byte();
    const std::u16string text = fuzz::Text(input.Rest());
    switch (parser % 4) {
        case 0:
            JobSettingList(text);
            break;
        case 1:
            Customs(text);
            break;
        case 2:
            SmartCms(text, extra);
            break;
        default:
            TestPages(text);
            break;
    }
    return 0;
}
