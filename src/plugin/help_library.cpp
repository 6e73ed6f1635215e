#include "plugin/help_library.h"

#include "profile/bounded_text.h"

namespace plugin {
namespace {

constexpr char16_t kHelpClassKey[] =
    u"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr char16_t kHelpControlName[] = u"hhctrl.ocx";
// The wide-character help entry is exported by ordinal only.
constexpr std::uint16_t kHtmlHelpWOrdinal = 15;
constexpr std::uint32_t kClassValueUnits = 260;

}  // namespace

bool IsFullPath(std::u16string_view path) {
    const bool drive =
        path.size() >= 3 &&
        ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
        path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
    const bool unc = path.size() >= 3 && path[0] == u'\\' && path[1] == u'\\';
    return drive || unc;
}

std::u16string HelpLibrary::CandidatePath() const {
    std::u16string named;
    if (ports_.registry != nullptr) {
        if (auto root =
                ports_.registry->OpenHive(platform::Hive::kClassesRoot, platform::kKeyRead)) {
            if (auto key = root->Open(kHelpClassKey, platform::kKeyRead)) {
                char16_t value[kClassValueUnits + 1] = {};
                std::uint32_t type = 0;
                std::uint32_t size = kClassValueUnits * sizeof(char16_t);
                if (key->QueryValue(u"", &type, value, &size) == platform::kRegSuccess &&
                    (type == platform::kRegSz || type == platform::kRegExpandSz)) {
                    named.assign(value, text::FieldLength(value, size / sizeof(char16_t)));
                    if (type == platform::kRegExpandSz && ports_.system != nullptr) {
                        named = ports_.system->ExpandEnvironment(named);
                    }
                }
            }
        }
    }
    if (!named.empty() && IsFullPath(named)) return named;
    // A bare name would be searched for in the host program's folder first, where anybody
    // may have put a library of that name: take it from the system folder instead.
    const std::u16string system =
        ports_.system != nullptr ? ports_.system->SystemDirectory() : std::u16string();
    if (system.empty()) return {};
    return system + u"\\" + (named.empty() ? std::u16string(kHelpControlName) : named);
}

void HelpLibrary::Load() {
    if (ports_.modules == nullptr) return;
    const std::u16string path = CandidatePath();
    if (path.empty()) return;
    auto library = ports_.modules->Load(path);
    if (!library) return;
    auto* entry = reinterpret_cast<Entry>(library->FindOrdinal(kHtmlHelpWOrdinal));
    // Without the entry the library is of no use: it is freed again with its owner.
    if (entry == nullptr) return;
    library_ = std::move(library);
    entry_ = entry;
}

void* HelpLibrary::HtmlHelp(void* owner, const char16_t* address, std::uint32_t command,
                            std::uintptr_t data) {
    Entry entry = nullptr;
    {
        // The first call loads the control; a call on another thread meanwhile waits for it.
        // (A mutex, not a once-flag: the platform's thread library keeps a record of each
        // thread that passes a once-flag, which outlives an unloaded plug-in.) A load that
        // fails (an allocation included) leaves the service unavailable.
        std::lock_guard<std::mutex> lock(mutex_);
        if (!loadTried_) {
            loadTried_ = true;
            try {
                Load();
            } catch (...) {
                library_.reset();
                entry_ = nullptr;
            }
        }
        entry = entry_;
    }
    if (entry == nullptr) return nullptr;
    return entry(owner, address, command, data);
}

}  // namespace plugin
