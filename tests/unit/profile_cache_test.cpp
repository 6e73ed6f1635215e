#include "profile/profile_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "heap_in_use.h"

namespace {

using profile::CachedProfileFiles;
using profile::FileStamp;
using profile::ProfileCacheLimits;
using profile::StampedFile;
using namespace std::string_literals;

// Files in memory with stamps the test sets, a clock the test moves, and counts of what the
// cache asked for. Paths are exact here: the cache alone must find a file again in another
// letter case.
class StampedFiles final : public profile::StampedFileSource {
  public:
    std::optional<FileStamp> Stamp(std::u16string_view path) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++stamps;
        const auto it = files_.find(Key(path));
        if (it == files_.end()) return std::nullopt;
        return it->second.stamp;
    }
    std::optional<StampedFile> Read(std::u16string_view path, std::size_t maxBytes) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++reads;
        lastLimit = maxBytes;
        const auto it = files_.find(Key(path));
        if (it == files_.end() || !it->second.readable || it->second.bytes.size() > maxBytes) {
            return std::nullopt;
        }
        return StampedFile{it->second.stampWhenOpened.value_or(it->second.stamp), it->second.bytes};
    }
    std::uint64_t Milliseconds() override { return clock.load(); }

    // A new version of a file: its write time moves on, as a real write moves it.
    void Put(std::u16string_view path, std::string bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        File& file = files_[Key(path)];
        file.stamp = FileStamp{bytes.size(), ++writes_};
        file.bytes = std::move(bytes);
        file.stampWhenOpened.reset();
        file.readable = true;
    }
    void Remove(std::u16string_view path) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.erase(Key(path));
    }
    void SetReadable(std::u16string_view path, bool readable) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_[Key(path)].readable = readable;
    }
    // The file changes between the moment it is opened and the moment its bytes are read:
    // the reader gets the new bytes with the stamp of the old ones.
    void PutWhileOpening(std::u16string_view path, std::string bytes) {
        std::optional<FileStamp> before;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            before = files_[Key(path)].stamp;
        }
        Put(path, std::move(bytes));
        std::lock_guard<std::mutex> lock(mutex_);
        files_[Key(path)].stampWhenOpened = before;
    }

    std::atomic<std::uint64_t> clock{1000};
    std::atomic<int> stamps{0};
    std::atomic<int> reads{0};
    std::atomic<std::size_t> lastLimit{0};

  private:
    struct File {
        std::string bytes;
        FileStamp stamp;
        std::optional<FileStamp> stampWhenOpened;
        bool readable = true;
    };
    static std::u16string Key(std::u16string_view path) { return std::u16string(path); }

    std::mutex mutex_;
    std::map<std::u16string, File> files_;
    std::uint64_t writes_ = 0;
};

std::u16string String(CachedProfileFiles& cache, std::u16string_view path,
                      std::u16string_view section, std::u16string_view key,
                      std::u16string_view def = u"D") {
    char16_t buffer[64];
    const std::uint32_t n = cache.GetString(section, key, def, buffer, 64, path);
    return std::u16string(buffer, n);
}

constexpr std::u16string_view kModel = u"C:\\Drv\\3\\CVLC5u.INI";
constexpr std::u16string_view kTexts = u"C:\\Drv\\3\\CVLC5EN.DAT";

TEST(ProfileCache, ReadsEachFileOnceAndLooksAgainOnlyAfterTheWindow) {
    StampedFiles files;
    files.Put(kModel,
              "[Common]\r\nPrinterHDD=1\r\nCaption=\"Talen C5\"\r\n[FUNCTION]\r\nX=0x10\r\n");
    files.Put(kTexts, "\xFF\xFE[\0A\0]\0\n\0k\0=\0\xE5\x65"s);
    CachedProfileFiles cache(files, ProfileCacheLimits{.recheckMilliseconds = 500});

    // A burst of queries, as one host call makes them: one read per file, no other look.
    for (int round = 0; round < 50; ++round) {
        EXPECT_EQ(u"Talen C5", String(cache, kModel, u"Common", u"Caption"));
        EXPECT_EQ(16u, cache.GetInt(u"function", u"x", 7, u"c:\\drv\\3\\cvlc5U.ini"));
        EXPECT_EQ(u"\u65E5", String(cache, kTexts, u"A", u"k"));
        files.clock += 9;
    }
    EXPECT_EQ(2, files.reads.load()) << "one read per file, whatever the letter case of its path";
    EXPECT_EQ(0, files.stamps.load()) << "no look at the files inside the window";
    EXPECT_EQ(2u, cache.FilesKept());

    // Past the window each file is looked at once, then trusted for another window.
    files.clock += 500;
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(1u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel));
    }
    EXPECT_EQ(2, files.reads.load());
    EXPECT_EQ(1, files.stamps.load());
    EXPECT_EQ(16u << 20, files.lastLimit.load()) << "files above 16 MB are refused by default";

    char16_t buffer[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(0u, cache.GetString(u"Common", u"Caption", u"", buffer, 0, kModel));
    EXPECT_EQ(u'#', buffer[0]) << "a buffer of no units is left alone";
}

