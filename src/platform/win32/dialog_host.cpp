#include "platform/win32/dialog_host.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "platform/win32/edit_filters_win32.h"
#include "platform/win32/win32_platform.h"
#include "profile/bounded_text.h"
#include "ui/trouble_page.h"

namespace win32 {
namespace {

const platform::Platform* pagePlatform = nullptr;

std::u16string WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return std::u16string(text, text + wcsnlen(text, 256));
}

// Hands one message to the presenter kept in the window's user data. Messages that arrive
// before WM_INITDIALOG stored it are left to the system.
INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                 ui::Presenter* presenter) {
    if (presenter == nullptr) return FALSE;
    // The dialog was made from one of the module's templates: its instance is the module.
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    Win32Controls controls(window, module);
    switch (message) {
        case WM_INITDIALOG:
            return presenter->OnInit(controls) ? TRUE : FALSE;
        case WM_COMMAND:
            return presenter->OnCommand(controls, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_HELP: {
            const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
            if (info == nullptr) return FALSE;
            return presenter->OnHelp(controls, info->iCtrlId) ? TRUE : FALSE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header == nullptr) return FALSE;
            SetWindowLongPtrW(window, DWLP_MSGRESULT,
                              presenter->OnNotify(controls, static_cast<int>(header->idFrom),
                                                  static_cast<int>(header->code)));
            return TRUE;
        }
        case WM_DESTROY:
            presenter->OnDestroy(controls);
            return FALSE;
        default:
            return FALSE;
    }
}

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
    auto* list = reinterpret_cast<std::vector<ui::ChildControl>*>(context);
    ui::ChildControl control;
    control.handle = child;
    control.id = GetDlgCtrlID(child);
    wchar_t className[256] = {};
    GetClassNameW(child, className, 256);
    control.className.assign(className, className + wcsnlen(className, 256));
    control.text = WindowText(child);
    control.style = static_cast<std::uint32_t>(GetWindowLongW(child, GWL_STYLE));
    list->push_back(std::move(control));
    return TRUE;
}

ui::Presenter* StoredPresenter(HWND window) {
    return reinterpret_cast<ui::Presenter*>(GetWindowLongPtrW(window, DWLP_USER));
}

}  // namespace

void SetPagePlatform(const platform::Platform* platform) { pagePlatform = platform; }

INT_PTR CALLBACK PresenterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return Dispatch(dialog, message, wParam, lParam, StoredPresenter(dialog));
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CALLBACK TroublePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            const auto* description = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
            auto* session = description != nullptr
                                ? reinterpret_cast<profile::UiSession*>(description->lParam)
                                : nullptr;
            if (pagePlatform == nullptr) return FALSE;
            auto presenter = std::make_unique<ui::TroublePagePresenter>(*pagePlatform, session);
            SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(presenter.release()));
        }
        ui::Presenter* presenter = StoredPresenter(page);
        const INT_PTR result = Dispatch(page, message, wParam, lParam, presenter);
        if (message == WM_NCDESTROY && presenter != nullptr) {
            SetWindowLongPtrW(page, DWLP_USER, 0);
            delete presenter;
        }
        return result;
    } catch (...) {
        return FALSE;
    }
}

INT_PTR RunModalDialog(HMODULE module, HANDLE activationContext, int templateId, HWND owner,
                       ui::Presenter& presenter) {
    ULONG_PTR cookie = 0;
    const bool activated =
        activationContext != nullptr && ActivateActCtx(activationContext, &cookie);
    const INT_PTR result =
        DialogBoxParamW(module, MAKEINTRESOURCEW(templateId), owner, PresenterDialogProc,
                        reinterpret_cast<LPARAM>(&presenter));
    if (activated) DeactivateActCtx(0, cookie);
    return result;
}

void Win32Controls::SetCaption(std::u16string_view text) {
    SetWindowTextW(dialog_, WideString(text).c_str());
}

