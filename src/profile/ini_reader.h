// A portable reader of Windows profile (INI) files that answers named section and key
// queries the way GetPrivateProfileStringW and GetPrivateProfileIntW do. The Win32 build's
// profile port answers through it (over the file cache of profile_cache.h), and the native
// tests read their in-memory files with it; a differential test under Wine keeps it in step
// with the platform's functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ports.h"

namespace profile {

// The text of a profile file's bytes: UTF-16LE or UTF-16BE after their byte-order mark,
// UTF-8 after its signature (malformed sequences become U+FFFD), otherwise code page 1252.
std::u16string DecodeProfileBytes(std::string_view bytes);

// One parsed profile. Lookups are by section and key name, without regard to ASCII letter
// case and ignoring blanks around the names; the first section and the first key of a name
// win. A default-constructed document is an empty file.
class IniDocument {
  public:
    IniDocument();
    explicit IniDocument(std::u16string_view text);

    // GetPrivateProfileStringW for a named section and key: copies the value (or the default
    // when the key is missing or has no "="), at most units - 1 characters and a terminator,
    // and returns the characters copied. Writes nothing when buffer is null or units is 0.
    std::uint32_t GetString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue, char16_t* buffer,
                            std::uint32_t units) const;

    // GetPrivateProfileIntW: the value read as a C-style integer (sign, 0x / 0o / 0b prefix,
    // digits up to the first other character, wrapping modulo 2^32); the default when the
    // key is missing or its value empty. The platform returns the bits as UINT.
    std::int32_t GetInt(std::u16string_view section, std::u16string_view key,
                        std::int32_t defaultValue) const;

    // The heap memory the document holds, in bytes, each block counted with the allocator's
    // bookkeeping: what keeping it costs.
    std::size_t MemoryBytes() const { return memoryBytes_; }

  private:
    // Names compare without regard to the letter case of A-Z only (see ini_reader.cpp), and
    // are looked up as views: a query allocates nothing.
    struct FoldedHash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view name) const noexcept;
    };
    struct FoldedEqual {
        using is_transparent = void;
        bool operator()(std::u16string_view a, std::u16string_view b) const noexcept;
    };
    template <class Value>
    using ByName = std::unordered_map<std::u16string, Value, FoldedHash, FoldedEqual>;
    // A key's value; none for a line without "=".
    using Section = ByName<std::optional<std::u16string>>;

    void Parse(std::u16string_view text);
    const std::optional<std::u16string>* Find(std::u16string_view section,
                                              std::u16string_view key) const;
    std::size_t CountMemory() const;

    // Only what a query can reach is kept: the first section of each name, and in it the
    // first key of each name. Repeats can never be read, so a file of endless repeats costs
    // no more memory than one copy.
    ByName<Section> sections_;
    std::size_t memoryBytes_ = 0;
};

// Where IniProfileFiles gets a file's bytes from.
class FileSource {
  public:
    virtual ~FileSource() = default;
    // The whole file, or nothing when it cannot be read.
    virtual std::optional<std::string> Read(std::u16string_view path) = 0;
};

// The profile port over a file source. An unreadable file reads as an empty one. Without
// caching every query reads and parses its file again, so changes to the source show at
// once and the source sees one read per query (what the native tests count); with caching
// each path is read once until Forget() (for tools that read fixed files many times).
class IniProfileFiles final : public platform::ProfileFiles {
  public:
    explicit IniProfileFiles(FileSource& files, bool cacheDocuments = false)
        : files_(files), cache_(cacheDocuments) {}

    std::uint32_t GetInt(std::u16string_view section, std::u16string_view key,
                         std::int32_t defaultValue, std::u16string_view path) override;
    std::uint32_t GetString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue, char16_t* buffer, std::uint32_t units,
                            std::u16string_view path) override;

    void Forget() { documents_.clear(); }

  private:
    std::shared_ptr<const IniDocument> Load(std::u16string_view path);

    FileSource& files_;
    bool cache_;
    std::map<std::u16string, std::shared_ptr<const IniDocument>> documents_;  // by folded path
};

}  // namespace profile
