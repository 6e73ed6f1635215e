#include "devmode/session_link.h"

#include <chrono>

#include "devmode/oem_devmode.h"

namespace devmode {
namespace {

// Successive keys differ in many bits (an odd step visits every 32-bit value before
// repeating), and the first key depends on the process and the moment it starts, so a stale
// key from an earlier sheet or another process is unlikely to name a live session.
constexpr std::uint32_t kKeyStep = 0x9E3779B9u;

std::uint32_t Mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<std::uint32_t>(x ^ (x >> 32));
}

}  // namespace

SessionTable::SessionTable() {
    const auto now =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    // The table's own address varies with the process's address-space layout.
    next_ = Mix(now ^ reinterpret_cast<std::uintptr_t>(this));
}

std::uint32_t SessionTable::Register(void* session, std::uint32_t owner,
                                     SessionKind kind) noexcept {
    if (session == nullptr) return 0;
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        // At most as many tries as there are live keys, plus the zero key.
        for (std::size_t tries = 0; tries <= sessions_.size() + 1; ++tries) {
            const std::uint32_t key = next_;
            next_ += kKeyStep;
            if (key == 0 || sessions_.count(key) != 0) continue;
            sessions_.emplace(key, Entry{session, owner, kind});
            return key;
        }
    } catch (...) {
    }
    return 0;
}

void SessionTable::Unregister(std::uint32_t key) noexcept {
    if (key == 0) return;
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        sessions_.erase(key);
    } catch (...) {
    }
}

void* SessionTable::Find(std::uint32_t key, std::uint32_t thread) const noexcept {
    if (key == 0) return nullptr;
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = sessions_.find(key);
        if (it == sessions_.end() || it->second.owner != thread) return nullptr;
        return it->second.session;
    } catch (...) {
        return nullptr;
    }
}

std::uint32_t SessionTable::KeyOf(const void* session, std::uint32_t thread) const noexcept {
    if (session == nullptr) return 0;
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [key, entry] : sessions_) {
            if (entry.session == session && entry.owner == thread) return key;
        }
    } catch (...) {
    }
    return 0;
}

std::vector<void*> SessionTable::Live(SessionKind kind, std::uint32_t thread) const noexcept {
    std::vector<void*> live;
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [key, entry] : sessions_) {
            if (entry.kind == kind && entry.owner == thread) live.push_back(entry.session);
        }
    } catch (...) {
    }
    return live;
}

void WriteSessionLink(void* record, std::uint32_t key) noexcept {
    if (record != nullptr) Set(record, kSessionLink, key);
}

std::uint32_t ReadSessionLink(const void* record) noexcept {
    return record != nullptr ? Get(record, kSessionLink) : 0;
}

}  // namespace devmode