TEST(ProfileCache, ChangedMissingAndUnreadableFilesShowAfterTheWindow) {
    StampedFiles files;
    files.Put(kModel, "[Common]\nPrinterHDD=1\n");
    CachedProfileFiles cache(files, ProfileCacheLimits{.recheckMilliseconds = 500});
    EXPECT_EQ(1u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel));

    // A new version of the same size: only the write time tells.
    files.Put(kModel, "[Common]\nPrinterHDD=2\n");
    files.clock += 499;
    EXPECT_EQ(1u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel)) << "inside the window";
    files.clock += 1;
    EXPECT_EQ(2u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel)) << "after it";
    EXPECT_EQ(2, files.reads.load());

    // A change made while the file was being read is caught at the next look, because the
    // bytes are kept with the stamp the file had when it was opened.
    files.clock += 500;
    files.PutWhileOpening(kModel, "[Common]\nPrinterHDD=3\n");
    EXPECT_EQ(3u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel));
    files.PutWhileOpening(kModel, "[Common]\nPrinterHDD=4\n");
    files.clock += 500;
    EXPECT_EQ(4u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel));
    files.clock += 500;
    EXPECT_EQ(4u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel));
    EXPECT_EQ(5, files.reads.load()) << "each version read once";

    // A removed file reads as empty: defaults, with the platform's quote rule.
    files.Remove(kModel);
    files.clock += 500;
    EXPECT_EQ(u"dflt", String(cache, kModel, u"Common", u"Caption", u"\"dflt\""));
    files.clock += 500;
    EXPECT_EQ(7u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel));
    EXPECT_EQ(6, files.reads.load()) << "a file still missing is not read again";

    // A file that exists but cannot be read (locked, too large) answers as empty and is
    // tried again once the window has passed, until it can be read.
    files.Put(kModel, "[Common]\nPrinterHDD=5\n");
    files.SetReadable(kModel, false);
    files.clock += 500;
    EXPECT_EQ(7u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel));
    files.SetReadable(kModel, true);
    EXPECT_EQ(7u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel)) << "inside the window";
    files.clock += 500;
    EXPECT_EQ(5u, cache.GetInt(u"Common", u"PrinterHDD", 7, kModel));

    CachedProfileFiles small(files, ProfileCacheLimits{.maxFileBytes = 10});
    EXPECT_EQ(7u, small.GetInt(u"Common", u"PrinterHDD", 7, kModel)) << "above the file limit";
    EXPECT_EQ(10u, files.lastLimit.load());
}

// The memory of a file's parsed form, which the cache's byte bound counts.
std::size_t Parsed(std::string_view bytes) {
    return profile::IniDocument(profile::DecodeProfileBytes(bytes)).MemoryBytes();
}

TEST(ProfileCache, KeepsTheMostRecentlyUsedFilesWithinItsBounds) {
    StampedFiles files;
    const std::u16string paths[] = {u"a.ini", u"b.ini", u"c.ini", u"d.ini"};
    auto text = [](std::u16string_view path) {
        return "[S]\nk=" + std::string(1, static_cast<char>(path[0])) + "\n" +
               std::string(92, ';');  // 100 bytes each
    };
    for (const std::u16string& path : paths) files.Put(path, text(path));
    const std::size_t each = Parsed(text(u"a"));
    CachedProfileFiles cache(files, ProfileCacheLimits{.maxFiles = 3, .maxBytes = 100 * each});
    auto ask = [&](CachedProfileFiles& c, std::u16string_view path) {
        return String(c, path, u"S", u"k");
    };
    EXPECT_EQ(u"a", ask(cache, u"a.ini"));
    EXPECT_EQ(u"b", ask(cache, u"b.ini"));
    EXPECT_EQ(u"c", ask(cache, u"c.ini"));
    EXPECT_EQ(u"a", ask(cache, u"a.ini"));  // a is now more recent than b
    EXPECT_EQ(u"d", ask(cache, u"d.ini"));  // drops b, the least recently used
    EXPECT_EQ(3u, cache.FilesKept());
    EXPECT_EQ(3 * each, cache.BytesKept());
    EXPECT_EQ(u"a", ask(cache, u"a.ini"));
    EXPECT_EQ(u"c", ask(cache, u"c.ini"));
    EXPECT_EQ(4, files.reads.load()) << "a and c were kept";
    EXPECT_EQ(u"b", ask(cache, u"b.ini"));
    EXPECT_EQ(5, files.reads.load()) << "b was dropped";

    // The byte bound counts parsed memory: two files fit in two and a half, a third drops
    // the oldest.
    CachedProfileFiles tight(files, ProfileCacheLimits{.maxFiles = 10, .maxBytes = each * 5 / 2});
    for (const std::u16string& path : paths) EXPECT_EQ(path.substr(0, 1), ask(tight, path));
    EXPECT_EQ(2u, tight.FilesKept());
    EXPECT_EQ(2 * each, tight.BytesKept());

    // A file that parsed is larger than the whole bound reads as an empty one, and is not
    // read again while it stays the same (read at every query, such a file made each sheet
    // of its model take a minute); the older version of it answers no more.
    files.Put(u"a.ini", "[S]\nk=big\n" + std::string(40 * each, ';') +
                            "\nlong=" + std::string(4 * each, 'x') + "\n");
    files.clock += 1000;
    const int reads = files.reads.load();
    EXPECT_EQ(u"D", ask(tight, u"a.ini"));
    files.clock += 1000;
    EXPECT_EQ(u"D", ask(tight, u"a.ini"));
    EXPECT_EQ(reads + 1, files.reads.load()) << "read once";
    EXPECT_LE(tight.BytesKept(), each * 5 / 2);
    EXPECT_EQ(u"d", ask(tight, u"d.ini")) << "what was kept stays";
    EXPECT_EQ(reads + 1, files.reads.load());
    files.Put(u"a.ini", text(u"a"));
    files.clock += 1000;
    EXPECT_EQ(u"a", ask(tight, u"a.ini")) << "a changed file is read again";
    EXPECT_EQ(2 * each, tight.BytesKept()) << "its new version counted instead of the old one";
}

