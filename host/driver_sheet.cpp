#include "driver_sheet.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "host_page_ids.h"

namespace hostsim {
namespace {

// The module that holds this code and the page's template (the host's configuration DLL).
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// "ColorMode: Color", or the selection's number for an item without option texts.
std::wstring ItemLine(const host::OPTITEM& item) {
    std::wstring value = DocumentTreeHost::OptionText(item);
    if (value.empty()) value = std::to_wstring(item.Sel);
    return DocumentTreeHost::ItemName(item) + L": " + value;
}

}  // namespace

DriverSheet::DriverSheet(Kind kind, HANDLE printer, const wchar_t* printerName)
    : kind_(kind), printer_(printer, printerName) {}

DriverSheet::~DriverSheet() = default;

LONG DriverSheet::Run(Kind kind, PROPSHEETUI_INFO* info, LPARAM lParam) {
    switch (info->Reason) {
        case PROPSHEETUI_REASON_INIT: {
            std::unique_ptr<DriverSheet> sheet;
            bool opened = false;
            if (kind == Kind::kDocument) {
                auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam);
                if (header == nullptr) return ERR_CPSUI_GETLASTERROR;
                sheet.reset(new DriverSheet(kind, header->hPrinter, header->pszPrinterName));
                opened = sheet->OpenDocument(header);
            } else {
                auto* header = reinterpret_cast<DEVICEPROPERTYHEADER*>(lParam);
                if (header == nullptr) return ERR_CPSUI_GETLASTERROR;
                sheet.reset(new DriverSheet(kind, header->hPrinter, header->pszPrinterName));
                opened = sheet->OpenPrinter();
            }
            if (!opened) return ERR_CPSUI_GETLASTERROR;
            sheet->AddPages(info);
            info->UserData = reinterpret_cast<ULONG_PTR>(sheet.release());
            info->Result = CPSUI_OK;
            return 1;
        }
        case PROPSHEETUI_REASON_GET_INFO_HEADER: {
            auto* sheet = reinterpret_cast<DriverSheet*>(info->UserData);
            auto* header = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
            if (sheet != nullptr && header != nullptr) {
                header->pTitle = sheet->title_.data();
                header->Flags = 0;  // the title as it is
            }
            return 1;
        }
        case PROPSHEETUI_REASON_DESTROY: {
            std::unique_ptr<DriverSheet> sheet(reinterpret_cast<DriverSheet*>(info->UserData));
            info->UserData = 0;
            if (sheet) info->Result = sheet->Close();
            return 1;
        }
        default:
            return 1;
    }
}

bool DriverSheet::OpenDocument(DOCUMENTPROPERTYHEADER* header) {
    header_ = header;
    if (!printer_ || !plugIn_.LoadFor(printer_.get())) return false;
    title_ = printer_.name() + L" Document Properties";
    devmode_ = std::make_unique<JobDevmode>(plugIn_.get(), printer_.get(), printer_.name(),
                                            PrinterDescription::ForPrinter(printer_.get()));
    const std::vector<unsigned char> stored = PrinterDefaultDevmode(printer_.get());
    if (!stored.empty()) devmode_->Merge(reinterpret_cast<const DEVMODEW*>(stored.data()));
    if ((header->fMode & DM_IN_BUFFER) != 0) devmode_->Merge(header->pdmIn);

    sheet_ =
        std::make_unique<SheetHost>(plugIn_.get(), printer_.get(), printer_.name().c_str(), true);
    // The plug-in's sheet and tree work on the job's settings.
    std::memcpy(&sheet_->publicDevmode(), devmode_->get(), sizeof(DEVMODEW));
    std::memcpy(sheet_->record().data(), devmode_->record(),
                std::min(sheet_->record().size(), devmode_->recordSize()));
    sheet_->param().dwFlags = header->fMode;
    sheet_->Initialise();
    tree_ = std::make_unique<DocumentTreeHost>(plugIn_.get(), *sheet_, &uiObject_);
    tree_->Build();
    return true;
}

bool DriverSheet::OpenPrinter() {
    if (!printer_ || !plugIn_.LoadFor(printer_.get())) return false;
    title_ = printer_.name() + L" Properties";
    sheet_ =
        std::make_unique<SheetHost>(plugIn_.get(), printer_.get(), printer_.name().c_str(), false);
    sheet_->Initialise();
    tree_ = std::make_unique<DocumentTreeHost>(plugIn_.get(), *sheet_, &uiObject_,
                                               DocumentTreeHost::Kind::kPrinter);
    tree_->Build();
    return true;
}

