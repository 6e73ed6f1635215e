// SessionLink: how a private record names the working session of the document property
// sheet that has it open. The record field is 32 bits wide on every platform, too narrow for
// a 64-bit pointer, so it holds a key into the process's table of live sessions instead.
// Keys are never pointer bits: a key copied from another process, or one whose session has
// ended, finds nothing. A session is handed out only to the thread that owns it, the thread
// of its property sheet.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace devmode {

// What a session serves: a property sheet, or the printer settings tree (which lives until
// the printer's property sheet closes).
enum class SessionKind : std::uint32_t { kSheet = 0, kPrinterTree = 1 };

class SessionTable {
  public:
    SessionTable();
    SessionTable(const SessionTable&) = delete;
    SessionTable& operator=(const SessionTable&) = delete;

    // Enters a live session owned by thread `owner` and returns its key: non-zero and
    // different from every other live key. 0 when session is null or the table cannot grow.
    std::uint32_t Register(void* session, std::uint32_t owner,
                           SessionKind kind = SessionKind::kSheet) noexcept;

    // Removes a key; unknown keys and 0 are ignored.
    void Unregister(std::uint32_t key) noexcept;

    // The session of a live key when `thread` owns it; null for 0, a key that was
    // unregistered or never handed out in this process, and a session of another thread.
    // The caller keeps the session alive while it uses the pointer (a sheet unregisters its
    // key before it ends its session).
    void* Find(std::uint32_t key, std::uint32_t thread) const noexcept;

    // The key of a live session owned by `thread`, or 0: proves that a pointer the host
    // hands back is one of ours.
    std::uint32_t KeyOf(const void* session, std::uint32_t thread) const noexcept;

    // The live sessions of one kind owned by `thread`.
    std::vector<void*> Live(SessionKind kind, std::uint32_t thread) const noexcept;

  private:
    struct Entry {
        void* session;
        std::uint32_t owner;
        SessionKind kind;
    };
    mutable std::mutex mutex_;
    std::uint32_t next_;
    std::unordered_map<std::uint32_t, Entry> sessions_;
};

// The SessionLink field of a record (null records are ignored and read as 0).
void WriteSessionLink(void* record, std::uint32_t key) noexcept;
std::uint32_t ReadSessionLink(const void* record) noexcept;

}  // namespace devmode