// Files of ten megabytes made to cost memory (long texts, which take twice their bytes
// parsed) never pile up: the heap holds no more than the cache's bound, however many
// there are and however often they are asked.
TEST(ProfileCache, HostileLargeFilesDoNotPileUp) {
    StampedFiles files;
    std::vector<std::u16string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(u"C:\\Drv\\huge" + std::u16string(1, static_cast<char16_t>(u'0' + i)) +
                        u".ini");
        // Parsed, the first two take twelve megabytes each: one fits the bound of sixteen, two
        // do not. The last takes twenty: more than the whole bound.
        const std::size_t size = i < 2 ? (6u << 20) : (10u << 20);
        files.Put(paths.back(), "[S]\nk=" + std::to_string(i) + "\nv=" + std::string(size, 'x'));
    }
    const std::size_t before = testing_support::HeapInUse();
    CachedProfileFiles cache(files);
    std::size_t most = 0;
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            // The last one needs more than the whole bound: it reads as an empty file.
            EXPECT_EQ(i < 2 ? static_cast<int>(i) : -1,
                      static_cast<int>(cache.GetInt(u"S", u"k", -1, paths[i])));
            most = std::max(most, testing_support::HeapInUse() - before);
            EXPECT_LE(cache.BytesKept(), ProfileCacheLimits{}.maxBytes);
        }
        files.clock += 1000;
    }
    EXPECT_LE(most, ProfileCacheLimits{}.maxBytes) << "the heap grew by " << most;
    EXPECT_LE(cache.FilesKept(), 2u) << "one file of twelve megabytes and an empty one";
}

TEST(ProfileCache, SheetsOnSeveralThreadsSeeWholeVersions) {
    StampedFiles files;
    // Every version of a file holds one number in two keys: a reader that mixed two versions
    // would see them differ.
    auto version = [](int n) {
        const std::string v = std::to_string(n);
        return "[S]\nfirst=" + v + "\n" + std::string(200, ';') + "\nsecond=" + v + "\n";
    };
    const std::u16string paths[] = {u"m1.ini", u"m2.ini", u"m3.ini", u"m4.ini", u"m5.ini"};
    for (const std::u16string& path : paths) files.Put(path, version(0));
    CachedProfileFiles cache(files, ProfileCacheLimits{.maxFiles = 3, .recheckMilliseconds = 2});

    std::atomic<bool> stop{false};
    std::atomic<int> mixed{0};
    std::atomic<int> answered{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&, t] {
            for (int i = 0; !stop.load() || i < 2000; ++i) {
                const std::u16string& path = paths[(i + t) % 5];
                // The two keys come from two queries, so a newer version may come between
                // them, but never an older one.
                const std::uint32_t first = cache.GetInt(u"S", u"first", -1, path);
                const std::uint32_t second = cache.GetInt(u"S", u"second", -1, path);
                if (second < first || first == static_cast<std::uint32_t>(-1)) ++mixed;
                ++answered;
                if (i > 20000) break;
            }
        });
    }
    for (int n = 1; n <= 200; ++n) {
        files.Put(paths[n % 5], version(n));
        files.clock += 1;
        if (n % 50 == 0) std::this_thread::yield();
    }
    stop = true;
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(0, mixed.load()) << "of " << answered.load() << " answers";
    EXPECT_LE(cache.FilesKept(), 3u);
    // Settled: every file answers its last version.
    files.clock += 10;
    for (int i = 0; i < 5; ++i) {
        const std::uint32_t last = i == 0 ? 200 : 195 + i;
        EXPECT_EQ(last, cache.GetInt(u"S", u"first", -1, paths[i])) << i;
    }
}

}  // namespace