void Win32Controls::RemoveHelpButton() {
    const LONG_PTR style = GetWindowLongPtrW(dialog_, GWL_EXSTYLE);
    SetWindowLongPtrW(dialog_, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP));
    SetWindowPos(dialog_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Win32Controls::EndDialog(int result) { ::EndDialog(dialog_, result); }

std::vector<ui::ChildControl> Win32Controls::Children() {
    std::vector<ui::ChildControl> children;
    EnumChildWindows(dialog_, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

void Win32Controls::SetChildText(void* child, std::u16string_view text) {
    SetWindowTextW(static_cast<HWND>(child), WideString(text).c_str());
}

void Win32Controls::EnableChild(void* child, bool enable) {
    EnableWindow(static_cast<HWND>(child), enable ? TRUE : FALSE);
}

std::u16string Win32Controls::Text(int id) { return WindowText(GetDlgItem(dialog_, id)); }

void Win32Controls::SetText(int id, std::u16string_view text) {
    SetDlgItemTextW(dialog_, id, WideString(text).c_str());
}

void Win32Controls::Show(int id, bool show) {
    ShowWindow(GetDlgItem(dialog_, id), show ? SW_SHOW : SW_HIDE);
}

void Win32Controls::Enable(int id, bool enable) {
    EnableWindow(GetDlgItem(dialog_, id), enable ? TRUE : FALSE);
}

bool Win32Controls::IsEnabled(int id) { return IsWindowEnabled(GetDlgItem(dialog_, id)) != 0; }

bool Win32Controls::IsVisible(int id) { return IsWindowVisible(GetDlgItem(dialog_, id)) != 0; }

bool Win32Controls::IsChecked(int id) { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

void Win32Controls::SetCheck(int id, bool checked) {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32Controls::SetLimit(int id, int units) {
    SendDlgItemMessageW(dialog_, id, EM_LIMITTEXT, static_cast<WPARAM>(units), 0);
}

bool Win32Controls::IsComboBox(HWND control) const {
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    return lstrcmpiW(className, L"ComboBox") == 0;
}

void Win32Controls::ClearItems(int id) {
    HWND control = GetDlgItem(dialog_, id);
    SendMessageW(control, IsComboBox(control) ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

int Win32Controls::AddItem(int id, std::u16string_view text) {
    HWND control = GetDlgItem(dialog_, id);
    const std::wstring item = WideString(text);
    return static_cast<int>(SendMessageW(control, IsComboBox(control) ? CB_ADDSTRING : LB_ADDSTRING,
                                         0, reinterpret_cast<LPARAM>(item.c_str())));
}

void Win32Controls::SetSelection(int id, int index) {
    HWND control = GetDlgItem(dialog_, id);
    SendMessageW(control, IsComboBox(control) ? CB_SETCURSEL : LB_SETCURSEL,
                 static_cast<WPARAM>(index), 0);
}

int Win32Controls::Selection(int id) {
    HWND control = GetDlgItem(dialog_, id);
    return static_cast<int>(
        SendMessageW(control, IsComboBox(control) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void Win32Controls::SetUpDownRange(int id, int low, int high) {
    SendDlgItemMessageW(dialog_, id, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
}

void Win32Controls::SetUpDownPosition(int id, int position) {
    SendDlgItemMessageW(dialog_, id, UDM_SETPOS32, 0, position);
}

int Win32Controls::UpDownPosition(int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog_, id, UDM_GETPOS32, 0, 0));
}

void* Win32Controls::CreateTooltips(bool rightToLeft) {
    INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
    InitCommonControlsEx(&init);
    HWND tooltips =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, dialog_, nullptr, module_, nullptr);
    if (tooltips == nullptr) return nullptr;
    if (rightToLeft) {
        const LONG_PTR style = GetWindowLongPtrW(tooltips, GWL_EXSTYLE);
        SetWindowLongPtrW(tooltips, GWL_EXSTYLE, style ^ WS_EX_LAYOUTRTL);
    }
    SetWindowPos(tooltips, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return tooltips;
}

void Win32Controls::AddTooltip(void* tooltips, const ui::ChildControl& child,
                               std::u16string_view text) {
    if (tooltips == nullptr) return;
    std::wstring tip = WideString(text);
    HWND control = static_cast<HWND>(child.handle);
    // The platform's full record size: a shorter one loses the text on 64-bit systems.
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hinst = module_;
    tool.lpszText = tip.data();
    const bool isStatic = text::UpperAscii(child.className).find(u"STATIC") != std::u16string::npos;
    if (isStatic && (child.style & SS_NOTIFY) != 0) {
        tool.uFlags |= TTF_IDISHWND;
        tool.hwnd = dialog_;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
    } else if (isStatic) {
        tool.hwnd = dialog_;
        tool.uId = static_cast<UINT_PTR>(child.id);
        GetWindowRect(control, &tool.rect);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&tool.rect), 2);
    } else {
        tool.hwnd = control;
        tool.uId = static_cast<UINT_PTR>(child.id);
        GetClientRect(control, &tool.rect);
    }
    SendMessageW(static_cast<HWND>(tooltips), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Controls::InstallEditFilter(int id, ui::EditFilter filter) {
    win32::InstallEditFilter(GetDlgItem(dialog_, id), filter);
}

int Win32Controls::MessageBox(std::u16string_view text, std::u16string_view caption,
                              std::uint32_t flags) {
    return MessageBoxW(dialog_, WideString(text).c_str(), WideString(caption).c_str(), flags);
}

void Win32Controls::Beep() { MessageBeep(MB_OK); }

}  // namespace win32
