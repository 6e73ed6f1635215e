#include "ui/layout_direction.h"

#include "ui/dialog_ids.h"

namespace ui {

bool IsRightToLeftLanguage(std::uint16_t langId) {
    const unsigned primary = langId & 0x3FF;
    return primary == 0x01 || primary == 0x0D;
}

bool IsRightToLeft(const platform::Platform& platform) {
    return platform.system != nullptr &&
           IsRightToLeftLanguage(platform.system->SystemDefaultLangId());
}

int DialogTemplate(const platform::Platform& platform, int templateId) {
    return MirroredTemplate(templateId, IsRightToLeft(platform));
}

}  // namespace ui
