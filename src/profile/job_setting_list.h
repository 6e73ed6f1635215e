// The one reading of a job-setting list ("JobSettingHDDOn" and its three siblings): the
// feature switches and the Print and Hold modes both take the numbers of a list this way.
#pragma once

#include <cstdint>
#include <string_view>

namespace profile {

// Calls f(n) for every number of the list, in order, until f returns false. The text is
// split at ":", ";", ",", blanks and tabs; empty pieces are skipped; a piece's number is
// its leading decimal digits (a piece without them, a signed one included, is 0), at most
// 0x7FFFFFFF.
template <class F>
void ForEachListNumber(std::u16string_view text, F f) {
    auto separator = [](char16_t c) {
        return c == u':' || c == u';' || c == u',' || c == u' ' || c == u'\t';
    };
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && separator(text[i])) ++i;
        if (i == text.size()) return;
        std::int64_t value = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            if (value < 0x7FFFFFFF) value = value * 10 + (text[i] - u'0');
        }
        while (i < text.size() && !separator(text[i])) ++i;
        if (!f(static_cast<std::int32_t>(value > 0x7FFFFFFF ? 0x7FFFFFFF : value))) return;
    }
}

}  // namespace profile
