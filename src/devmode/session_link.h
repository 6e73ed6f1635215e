// SessionLink: how a private record names the working session of the document property
// sheet that has it open. The record field is 32 bits wide on every platform, too narrow for
// a 64-bit pointer, so it holds a key into a process-wide table of live sessions instead.
// Keys are never pointer bits: a key copied from another process, or one whose session has
// ended, finds nothing.
#pragma once

#include <cstdint>

namespace devmode {

// Enters a live session and returns its key: non-zero and different from every other live
// key. 0 when session is null or the table cannot grow.
std::uint32_t RegisterSession(void* session) noexcept;

// Removes a key; unknown keys and 0 are ignored.
void UnregisterSession(std::uint32_t key) noexcept;

// The session of a live key; null for 0, a key that was unregistered, or one never handed
// out in this process. The caller keeps the session alive while it uses the pointer (a
// sheet unregisters its key before it destroys its session).
void* FindSession(std::uint32_t key) noexcept;

// The SessionLink field of a record (null records are ignored and read as 0).
void WriteSessionLink(void* record, std::uint32_t key) noexcept;
std::uint32_t ReadSessionLink(const void* record) noexcept;

}  // namespace devmode
