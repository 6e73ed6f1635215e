#include "profile/profile_cache.h"

#include <algorithm>
#include <utility>

namespace profile {
namespace {

char16_t LowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Windows paths name the same file whatever the letter case. Only A-Z are folded: two
// spellings that differ in other letters are kept as two entries, each of them correct.
bool SamePath(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

CachedProfileFiles::Entry* CachedProfileFiles::Find(std::u16string_view path) {
    for (Entry& entry : entries_) {
        if (SamePath(entry.path, path)) return &entry;
    }
    return nullptr;
}

std::shared_ptr<const IniDocument> CachedProfileFiles::Fresh(std::u16string_view path,
                                                             std::uint64_t now, Entry** found) {
    Entry* entry = Find(path);
    if (found != nullptr) *found = entry;
    if (entry == nullptr) return nullptr;
    entry->lastUse = ++uses_;
    // A clock read before another thread's check may lag behind it: that check is fresh.
    const bool fresh =
        now < entry->checkedAt || now - entry->checkedAt < limits_.recheckMilliseconds;
    return fresh ? entry->document : nullptr;
}

std::shared_ptr<const IniDocument> CachedProfileFiles::Document(std::u16string_view path) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (auto document = Fresh(path, files_.Milliseconds(), nullptr)) return document;
    }

    // One thread at a time looks at files and reads them, outside the lock of the entries:
    // queries of files already checked never wait for a look or a read, the kept versions of
    // a file only ever move forward, and two sheets opening at once read each file once.
    std::lock_guard<std::mutex> refreshing(refreshMutex_);
    const std::uint64_t now = files_.Milliseconds();
    std::shared_ptr<const IniDocument> held;
    std::optional<FileStamp> heldStamp;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Entry* entry = nullptr;
        // Another thread may have brought the file up to date while this one waited.
        if (auto document = Fresh(path, now, &entry)) return document;
        if (entry != nullptr) {
            held = entry->document;
            heldStamp = entry->stamp;
        }
    }
    if (held != nullptr && files_.Stamp(path) == heldStamp) {
        std::lock_guard<std::mutex> lock(mutex_);
        // Only this thread changes entries now, but the entry may have been dropped.
        if (Entry* entry = Find(path)) entry->checkedAt = now;
        return held;
    }

    std::optional<StampedFile> file = files_.Read(path, limits_.maxFileBytes);
    // A file that cannot be read answers like an empty one. It is kept without a stamp, so
    // that it is read again once it can be looked at.
    std::shared_ptr<const IniDocument> document =
        file ? std::make_shared<const IniDocument>(DecodeProfileBytes(file->bytes))
             : std::make_shared<const IniDocument>();
    // A file that parsed takes more than the whole cache may hold answers like an empty one,
    // as a file above the size limit does, and is kept as such until it changes: read at
    // every query instead, a model file of ten megabytes took a minute to open a sheet.
    if (document->MemoryBytes() > limits_.maxBytes)
        document = std::make_shared<const IniDocument>();
    std::optional<FileStamp> stamp;
    if (file) stamp = file->stamp;
    file.reset();
    Keep(path, document, stamp, now);
    return document;
}

void CachedProfileFiles::Keep(std::u16string_view path, std::shared_ptr<const IniDocument> document,
                              std::optional<FileStamp> stamp, std::uint64_t now) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t bytes = document->MemoryBytes();
    Entry* entry = Find(path);
    if (entry == nullptr) {
        entries_.push_back(Entry{std::u16string(path), nullptr, std::nullopt, 0, 0, 0});
        entry = &entries_.back();
    }
    bytesKept_ = bytesKept_ - entry->bytes + bytes;
    entry->document = std::move(document);
    entry->stamp = stamp;
    entry->bytes = bytes;
    entry->checkedAt = now;
    entry->lastUse = ++uses_;

    // Drop the least recently used files until both bounds hold; the file just kept, which
    // fits the bounds alone, is never the one dropped.
    const std::uint64_t newest = entry->lastUse;
    while (entries_.size() > limits_.maxFiles || bytesKept_ > limits_.maxBytes) {
        auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                       [newest](const Entry& a, const Entry& b) {
                                           return (a.lastUse == newest ? ~0ull : a.lastUse) <
                                                  (b.lastUse == newest ? ~0ull : b.lastUse);
                                       });
        if (oldest->lastUse == newest) break;
        bytesKept_ -= oldest->bytes;
        entries_.erase(oldest);
    }
}

std::uint32_t CachedProfileFiles::GetInt(std::u16string_view section, std::u16string_view key,
                                         std::int32_t defaultValue, std::u16string_view path) {
    return static_cast<std::uint32_t>(Document(path)->GetInt(section, key, defaultValue));
}

std::uint32_t CachedProfileFiles::GetString(std::u16string_view section, std::u16string_view key,
                                            std::u16string_view defaultValue, char16_t* buffer,
                                            std::uint32_t units, std::u16string_view path) {
    if (buffer == nullptr || units == 0) return 0;
    return Document(path)->GetString(section, key, defaultValue, buffer, units);
}

std::size_t CachedProfileFiles::FilesKept() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

std::size_t CachedProfileFiles::BytesKept() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytesKept_;
}

}  // namespace profile
