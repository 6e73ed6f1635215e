#include "ui/passcode_limits.h"

#include <algorithm>

namespace ui {

PasscodeLimits ReadPasscodeLimits(profile::ProfileReader* profile, const PasscodeLimitKeys& keys) {
    if (profile == nullptr) return {keys.defaultLength, keys.defaultLength};
    profile->SetSection(u"Common");
    return {profile->ReadInt(keys.minKey, keys.defaultLength),
            profile->ReadInt(keys.maxKey, keys.defaultLength)};
}

PasscodeLimits FitPasscodeLimits(PasscodeLimits model, int widest) {
    const int longest = std::clamp(model.max, 1, std::max(widest, 1));
    return {std::clamp(model.min, 1, longest), longest};
}

}  // namespace ui
