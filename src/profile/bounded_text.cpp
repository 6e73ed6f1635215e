#include "profile/bounded_text.h"

#include <algorithm>
#include <vector>

namespace text {
namespace {

bool SizeUsable(std::size_t units) { return units != 0 && units <= kMaxUnits; }

// Writes into a destination of known size, remembering whether anything was cut. A writer
// without a destination (size 0) writes nothing and is never finished.
class Writer {
  public:
    Writer(char16_t* dest, std::size_t units) : dest_(dest), units_(units) {}
    void Put(char16_t c) {
        if (used_ + 1 < units_) {
            dest_[used_++] = c;
        } else {
            truncated_ = true;
        }
    }
    void Put(std::u16string_view s) {
        for (char16_t c : s) Put(c);
    }
    Result Finish() {
        dest_[used_] = u'\0';
        return truncated_ ? kTruncated : kOk;
    }

  private:
    char16_t* dest_;
    std::size_t units_;
    std::size_t used_ = 0;
    bool truncated_ = false;
};

void PutNumber(Writer& out, unsigned long long value, bool negative, unsigned base, bool upper,
               std::size_t width, bool zeroPad) {
    char16_t digits[24];
    std::size_t n = 0;
    do {
        const unsigned d = static_cast<unsigned>(value % base);
        digits[n++] = static_cast<char16_t>(d < 10 ? u'0' + d : (upper ? u'A' : u'a') + d - 10);
        value /= base;
    } while (value != 0);
    const std::size_t len = n + (negative ? 1 : 0);
    const std::size_t pad = width > len ? std::min<std::size_t>(width - len, 512) : 0;
    if (!zeroPad) {
        for (std::size_t i = 0; i < pad; ++i) out.Put(u' ');
    }
    if (negative) out.Put(u'-');
    if (zeroPad) {
        for (std::size_t i = 0; i < pad; ++i) out.Put(u'0');
    }
    while (n > 0) out.Put(digits[--n]);
}

// Writes the expansion of a format to `out`. Each conversion that is written out as it
// stands is also added to `unfilled` when one is given.
void Expand(Writer& out, std::u16string_view format, const FormatArg* argv, std::size_t count,
            std::vector<std::u16string>* unfilled) {
    const FormatArg* next = argv;
    const FormatArg* const last = argv + (argv != nullptr ? count : 0);
    std::size_t i = 0;
    while (i < format.size()) {
        const char16_t c = format[i];
        if (c != u'%') {
            out.Put(c);
            ++i;
            continue;
        }
        const std::size_t start = i++;
        if (i < format.size() && format[i] == u'%') {
            out.Put(u'%');
            ++i;
            continue;
        }
        bool zeroPad = false;
        std::size_t width = 0;
        if (i < format.size() && format[i] == u'0') {
            zeroPad = true;
            ++i;
        }
        while (i < format.size() && format[i] >= u'0' && format[i] <= u'9') {
            width = std::min<std::size_t>(width * 10 + (format[i] - u'0'), 512);
            ++i;
        }
        while (i < format.size() && (format[i] == u'l' || format[i] == u'h' || format[i] == u'w')) {
            ++i;
        }
        const char16_t conv = i < format.size() ? format[i] : u'\0';
        const bool haveArg = next != last;
        const bool isText = haveArg && next->kind() == FormatArg::Kind::kText;
        bool done = false;
        switch (conv) {
            case u's':
                if (isText) {
                    const std::u16string_view s = next->AsText();
                    for (std::size_t p = s.size(); p < width; ++p) out.Put(u' ');
                    out.Put(s);
                    done = true;
                }
                break;
            case u'd':
            case u'i':
                if (haveArg && !isText) {
                    const long long v = next->AsSigned();
                    const unsigned long long mag = v < 0 ? 0ULL - static_cast<unsigned long long>(v)
                                                         : static_cast<unsigned long long>(v);
                    PutNumber(out, mag, v < 0, 10, false, width, zeroPad);
                    done = true;
                }
                break;
            case u'u':
            case u'x':
            case u'X':
                if (haveArg && !isText) {
                    PutNumber(out, next->AsUnsigned(), false, conv == u'u' ? 10 : 16, conv == u'X',
                              width, zeroPad);
                    done = true;
                }
                break;
            case u'c':
                if (haveArg && !isText) {
                    out.Put(static_cast<char16_t>(next->AsUnsigned()));
                    done = true;
                }
                break;
            default:
                break;
        }
        if (done) {
            ++next;
            ++i;
        } else {
            // Unknown, incomplete or unmatched conversion: shown as written.
            const std::size_t end = std::min(i + 1, format.size());
            out.Put(format.substr(start, end - start));
            if (unfilled != nullptr) unfilled->emplace_back(format.substr(start, end - start));
            i = end;
        }
    }
}

}  // namespace

std::u16string UpperAscii(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return out;
}

std::size_t FieldLength(const char16_t* field, std::size_t width) {
    if (field == nullptr) return 0;
    std::size_t n = 0;
    while (n < width && field[n] != u'\0') ++n;
    return n;
}

Result Copy(char16_t* dest, std::size_t destUnits, std::u16string_view src) {
    if (dest == nullptr || !SizeUsable(destUnits)) return kInvalidArgument;
    Writer out(dest, destUnits);
    out.Put(src);
    return out.Finish();
}

Result Copy(char16_t* dest, std::size_t destUnits, const char16_t* src) {
    if (dest == nullptr || !SizeUsable(destUnits)) return kInvalidArgument;
    // Read the source only as far as the destination can take, plus one unit to tell
    // whether it was cut.
    const std::size_t n = FieldLength(src, destUnits);
    return Copy(dest, destUnits, std::u16string_view(src ? src : u"", n));
}

Result Length(const char16_t* s, std::size_t maxUnits, std::size_t* length) {
    if (length != nullptr) *length = 0;
    if (s == nullptr || !SizeUsable(maxUnits)) return kInvalidArgument;
    const std::size_t n = FieldLength(s, maxUnits);
    if (n == maxUnits) return kInvalidArgument;
    if (length != nullptr) *length = n;
    return kOk;
}

Result Concat(char16_t* dest, std::size_t destUnits, std::u16string_view src) {
    if (dest == nullptr || !SizeUsable(destUnits)) return kInvalidArgument;
    std::size_t used = 0;
    if (Length(dest, destUnits, &used) != kOk) return kInvalidArgument;
    return Copy(dest + used, destUnits - used, src);
}

Result Format(char16_t* dest, std::size_t destUnits, std::u16string_view format,
              std::initializer_list<FormatArg> args) {
    return Format(dest, destUnits, format, args.begin(), args.size());
}

Result Format(char16_t* dest, std::size_t destUnits, std::u16string_view format,
              const FormatArg* argv, std::size_t count) {
    if (dest == nullptr || !SizeUsable(destUnits)) return kInvalidArgument;
    Writer out(dest, destUnits);
    Expand(out, format, argv, count, nullptr);
    return out.Finish();
}

std::vector<std::u16string> UnfilledConversions(std::u16string_view format, const FormatArg* args,
                                                std::size_t count) {
    std::vector<std::u16string> unfilled;
    Writer nowhere(nullptr, 0);
    Expand(nowhere, format, args, count, &unfilled);
    return unfilled;
}

Result FormatBytes(char16_t* dest, std::size_t destBytes, std::u16string_view format,
                   std::initializer_list<FormatArg> args) {
    return Format(dest, destBytes / sizeof(char16_t), format, args);
}

}  // namespace text
