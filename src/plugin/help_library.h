// The help service: the HTML Help control, found through its class key and loaded once per
// process on first use, by full path only.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/ports.h"
#include "plugin/host_interface.h"

namespace plugin {

class HelpLibrary final : public platform::HelpService {
  public:
    explicit HelpLibrary(const platform::Platform& ports) : ports_(ports) {}

    // Loads the control on the first call (other threads asking at the same time wait for
    // that load), then hands the call to its wide-character entry. Null when the control
    // cannot be had; a failed load is not tried again.
    void* HtmlHelp(void* owner, const char16_t* address, std::uint32_t command,
                   std::uintptr_t data) override;

    // The path the control is loaded from: the default value of its class key (expanded
    // when it is REG_EXPAND_SZ; a name without a folder is taken from the system folder),
    // else "hhctrl.ocx" in the system folder. Empty when not even the system folder is known.
    std::u16string CandidatePath() const;

  private:
    using Entry = void*(HOST_CALL*)(void*, const char16_t*, std::uint32_t, std::uintptr_t);

    void Load();

    const platform::Platform& ports_;
    std::mutex mutex_;
    bool loadTried_ = false;
    std::unique_ptr<platform::LoadedModule> library_;
    Entry entry_ = nullptr;
};

// True when a path names its drive or server ("C:\...", "\\server\..."): the only paths
// loaded as they are.
bool IsFullPath(std::u16string_view path);

}  // namespace plugin
