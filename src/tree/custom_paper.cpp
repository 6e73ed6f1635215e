#include "tree/custom_paper.h"

#include <cstring>
#include <optional>

#include "profile/bounded_text.h"
#include "tree/feature_options.h"

namespace tree {
namespace {

// FORM_INFO_1 Flags of a form the user defined.
constexpr std::uint32_t kFormUser = 0;
// Pointers below this are resource numbers (MAKEINTRESOURCE), not text.
constexpr std::uintptr_t kFirstTextAddress = 0x10000;
// Where the host keeps its custom page size (width, then height) in its private settings.
constexpr std::size_t kCustomWidthOffset = 152;
constexpr std::size_t kCustomHeightOffset = 156;
constexpr std::size_t kCustomSizeEnd = 160;

// The trays of the table, never more than it can hold.
std::size_t UsedTrays(const profile::UiSession& session) {
    if (session.trayCount <= 0) return 0;
    const auto count = static_cast<std::size_t>(session.trayCount);
    return count < profile::kMaxTrays ? count : profile::kMaxTrays;
}

// The item's options and their count; none without an option type or list.
host::OPTPARAM* Options(const host::OPTITEM& item, std::size_t* count) {
    *count = 0;
    if (item.pOptType == nullptr || item.pOptType->pOptParam == nullptr) return nullptr;
    *count = item.pOptType->Count;
    return item.pOptType->pOptParam;
}

// Sets or clears the option's hiding flag; true when it changed.
bool SetHidden(host::OPTPARAM& option, bool hide) {
    const bool hidden = (option.Flags & host::kOptpfHide) != 0;
    if (hidden == hide) return false;
    option.Flags = static_cast<host::BYTE>(hide ? option.Flags | host::kOptpfHide
                                                : option.Flags & ~host::kOptpfHide);
    return true;
}

// Shows every option of the item; true when one was hidden.
bool ShowAll(host::OPTITEM& item) {
    std::size_t count = 0;
    host::OPTPARAM* options = Options(item, &count);
    bool changed = false;
    for (std::size_t i = 0; i < count && options != nullptr; ++i) {
        changed = SetHidden(options[i], false) || changed;
    }
    return changed;
}

// The size of the paper-size item's selected option; unknown (a built-in kind, unsized)
// when the selection is outside the list or its text is a resource number.
FormSize SelectedFormSize(const platform::Platform& platform, const profile::UiSession& session,
                          const host::OPTITEM& formItem) {
    std::size_t count = 0;
    const host::OPTPARAM* options = Options(formItem, &count);
    char16_t text[kOptionTextUnits + 1];
    if (options == nullptr || formItem.Sel < 0 || static_cast<std::size_t>(formItem.Sel) >= count ||
        !ReadHostText(options[formItem.Sel].pData, text, kOptionTextUnits + 1)) {
        return {};
    }
    return GetFormSize(platform, session, text);
}

// The table entry of the paper-source item's selected tray, or none.
std::optional<std::size_t> SelectedTray(const profile::UiSession& session,
                                        const host::OPTITEM& sourceItem) {
    std::size_t count = 0;
    if (Options(sourceItem, &count) == nullptr || sourceItem.Sel < 0 ||
        static_cast<std::size_t>(sourceItem.Sel) >= count) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < UsedTrays(session); ++i) {
        if (session.trayList[i].index == sourceItem.Sel) return i;
    }
    return std::nullopt;
}

// The table entry whose name is the item's caption, or none. At most one unit more than the
// longest name is read from the caption.
std::optional<std::size_t> TrayOfCaption(const profile::UiSession& session,
                                         const host::OPTITEM& item) {
    char16_t caption[profile::kTrayNameUnits + 1];
    if (!ReadHostText(item.pName, caption, profile::kTrayNameUnits + 1) || caption[0] == u'\0') {
        return std::nullopt;
    }
    const std::u16string_view wanted(caption);
    for (std::size_t i = 0; i < UsedTrays(session); ++i) {
        const char16_t* name = session.trayList[i].name;
        if (wanted == std::u16string_view(name, text::FieldLength(name, profile::kTrayNameUnits))) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

bool ReadHostText(const host::WCHAR* text, char16_t* out, std::size_t units) {
    if (out == nullptr || units == 0) return false;
    out[0] = u'\0';
    if (reinterpret_cast<std::uintptr_t>(text) < kFirstTextAddress) return false;
    std::size_t n = 0;
    for (; n + 1 < units && text[n] != u'\0'; ++n) out[n] = text[n];
    out[n] = u'\0';
    return true;
}

bool SizeFits(const profile::TrayLimits& range, std::uint32_t width, std::uint32_t height) {
    if (range.minWidth == 0 && range.maxWidth == 0 && range.minHeight == 0 &&
        range.maxHeight == 0) {
        return true;
    }
    return range.minWidth <= width && width <= range.maxWidth && range.minHeight <= height &&
           height <= range.maxHeight;
}

FormSize GetFormSize(const platform::Platform& platform, const profile::UiSession& session,
                     std::u16string_view formName) {
    FormSize size;
    // Without the spooler nothing can be told about the form: it is left alone.
    if (platform.spooler == nullptr) return size;
    std::uint32_t flags = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (platform.spooler->ReadForm(session.printerHandle, formName, &flags, &width, &height) == 0) {
        if (flags == kFormUser) size = {FormKind::kUser, true, width, height};
        return size;
    }
    size.kind = FormKind::kHostCustom;
    const host::OEMUIPSPARAM* sheet = profile::SheetParams(session);
    if (sheet == nullptr || sheet->pPublicDM == nullptr) return size;
    const host::DEVMODEW& publicDm = *sheet->pPublicDM;
    if (publicDm.dmDriverExtra < kCustomSizeEnd) return size;
    // The host's private part follows the public settings at no particular alignment.
    const auto* hostPart = reinterpret_cast<const unsigned char*>(&publicDm) + publicDm.dmSize;
    std::memcpy(&size.width, hostPart + kCustomWidthOffset, sizeof size.width);
    std::memcpy(&size.height, hostPart + kCustomHeightOffset, sizeof size.height);
    size.sized = true;
    return size;
}

bool MarkSourcesForSize(const profile::UiSession& session, host::OPTITEM& sourceItem,
                        std::uint32_t width, std::uint32_t height) {
    std::size_t count = 0;
    host::OPTPARAM* options = Options(sourceItem, &count);
    if (options == nullptr) return false;
    bool changed = false;
    for (std::size_t i = 0; i < UsedTrays(session); ++i) {
        const std::int32_t index = session.trayList[i].index;
        if (index < 0 || static_cast<std::size_t>(index) >= count) continue;
        const bool fits = SizeFits(session.trayLimits[i], width, height);
        changed = SetHidden(options[index], !fits) || changed;
    }
    return changed;
}

bool MarkFormsForTray(const platform::Platform& platform, const profile::TrayLimits& range,
                      host::OPTITEM& formItem, const profile::UiSession& session) {
    std::size_t count = 0;
    host::OPTPARAM* options = Options(formItem, &count);
    bool changed = false;
    for (std::size_t i = 0; i < count && options != nullptr; ++i) {
        char16_t text[kOptionTextUnits + 1];
        if (!ReadHostText(options[i].pData, text, kOptionTextUnits + 1)) continue;
        const FormSize size = GetFormSize(platform, session, text);
        if (size.kind == FormKind::kBuiltIn || !size.sized) continue;
        const bool fits = SizeFits(range, size.width, size.height);
        changed = SetHidden(options[i], !fits) || changed;
        // The host's custom size cannot stay selected once hidden; its extension (the
        // button that edits it) goes with it.
        if (!fits && size.kind == FormKind::kHostCustom &&
            formItem.Sel == static_cast<host::LONG>(i)) {
            formItem.Flags |= host::kOptifChanged | host::kOptifExtHide | host::kOptifExtDisabled;
            formItem.Sel = 0;
        }
    }
    return changed;
}

void CheckPaperAndSource(plugin::ProcessState& state, const host::CPSUICBPARAM& callback,
                         host::OEMCUIPPARAM& param, profile::UiSession& session, void*) {
    host::OPTITEM* form =
        FindDriverItem(callback.pOptItem, callback.cOptItem, nullptr, host::kDmPubFormName);
    host::OPTITEM* source =
        FindDriverItem(callback.pOptItem, callback.cOptItem, nullptr, host::kDmPubDefSource);
    if (form == nullptr || source == nullptr) return;
    const platform::Platform& platform = state.ports();

    const std::optional<std::size_t> tray = SelectedTray(session, *source);
    const bool formsChanged =
        tray ? MarkFormsForTray(platform, session.trayLimits[*tray], *form, session)
             : ShowAll(*form);

    const FormSize size = SelectedFormSize(platform, session, *form);
    const bool sourcesChanged = size.kind != FormKind::kBuiltIn && size.sized
                                    ? MarkSourcesForSize(session, *source, size.width, size.height)
                                    : ShowAll(*source);

    host::OEMUIOBJ* uiObject = SessionUiObject(session, param);
    if (formsChanged) {
        SelectDriverItem(session.driverHelper, uiObject, form, form->Sel, host::kOemCuipDocProp);
    }
    if (sourcesChanged) {
        SelectDriverItem(session.driverHelper, uiObject, source, source->Sel,
                         host::kOemCuipDocProp);
    }
}

void MarkTrayForms(plugin::ProcessState& state, host::OEMCUIPPARAM& param,
                   profile::UiSession& session) {
    const std::size_t trays = UsedTrays(session);
    if (trays == 0 || param.pDrvOptItems == nullptr) return;
    const platform::Platform& platform = state.ports();
    host::OPTITEM* last = nullptr;
    std::size_t matched = 0;
    for (host::DWORD n = 0; n < param.cDrvOptItems && matched < trays; ++n) {
        host::OPTITEM& item = param.pDrvOptItems[n];
        const std::optional<std::size_t> tray = TrayOfCaption(session, item);
        if (!tray) continue;
        last = &item;
        ++matched;
        std::size_t count = 0;
        host::OPTPARAM* options = Options(item, &count);
        for (std::size_t i = 0; i < count && options != nullptr; ++i) {
            char16_t text[kOptionTextUnits + 1];
            if (!ReadHostText(options[i].pData, text, kOptionTextUnits + 1)) continue;
            const FormSize size = GetFormSize(platform, session, text);
            if (size.kind == FormKind::kUser &&
                !SizeFits(session.trayLimits[*tray], size.width, size.height)) {
                SetHidden(options[i], true);
            }
        }
    }
    if (last != nullptr) {
        SelectDriverItem(session.driverHelper, SessionUiObject(session, param), last, last->Sel,
                         host::kOemCuipPrnProp);
    }
}

}  // namespace tree
