#include "tree_host.h"

#include <cstring>
#include <cwchar>

namespace hostsim {

DocumentTreeHost::DocumentTreeHost(host::IPrintOemUI* plugIn, SheetHost& sheet,
                                   host::OEMUIOBJ* uiObject, Kind kind)
    : plugIn_(plugIn), sheet_(sheet), kind_(kind) {
    items_.reserve(32);
    param_.cbSize = sizeof param_;
    param_.poemuiobj = uiObject;
    param_.hPrinter = sheet.param().hPrinter;
    param_.pPrinterName = sheet.param().pPrinterName;
    param_.hOEMHeap = sheet.param().hOEMHeap;
    if (kind == Kind::kPrinter) {
        // The installable options of the TALEN sample's printer description, the driver's
        // PostScript memory setting (named by its text number 400) and a tray's forms.
        const std::vector<std::wstring> noYes = {L"Not Installed", L"Installed"};
        Add("Option1", 0, 0, 2, noYes);
        Add("Option2", 0, 0, 2, noYes);
        Add("Option4", 0, 0, 2, noYes);
        Add("Option5", 0, 0, 2, noYes);
        Add("Option6", 0, 0, 2, noYes);
        Add("Finisher", 0, 0, 3, {L"None", L"Stapler", L"Booklet"});
        Add("OptOutputBin", 0, 0, 3, {L"Not Installed", L"1 Optional Bin", L"2 Optional Bins"});
        Add("InstalledMemory", 0, 0, 4, {L"128 MB", L"256 MB", L"512 MB", L"1024 MB"});
        host::OPTITEM& postScript = Add(nullptr, 0, 0, 0);
        postScript.pName = reinterpret_cast<host::WCHAR*>(std::uintptr_t{400});
        param_.pDrvOptItems = items_.data();
        param_.cDrvOptItems = static_cast<host::DWORD>(items_.size());
        return;
    }
    const host::DEVMODEW& dm = sheet.publicDevmode();
    // What a PostScript driver shows for a colour laser printer: public items, then the
    // printer description's features. The SmartCMS features follow each other.
    Add(nullptr, host::kDmPubCopiesCollate, dm.dmCopies, 0);
    Add(nullptr, host::kDmPubColor, dm.dmColor == host::kDmColorColor ? 1 : 0, 2);
    Add(nullptr, host::kDmPubPrintQuality, 0, 2);
    Add(nullptr, host::kDmPubDefSource, 0, 4);
    Add(nullptr, host::kDmPubDuplex, 0, 3);
    Add(nullptr, host::kDmPubNup, 0, 7);
    Add("ColorMode", 0, 1, 2);
    Add("Quality", 0, 1, 4);
    Add("JCLEnhanceGray", 0, 1, 2);
    Add("JCLRegionColor", 0, 0, 5);
    Add("StapleLocation", 0, 0, 3);
    Add("JCLMediaType", 0, 0, 6);
    Add("GraphicsSmartCMS1", 0, 0, 2);
    Add("GraphicsSmartCMS2", 0, 0, 2);
    Add("GraphicsSmartCMS3", 0, 0, 2);
    Add("GraphicsSmartCMS4", 0, 0, 2);
    Add("InstalledMemory", 0, 0, 4);

    param_.pPublicDM = &sheet.publicDevmode();
    param_.pOEMDM = sheet.record().data();
    param_.pDrvOptItems = items_.data();
    param_.cDrvOptItems = static_cast<host::DWORD>(items_.size());
}

host::OPTITEM& DocumentTreeHost::Add(const char* keyword, host::BYTE publicId, host::LONG selection,
                                     int options, std::vector<std::wstring> texts) {
    host::OPTITEM item = {};
    item.cbSize = sizeof item;
    item.DMPubID = publicId;
    item.Sel = selection;
    if (keyword != nullptr) {
        keywords_.push_back(std::make_unique<std::string>(keyword));
        auto data = std::make_unique<host::USERDATA>();
        data->dwSize = sizeof(host::USERDATA);
        data->pKeyWordName = keywords_.back()->data();
        item.UserData = reinterpret_cast<host::ULONG_PTR>(data.get());
        userData_.push_back(std::move(data));
    }
    if (options > 0) {
        auto params = std::make_unique<std::vector<host::OPTPARAM>>(options);
        for (host::OPTPARAM& p : *params) p.cbSize = sizeof p;
        if (!texts.empty()) {
            texts_.push_back(std::make_unique<std::vector<std::wstring>>(std::move(texts)));
            for (std::size_t i = 0; i < params->size() && i < texts_.back()->size(); ++i) {
                (*params)[i].pData = reinterpret_cast<host::WCHAR*>((*texts_.back())[i].data());
            }
        }
        auto type = std::make_unique<host::OPTTYPE>();
        type->cbSize = sizeof(host::OPTTYPE);
        type->Count = static_cast<host::WORD>(options);
        type->pOptParam = params->data();
        item.pOptType = type.get();
        types_.push_back(std::move(type));
        params_.push_back(std::move(params));
    }
    items_.push_back(item);
    return items_.back();
}

host::LONG DocumentTreeHost::OptionIndex(const host::OPTITEM& item, const wchar_t* text) {
    if (item.pOptType == nullptr || item.pOptType->pOptParam == nullptr) return -1;
    for (host::WORD i = 0; i < item.pOptType->Count; ++i) {
        const auto* data = reinterpret_cast<const wchar_t*>(item.pOptType->pOptParam[i].pData);
        if (data != nullptr && std::wcscmp(data, text) == 0) return i;
    }
    return -1;
}

std::wstring DocumentTreeHost::OptionText(const host::OPTITEM& item) {
    if (item.pOptType == nullptr || item.pOptType->pOptParam == nullptr || item.Sel < 0 ||
        item.Sel >= item.pOptType->Count) {
        return L"";
    }
    const auto* data = reinterpret_cast<const wchar_t*>(item.pOptType->pOptParam[item.Sel].pData);
    return data != nullptr ? data : L"";
}

host::HRESULT DocumentTreeHost::Build() {
    param_.pOEMOptItems = nullptr;
    param_.cOEMOptItems = 0;
    const host::DWORD mode =
        kind_ == Kind::kPrinter ? host::kOemCuipPrnProp : host::kOemCuipDocProp;
    const host::HRESULT sized = plugIn_->CommonUIProp(mode, &param_);
    if (sized != host::kSOk) return sized;
    own_.assign(param_.cOEMOptItems, host::OPTITEM{});
    param_.pOEMOptItems = own_.data();
    return plugIn_->CommonUIProp(mode, &param_);
}

host::LONG DocumentTreeHost::Callback(host::WORD reason, host::OPTITEM* current,
                                      host::LONG oldSelection, HWND window) {
    if (param_.OEMCUIPCallback == nullptr) return -1;
    host::CPSUICBPARAM callback = {};
    callback.cbSize = sizeof callback;
    callback.Reason = reason;
    callback.hDlg = window;
    callback.pOptItem = items_.data();
    callback.cOptItem = static_cast<host::WORD>(items_.size());
    callback.pCurItem = current;
    callback.OldSel = oldSelection;
    return param_.OEMCUIPCallback(&callback, &param_);
}

host::LONG DocumentTreeHost::Change(host::OPTITEM* item, host::LONG selection, HWND window) {
    if (item == nullptr) return -1;
    const host::LONG old = item->Sel;
    item->Sel = selection;
    if (item->DMPubID == host::kDmPubColor) {
        sheet_.publicDevmode().dmColor =
            selection != 0 ? host::kDmColorColor : host::kDmColorMonochrome;
    }
    if (item->DMPubID == host::kDmPubCopiesCollate) {
        sheet_.publicDevmode().dmCopies = static_cast<short>(selection);
    }
    return Callback(host::kCpsuicbReasonSelChanged, item, old, window);
}

host::LONG DocumentTreeHost::PressButton(std::size_t index, HWND owner) {
    host::OPTITEM* item = Own(index);
    if (item == nullptr || item->pOptType == nullptr || item->pOptType->pOptParam == nullptr) {
        return -1;
    }
    const auto button = reinterpret_cast<host::PushButtonProc>(
        reinterpret_cast<void*>(item->pOptType->pOptParam[0].pData));
    if (button == nullptr) return -1;
    host::CPSUICBPARAM callback = {};
    callback.cbSize = sizeof callback;
    callback.Reason = host::kCpsuicbReasonPushButton;
    callback.hDlg = owner;
    callback.pOptItem = own_.data();
    callback.cOptItem = static_cast<host::WORD>(own_.size());
    callback.pCurItem = item;
    callback.UserData = item->UserData;
    return button(&callback);
}

host::OPTITEM* DocumentTreeHost::Item(const char* keyword) {
    for (host::OPTITEM& item : items_) {
        const auto* data = reinterpret_cast<const host::USERDATA*>(item.UserData);
        if (data != nullptr && std::strcmp(data->pKeyWordName, keyword) == 0) return &item;
    }
    return nullptr;
}

host::OPTITEM* DocumentTreeHost::ItemById(host::BYTE id) {
    for (host::OPTITEM& item : items_) {
        if (item.DMPubID == id) return &item;
    }
    return nullptr;
}

std::wstring DocumentTreeHost::ItemName(const host::OPTITEM& item) {
    const auto* data = reinterpret_cast<const host::USERDATA*>(item.UserData);
    if (data != nullptr && data->pKeyWordName != nullptr) {
        const std::string keyword = data->pKeyWordName;
        return std::wstring(keyword.begin(), keyword.end());
    }
    switch (item.DMPubID) {
        case host::kDmPubCopiesCollate:
            return L"Copies";
        case host::kDmPubColor:
            return L"Color";
        case host::kDmPubPrintQuality:
            return L"Print Quality";
        case host::kDmPubDefSource:
            return L"Paper Source";
        case host::kDmPubDuplex:
            return L"Duplex";
        case host::kDmPubNup:
            return L"Pages per Sheet";
        default:
            return L"Item";
    }
}

host::OPTITEM* DocumentTreeHost::Own(std::size_t index) {
    return index < own_.size() ? &own_[index] : nullptr;
}

std::wstring DocumentTreeHost::OwnCaption(std::size_t index) {
    const host::OPTITEM* item = Own(index);
    if (item == nullptr || item->pName == nullptr) return L"";
    return reinterpret_cast<const wchar_t*>(item->pName);
}

}  // namespace hostsim
