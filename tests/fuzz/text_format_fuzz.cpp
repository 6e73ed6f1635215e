// The bounded formatter with arbitrary formats, arguments and destination sizes, and the
// integer-only formatting of model texts. Checked: nothing is written past the destination,
// the destination is terminated, a smaller destination gets a prefix of what a larger one
// gets and is reported as cut exactly when it is, the output is bounded by the format and
// the arguments, a format with no arguments only loses the "%" of "%%", and model texts show
// numbers only where they have integer conversions; the conversions reported as unfilled are
// the ones the output shows as written.

#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "profile/bounded_text.h"
#include "ui/text_format.h"

namespace {

constexpr char16_t kUntouched = 0xA5A5;
// Each conversion writes at most 512 units of padding and a number of 21 characters.
constexpr std::size_t kMostPerConversion = 512 + 21;

std::size_t Percents(std::u16string_view s) { return std::count(s.begin(), s.end(), u'%'); }

std::u16string WithoutPercent(std::u16string_view s) {
    std::u16string out;
    for (char16_t c : s) {
        if (c != u'%') out.push_back(c);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::size_t argCount = input.Byte() % 6;
    const std::size_t destUnits = input.U16() % 1200;
    std::vector<std::uint8_t> kinds;
    std::vector<std::uint64_t> numbers;
    for (std::size_t i = 0; i < argCount; ++i) {
        kinds.push_back(input.Byte() % 3);
        numbers.push_back(input.U64());
    }
    // The format, then one part for each text argument.
    const std::vector<std::string_view> parts = fuzz::Split(input.Rest(), 1 + argCount);
    const std::u16string format = fuzz::Text(parts[0]);
    std::vector<std::u16string> texts;
    std::vector<text::FormatArg> args;
    texts.reserve(argCount);
    std::size_t bound = format.size();
    for (std::size_t i = 0; i < argCount; ++i) {
        if (kinds[i] == 0) {
            args.emplace_back(static_cast<long long>(numbers[i]));
        } else if (kinds[i] == 1) {
            args.emplace_back(static_cast<unsigned long long>(numbers[i]));
        } else {
            texts.push_back(fuzz::Text(parts[1 + i]));
            args.emplace_back(std::u16string_view(texts.back()));
            bound += texts.back().size();
        }
        bound += kMostPerConversion;
    }

    // Everything the format makes, in a destination that takes it all; written twice over
    // different fillings, so the first unit both runs left alone ends what was written.
    std::vector<char16_t> whole(bound + 2, kUntouched);
    std::vector<char16_t> again(bound + 2, u'\x5A5A');
    FUZZ_CHECK(text::Format(whole.data(), whole.size(), format, args.data(), args.size()) ==
               text::kOk);
    text::Format(again.data(), again.size(), format, args.data(), args.size());
    const std::size_t written =
        std::mismatch(whole.begin(), whole.end(), again.begin()).first - whole.begin();
    FUZZ_CHECK(written >= 1 && written <= bound + 1);
    const std::size_t length = written - 1;
    FUZZ_CHECK(whole[length] == u'\0');

    // The destination the input asks for; a copy on the heap, exactly that large.
    std::vector<char16_t> dest(destUnits + 4, kUntouched);
    const text::Result result = text::Format(destUnits != 0 ? dest.data() : nullptr, destUnits,
                                             format, args.data(), args.size());
    if (destUnits == 0) {
        FUZZ_CHECK(result == text::kInvalidArgument);
    } else {
        const std::size_t kept = std::min(length, destUnits - 1);
        FUZZ_CHECK(std::equal(dest.begin(), dest.begin() + kept, whole.begin()));
        FUZZ_CHECK(dest[kept] == u'\0');
        FUZZ_CHECK(std::all_of(dest.begin() + destUnits, dest.end(),
                               [](char16_t c) { return c == kUntouched; }));
        FUZZ_CHECK(result == (kept < length ? text::kTruncated : text::kOk));
    }

    // The conversions said to be written as they stand are: each starts with "%", is part of
    // the format, and shows in the output in order.
    std::size_t from = 0;
    for (const std::u16string& c : text::UnfilledConversions(format, args.data(), args.size())) {
        FUZZ_CHECK(!c.empty() && c[0] == u'%' && format.find(c) != std::u16string::npos);
        const std::u16string_view out(whole.data(), length);
        const std::size_t at = out.find(c, from);
        FUZZ_CHECK(at != std::u16string_view::npos);
        from = at + c.size();
    }

    // Without arguments every conversion shows as written; only "%%" loses a "%".
    std::vector<char16_t> plain(format.size() + 1, kUntouched);
    text::Format(plain.data(), plain.size(), format, nullptr, 0);
    const std::u16string shown(plain.begin(), std::find(plain.begin(), plain.end(), u'\0'));
    if (format.find(u'\0') == std::u16string::npos) {
        FUZZ_CHECK(WithoutPercent(shown) == WithoutPercent(format));
    }

    // Model texts: two passcode lengths, as the dialogs pass them.
    const auto low = static_cast<std::int16_t>(numbers.empty() ? 4 : numbers[0]);
    const auto high = static_cast<std::int16_t>(numbers.size() < 2 ? 8 : numbers[1]);
    const std::u16string shownText = ui::FormatWithIntegers(format, {low, high});
    FUZZ_CHECK(shownText.size() < 1024);
    // What a conversion of a length can add: its digits, sign, padding and, for %x, %X and
    // %c, hex digits and the character of its value.
    std::u16string extra = u"0123456789- abcdefABCDEF";
    extra.push_back(static_cast<char16_t>(low));
    extra.push_back(static_cast<char16_t>(high));
    for (char16_t c : shownText) {
        FUZZ_CHECK(format.find(c) != std::u16string::npos || extra.find(c) != std::u16string::npos);
    }
    // A model text said to expand completely shows a "%" only for each "%%" (given lengths
    // whose characters are not "%").
    if (ui::UnfilledIntegerConversions(format, 2).empty()) {
        const std::u16string expanded = ui::FormatWithIntegers(format, {4, 8});
        if (expanded.size() < 1023) FUZZ_CHECK(2 * Percents(expanded) <= Percents(format));
    }
    return 0;
}
