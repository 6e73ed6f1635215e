// The host's settings trees: the driver's own feature items (with their keywords, public ids
// and option texts, as a PostScript driver builds them from a printer description), the
// plug-in's items, and the calls the host makes on them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "plugin/host_interface.h"
#include "sheet_host.h"

namespace hostsim {

class DocumentTreeHost {
  public:
    enum class Kind { kDocument, kPrinter };
    // The document tree of the job whose document sheet `sheet` is open (it shares the
    // sheet's private record and public settings, as the driver's tree and sheet do), or the
    // printer tree of the printer whose printer sheet `sheet` is.
    DocumentTreeHost(host::IPrintOemUI* plugIn, SheetHost& sheet, host::OEMUIOBJ* uiObject,
                     Kind kind = Kind::kDocument);
    DocumentTreeHost(const DocumentTreeHost&) = delete;
    DocumentTreeHost& operator=(const DocumentTreeHost&) = delete;

    // CommonUIProp twice: the size query, then the fill call.
    host::HRESULT Build();
    // The selection of an item by its option text, or -1.
    static host::LONG OptionIndex(const host::OPTITEM& item, const wchar_t* text);
    static std::wstring OptionText(const host::OPTITEM& item);
    const host::OEMCUIPPARAM& param() const { return param_; }
    // The parameter block as a careless host may change it before Build.
    host::OEMCUIPPARAM& param() { return param_; }

    // The installed callback with a reason; `current` and `oldSelection` as the host fills
    // CPSUICBPARAM for a selection change.
    host::LONG Callback(host::WORD reason, host::OPTITEM* current = nullptr,
                        host::LONG oldSelection = 0, HWND window = nullptr);
    // A selection change of a host item, as the user makes it in the tree.
    host::LONG Change(host::OPTITEM* item, host::LONG selection, HWND window = nullptr);
    // Presses the push button of the plug-in's item `index` (its OPTPARAM callback).
    host::LONG PressButton(std::size_t index, HWND owner);

    host::OPTITEM* Item(const char* keyword);
    host::OPTITEM* ItemById(host::BYTE id);
    std::size_t ItemCount() const { return items_.size(); }
    const host::OPTITEM& ItemAt(std::size_t index) const { return items_[index]; }
    // The keyword of a driver item ("ColorMode"), or its public field ("Copies").
    static std::wstring ItemName(const host::OPTITEM& item);
    host::OPTITEM* Own(std::size_t index);
    std::size_t OwnCount() const { return own_.size(); }
    std::wstring OwnCaption(std::size_t index);

  private:
    host::OPTITEM& Add(const char* keyword, host::BYTE publicId, host::LONG selection, int options,
                       std::vector<std::wstring> texts = {});

    host::IPrintOemUI* plugIn_;
    SheetHost& sheet_;
    Kind kind_;
    host::OEMCUIPPARAM param_ = {};
    // The driver's items and what they point to; reserved up front, so no pointer moves.
    std::vector<host::OPTITEM> items_;
    std::vector<std::unique_ptr<host::USERDATA>> userData_;
    std::vector<std::unique_ptr<std::string>> keywords_;
    std::vector<std::unique_ptr<host::OPTTYPE>> types_;
    std::vector<std::unique_ptr<std::vector<host::OPTPARAM>>> params_;
    std::vector<std::unique_ptr<std::vector<std::wstring>>> texts_;
    std::vector<host::OPTITEM> own_;
};

}  // namespace hostsim
