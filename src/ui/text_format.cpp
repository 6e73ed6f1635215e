#include "ui/text_format.h"

#include <vector>

#include "profile/bounded_text.h"

namespace ui {

std::u16string FormatWithIntegers(std::u16string_view format,
                                  std::initializer_list<long long> arguments) {
    // The bounded formatter already refuses every conversion whose argument is missing or
    // of another kind; only integers are ever passed to it here.
    std::vector<text::FormatArg> args;
    for (long long value : arguments) args.emplace_back(value);
    // Texts and numbers of a dialog line fit easily; cut at a generous bound.
    constexpr std::size_t kUnits = 1024;
    char16_t out[kUnits];
    text::Format(out, kUnits, format, args.data(), args.size());
    return out;
}

std::vector<std::u16string> UnfilledIntegerConversions(std::u16string_view format,
                                                       std::size_t integers) {
    // The values do not change which conversions are filled, only their kind does.
    const std::vector<text::FormatArg> args(integers, text::FormatArg(0));
    return text::UnfilledConversions(format, args.data(), args.size());
}

}  // namespace ui
