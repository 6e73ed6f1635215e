// What the fuzz targets share: reading numbers off the front of an input, cutting an input
// into parts, decoding text the way profile files are decoded, and a check that ends the run
// with a message when a property does not hold (libFuzzer keeps the input as a crash).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "profile/ini_reader.h"

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::fuzz::Fail(#condition, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "property does not hold: %s (%s:%d)\n", what, file, line);
    std::abort();
}

// Reads from the front of an input; past its end every read gives zeros.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}
    explicit Input(std::string_view bytes) : rest_(bytes) {}

    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    std::uint32_t U32() { return U16() | (static_cast<std::uint32_t>(U16()) << 16); }
    std::uint64_t U64() { return U32() | (static_cast<std::uint64_t>(U32()) << 32); }
    // At most n bytes.
    std::string_view Take(std::size_t n) {
        const std::string_view taken = rest_.substr(0, n);
        rest_.remove_prefix(taken.size());
        return taken;
    }
    std::string_view Rest() { return Take(rest_.size()); }
    bool empty() const { return rest_.empty(); }

  private:
    std::string_view rest_;
};

// The parts of an input between separators, at most `count`: the last part keeps every
// further separator. Missing parts are empty.
inline constexpr std::string_view kSeparator = "\n====\n";
inline std::vector<std::string_view> Split(std::string_view bytes, std::size_t count) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const std::size_t at = bytes.find(kSeparator);
        if (at == std::string_view::npos) break;
        parts.push_back(bytes.substr(0, at));
        bytes.remove_prefix(at + kSeparator.size());
    }
    parts.push_back(bytes);
    parts.resize(count);
    return parts;
}

// Bytes as text, decoded the way a profile file is: UTF-16 after its byte-order mark, UTF-8
// after its signature, code page 1252 otherwise. Every sequence of UTF-16 units can be had.
inline std::u16string Text(std::string_view bytes) { return profile::DecodeProfileBytes(bytes); }

// A file of the sample model family; empty when it cannot be read.
inline std::string ModelFile(const char* name) {
    std::ifstream in(std::string(FUZZ_MODELS_DIR) + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether a text ends in the first half of a surrogate pair.
inline bool EndsInHighSurrogate(std::u16string_view s) {
    return !s.empty() && s.back() >= 0xD800 && s.back() <= 0xDBFF;
}

}  // namespace fuzz
