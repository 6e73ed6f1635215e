// Expands a text taken from a model file as a format with integer arguments only.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// Substitutes the integer conversions of the bounded formatter (%d, %i, %u, %x, %X and %c,
// optionally with a width and the flag 0) with the integers the caller passes, in order, and
// %% with a percent sign. Any other conversion ("%s", "%n", "%p", ...), and any conversion
// beyond the arguments passed, is shown as written: a model file can never make the plug-in
// read an argument it was not given.
std::u16string FormatWithIntegers(std::u16string_view format,
                                  std::initializer_list<long long> arguments);

// The conversions that FormatWithIntegers, given `integers` arguments, shows as written, in
// order of appearance; empty for a text that expands completely.
std::vector<std::u16string> UnfilledIntegerConversions(std::u16string_view format,
                                                       std::size_t integers);

}  // namespace ui
