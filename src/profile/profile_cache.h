// The profile port over files kept in memory: each file is read whole once, parsed by the
// portable reader (IniDocument) and answered from memory while its size and last-write time
// stay the same. One object serves the whole process, from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports.h"
#include "profile/ini_reader.h"

namespace profile {

// What the file system says about a file; a changed file has another stamp.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// A whole file, with the stamp it had when it was opened (before its bytes were read, so
// that a change made while reading shows as a changed stamp at the next look).
struct StampedFile {
    FileStamp stamp;
    std::string bytes;
};

// The system's side of the cache. Called from any thread, never under the cache's lock.
class StampedFileSource {
  public:
    virtual ~StampedFileSource() = default;
    // The stamp of an existing file; none for a missing one, a folder, or one that cannot
    // be looked at.
    virtual std::optional<FileStamp> Stamp(std::u16string_view path) = 0;
    // The whole file; none when it cannot be read or holds more than maxBytes.
    virtual std::optional<StampedFile> Read(std::u16string_view path, std::size_t maxBytes) = 0;
    // A clock that never goes back, in milliseconds.
    virtual std::uint64_t Milliseconds() = 0;
};

struct ProfileCacheLimits {
    // A larger file reads as an unreadable one: empty. So does one whose parsed form alone
    // needs more than maxBytes.
    std::size_t maxFileBytes = std::size_t{16} << 20;
    // Files kept; beyond either bound the least recently used ones are dropped. The bytes are
    // the memory of the parsed files (IniDocument::MemoryBytes); a file that alone needs more
    // is not kept at all, so that the cache never holds more than this.
    std::size_t maxFiles = 32;
    std::size_t maxBytes = std::size_t{16} << 20;
    // A kept file is taken as unchanged for this long after its stamp was last compared, so
    // that the burst of queries of one host call costs one look at each file.
    std::uint64_t recheckMilliseconds = 500;
};

class CachedProfileFiles final : public platform::ProfileFiles {
  public:
    explicit CachedProfileFiles(StampedFileSource& files, ProfileCacheLimits limits = {})
        : files_(files), limits_(limits) {}

    std::uint32_t GetInt(std::u16string_view section, std::u16string_view key,
                         std::int32_t defaultValue, std::u16string_view path) override;
    std::uint32_t GetString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue, char16_t* buffer, std::uint32_t units,
                            std::u16string_view path) override;

    // What is kept now: files, and the memory of their parsed forms summed.
    std::size_t FilesKept() const;
    std::size_t BytesKept() const;

  private:
    struct Entry {
        std::u16string path;  // as first asked for; found again without regard to ASCII case
        std::shared_ptr<const IniDocument> document;
        std::optional<FileStamp> stamp;  // of the bytes parsed; none when none were read
        std::size_t bytes = 0;           // the document's memory
        std::uint64_t checkedAt = 0;     // when the stamp was last compared (or the file read)
        std::uint64_t lastUse = 0;       // order of use, for dropping the least recent
    };

    std::shared_ptr<const IniDocument> Document(std::u16string_view path);
    Entry* Find(std::u16string_view path);
    // The kept document of a file checked less than a window ago (the entry marked as used),
    // else null; *found gets the entry, if any. Under mutex_.
    std::shared_ptr<const IniDocument> Fresh(std::u16string_view path, std::uint64_t now,
                                             Entry** found);
    void Keep(std::u16string_view path, std::shared_ptr<const IniDocument> document,
              std::optional<FileStamp> stamp, std::uint64_t now);

    StampedFileSource& files_;
    const ProfileCacheLimits limits_;
    mutable std::mutex mutex_;  // the entries
    std::mutex refreshMutex_;   // held while files are looked at and read
    std::vector<Entry> entries_;
    std::size_t bytesKept_ = 0;
    std::uint64_t uses_ = 0;
};

}  // namespace profile
