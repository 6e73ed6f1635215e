// In-memory profile files for the native tests: a file source keyed by path, and the
// profile port reading through it with the platform's semantics.
#pragma once

#include <cstdint>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "profile/ini_reader.h"

namespace fakes {

// Files by path; paths compare without regard to ASCII letter case, as Windows paths do.
class FakeFiles final : public profile::FileSource {
  public:
    std::optional<std::string> Read(std::u16string_view path) override {
        ++reads;
        const auto it = files_.find(Key(path));
        if (it == files_.end()) return std::nullopt;
        return it->second;
    }

    // Raw bytes: what a file on disk holds (BOM-less text reads as code page 1252).
    void PutBytes(std::u16string_view path, std::string bytes) {
        files_[Key(path)] = std::move(bytes);
    }
    // UTF-8 text, stored after a UTF-8 signature so that non-ASCII text reads back as given.
    void PutUtf8(std::u16string_view path, std::string_view text) {
        PutBytes(path, "\xEF\xBB\xBF" + std::string(text));
    }
    // UTF-16 text, stored as UTF-16LE after its byte-order mark.
    void PutUtf16(std::u16string_view path, std::u16string_view text) {
        std::string bytes = "\xFF\xFE";
        for (const char16_t c : text) {
            bytes.push_back(static_cast<char>(c & 0xFF));
            bytes.push_back(static_cast<char>(c >> 8));
        }
        PutBytes(path, std::move(bytes));
    }
    void Remove(std::u16string_view path) { files_.erase(Key(path)); }
    bool Exists(std::u16string_view path) const { return files_.count(Key(path)) != 0; }

    // Read calls made so far, answered or not.
    int reads = 0;

  private:
    static std::u16string Key(std::u16string_view path) {
        std::u16string key(path);
        for (char16_t& c : key) {
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        }
        return key;
    }

    std::map<std::u16string, std::string> files_;
};

// The profile port over FakeFiles, ready to hand to platform::Platform::profiles. Every
// query reads its file again (no caching), so files.reads counts the profile reads made
// and changes to the files show at once.
class FakeProfiles final : public platform::ProfileFiles {
  public:
    std::uint32_t GetInt(std::u16string_view section, std::u16string_view key,
                         std::int32_t defaultValue, std::u16string_view path) override {
        ++intQueries;
        lastPath = path;
        return reader_.GetInt(section, key, defaultValue, path);
    }
    std::uint32_t GetString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue, char16_t* buffer, std::uint32_t units,
                            std::u16string_view path) override {
        ++stringQueries;
        lastPath = path;
        return reader_.GetString(section, key, defaultValue, buffer, units, path);
    }

    FakeFiles files;
    int intQueries = 0;
    int stringQueries = 0;
    std::u16string lastPath;  // the file of the latest query

  private:
    profile::IniProfileFiles reader_{files};
};

// Profile files written value by value: each Set rewrites its file as UTF-16 INI text, which
// `port` reads with the platform's semantics.
class TableProfiles {
  public:
    void Set(std::u16string_view path, std::u16string_view section, std::u16string_view key,
             std::u16string_view value) {
        auto& sections = files_[std::u16string(path)];
        sections[std::u16string(section)][std::u16string(key)] = value;
        std::u16string text;
        for (const auto& [name, keys] : sections) {
            text += u"[" + name + u"]\n";
            for (const auto& [k, v] : keys) text += k + u"=" + v + u"\n";
        }
        port.files.PutUtf16(path, text);
    }
    void Clear(std::u16string_view path) {
        files_.erase(std::u16string(path));
        port.files.Remove(path);
    }
    int reads() const { return port.intQueries + port.stringQueries; }

    FakeProfiles port;

  private:
    std::map<std::u16string, std::map<std::u16string, std::map<std::u16string, std::u16string>>>
        files_;
};

// A profile port that runs out of memory on its n-th read (integer or string), as a real
// one can; every other read goes to `inner`.
class FailingProfiles final : public platform::ProfileFiles {
  public:
    explicit FailingProfiles(platform::ProfileFiles& inner) : inner_(inner) {}
    std::uint32_t GetInt(std::u16string_view section, std::u16string_view key, std::int32_t def,
                         std::u16string_view path) override {
        Count();
        return inner_.GetInt(section, key, def, path);
    }
    std::uint32_t GetString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view def, char16_t* buffer, std::uint32_t units,
                            std::u16string_view path) override {
        Count();
        return inner_.GetString(section, key, def, buffer, units, path);
    }
    int calls = 0;
    int failAt = 1;

  private:
    void Count() {
        if (++calls == failAt) throw std::bad_alloc();
    }
    platform::ProfileFiles& inner_;
};

}  // namespace fakes