void DriverSheet::AddPages(PROPSHEETUI_INFO* info) {
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = ThisModule();
    page.pszTemplate = MAKEINTRESOURCEW(IDD_HOST_PAGE);
    page.pfnDlgProc = &DriverSheet::PageProc;
    page.pszTitle = kind_ == Kind::kDocument ? L"Advanced" : L"Device Settings";
    page.lParam = reinterpret_cast<LPARAM>(this);
    info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                          reinterpret_cast<LPARAM>(&page), 0);
    // The plug-in's pages, made by the host's own sheet function, join the common sheet.
    for (HPROPSHEETPAGE added : sheet_->TakePages()) {
        if (info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE,
                                  reinterpret_cast<LPARAM>(added), 0) == 0) {
            DestroyPropertySheetPage(added);
        }
    }
}

LONG DriverSheet::Close() {
    tree_.reset();
    if (sheet_) sheet_->Destroy();
    sheet_.reset();
    if (kind_ == Kind::kDocument && applied_ && header_ != nullptr && header_->pdmOut != nullptr &&
        (header_->fMode & DM_OUT_BUFFER) != 0) {
        // Like the API's contract, the output buffer is as large as the size query answered;
        // Wine passes the buffer's dmSize as cbOut, which is no size of the buffer.
        std::memcpy(header_->pdmOut, devmode_->get(), devmode_->size());
    }
    return applied_ ? CPSUI_OK : CPSUI_CANCEL;
}

void DriverSheet::Apply(HWND page) {
    tree_->Callback(host::kCpsuicbReasonApplyNow, nullptr, 0, page);
    if (kind_ == Kind::kDocument) {
        std::memcpy(devmode_->get(), &sheet_->publicDevmode(), sizeof(DEVMODEW));
        std::memcpy(devmode_->record(), sheet_->record().data(),
                    std::min(sheet_->record().size(), devmode_->recordSize()));
    }
    applied_ = true;
}

void DriverSheet::Fill(HWND page) {
    SetDlgItemTextW(page, IDC_HOST_PRINTER, printer_.name().c_str());
    HWND list = GetDlgItem(page, IDC_HOST_ITEMS);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < tree_->ItemCount(); ++i) {
        const host::OPTITEM& item = tree_->ItemAt(i);
        if (item.UserData == 0 && item.DMPubID == 0) continue;  // a driver-internal item
        const std::wstring line = ItemLine(item);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    for (int b = 0; b < HOST_PAGE_BUTTONS; ++b) {
        HWND button = GetDlgItem(page, IDC_HOST_BUTTON0 + b);
        const bool used = static_cast<std::size_t>(b) < tree_->OwnCount();
        if (used) SetWindowTextW(button, tree_->OwnCaption(b).c_str());
        ShowWindow(button, used ? SW_SHOW : SW_HIDE);
    }
}

INT_PTR CALLBACK DriverSheet::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<DriverSheet*>(
                reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
            SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
            if (self != nullptr) self->Fill(page);
            return TRUE;
        }
        auto* self = reinterpret_cast<DriverSheet*>(GetWindowLongPtrW(page, DWLP_USER));
        if (self == nullptr) return FALSE;
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            const int button = LOWORD(wParam) - IDC_HOST_BUTTON0;
            if (button >= 0 && button < HOST_PAGE_BUTTONS) {
                self->tree_->PressButton(static_cast<std::size_t>(button), page);
                self->Fill(page);
                return TRUE;
            }
        }
        if (message == WM_NOTIFY) {
            switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
                case PSN_SETACTIVE:
                    self->tree_->Callback(host::kCpsuicbReasonSetActive, nullptr, 0, page);
                    self->Fill(page);
                    SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
                    return TRUE;
                case PSN_KILLACTIVE:
                    self->tree_->Callback(host::kCpsuicbReasonKillActive, nullptr, 0, page);
                    SetWindowLongPtrW(page, DWLP_MSGRESULT, FALSE);
                    return TRUE;
                case PSN_APPLY:
                    self->Apply(page);
                    SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
                    return TRUE;
                default:
                    break;
            }
        }
    } catch (...) {
        // Nothing leaves a window procedure; the page keeps what it had.
    }
    return FALSE;
}

}  // namespace hostsim
