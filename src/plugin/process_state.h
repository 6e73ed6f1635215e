// The state of the loaded plug-in module that outlives every call: the COM server's object
// and lock counters, the value column of the installable-option table, the table of live
// working sessions, the help service, and the one table of ports every object, page and
// dialog uses. The DLL owns exactly one; the native tests make their own.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "devmode/session_link.h"
#include "platform/ports.h"
#include "plugin/help_library.h"

namespace plugin {

// Rows of the installable-option table (tree/feature_options.h).
inline constexpr std::size_t kInstallableOptionRows = 13;

class ProcessState {
  public:
    // `adapters` are the platform's ports. Without a help service among them the state's
    // own serves, built on the registry, system and module-loading ports.
    explicit ProcessState(const platform::Platform& adapters);
    ~ProcessState();
    ProcessState(const ProcessState&) = delete;
    ProcessState& operator=(const ProcessState&) = delete;

    // The state the host's context-free callbacks (the document tree callback, the push
    // buttons' callbacks) work with: the one made last, while it lives.
    static ProcessState* ForCallbacks() noexcept;

    const platform::Platform& ports() const { return ports_; }

    // LockServer: a lock taken, or one given back. An unmatched unlock never drives the
    // count below zero.
    void Lock() { ++lockCount; }
    void Unlock();
    bool CanUnload() const { return objectCount.load() == 0 && lockCount.load() == 0; }

    std::atomic<std::int32_t> objectCount{0};  // live plug-in objects
    std::atomic<std::int32_t> lockCount{0};    // outstanding LockServer(TRUE) calls
    // The value column of the installable-option table: the selection auto-configuration
    // last applied for each row's keyword (0 until then).
    std::array<std::atomic<std::int32_t>, kInstallableOptionRows> installableOptionValues{};
    // The working sessions of the open property sheets.
    devmode::SessionTable sessions;

  private:
    HelpLibrary help_;
    platform::Platform ports_;
};

}  // namespace plugin
