// Bounded UTF-16 text functions. Every function takes the destination's size, never
// writes past it and, whenever the size is usable, leaves the destination terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace text {

using Result = std::int32_t;
inline constexpr Result kOk = 0;
inline constexpr Result kInvalidArgument = static_cast<Result>(0x80070057);  // size 0 or too big
inline constexpr Result kTruncated = static_cast<Result>(0x8007007A);        // cut short

// Largest destination size accepted, in UTF-16 units.
inline constexpr std::size_t kMaxUnits = 0x7FFFFFFF;

// Copies src (up to its terminator) into dest. A null src copies the empty text.
Result Copy(char16_t* dest, std::size_t destUnits, const char16_t* src);
Result Copy(char16_t* dest, std::size_t destUnits, std::u16string_view src);

// Length of s in units, not counting the terminator; invalid when no terminator lies
// within maxUnits. *length is 0 on failure.
Result Length(const char16_t* s, std::size_t maxUnits, std::size_t* length);

// Appends src to the text already in dest. Invalid when dest holds no terminator.
Result Concat(char16_t* dest, std::size_t destUnits, std::u16string_view src);

// One argument of Format: an integer or a text.
class FormatArg {
  public:
    enum class Kind { kSigned, kUnsigned, kText };
    FormatArg(int v) : kind_(Kind::kSigned), signed_(v) {}
    FormatArg(long v) : kind_(Kind::kSigned), signed_(v) {}
    FormatArg(long long v) : kind_(Kind::kSigned), signed_(v) {}
    FormatArg(unsigned v) : kind_(Kind::kUnsigned), unsigned_(v) {}
    FormatArg(unsigned long v) : kind_(Kind::kUnsigned), unsigned_(v) {}
    FormatArg(unsigned long long v) : kind_(Kind::kUnsigned), unsigned_(v) {}
    FormatArg(std::u16string_view v) : kind_(Kind::kText), text_(v) {}
    FormatArg(const std::u16string& v) : kind_(Kind::kText), text_(v) {}
    FormatArg(const char16_t* v) : kind_(Kind::kText), text_(v ? v : u"") {}

    Kind kind() const { return kind_; }
    long long AsSigned() const {
        return kind_ == Kind::kSigned ? signed_ : static_cast<long long>(unsigned_);
    }
    unsigned long long AsUnsigned() const {
        return kind_ == Kind::kUnsigned ? unsigned_ : static_cast<unsigned long long>(signed_);
    }
    std::u16string_view AsText() const { return text_; }

  private:
    Kind kind_;
    long long signed_ = 0;
    unsigned long long unsigned_ = 0;
    std::u16string_view text_;
};

// printf-style formatting with the conversions %s, %d, %i, %u, %x, %X, %c and %%,
// optionally with the flag '0', a width and the size prefixes l, ll, h and w (which are
// accepted and ignored). Arguments are typed: a conversion whose argument is missing or
// of the wrong kind (text for a number, a number for %s) is written out literally, so a
// bad format can never read memory it was not given.
Result Format(char16_t* dest, std::size_t destUnits, std::u16string_view format,
              std::initializer_list<FormatArg> args);

// The same with the arguments as an array.
Result Format(char16_t* dest, std::size_t destUnits, std::u16string_view format,
              const FormatArg* args, std::size_t count);

// The conversions of `format` that Format, given these arguments, writes out as they stand
// (unknown, incomplete, or without an argument of their kind), in order of appearance: a
// text can be checked before it is used as a format.
std::vector<std::u16string> UnfilledConversions(std::u16string_view format, const FormatArg* args,
                                                std::size_t count);

// The same with the destination size given in bytes (odd byte counts round down).
Result FormatBytes(char16_t* dest, std::size_t destBytes, std::u16string_view format,
                   std::initializer_list<FormatArg> args);

// The text with the ASCII letters a to z upper-cased; other units stay as they are.
std::u16string UpperAscii(std::u16string_view s);

// Length of a possibly unterminated fixed-width field.
std::size_t FieldLength(const char16_t* field, std::size_t width);

}  // namespace text
