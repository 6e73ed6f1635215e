#include "platform/win32/dialog_host.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>
#include <string>

#include "platform/win32/edit_filters_win32.h"
#include "platform/win32/owners.h"
#include "platform/win32/win32_platform.h"
#include "profile/bounded_text.h"

namespace win32 {
namespace {

// Marks a page window whose presenter the window owns (modal dialogs borrow theirs).
constexpr wchar_t kOwnedPresenterProperty[] = L"CorvelOwnedPresenter";

std::u16string WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return std::u16string(text, text + wcsnlen(text, 256));
}

ui::Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

RECT FromRect(const ui::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The binding handed over at WM_INITDIALOG: a modal dialog's parameter is the binding
// itself; a page's is its description, whose lParam is the binding.
DialogBinding* BindingOf(LPARAM lParam) {
    auto* binding = reinterpret_cast<DialogBinding*>(lParam);
    if (binding == nullptr) return nullptr;
    if (binding->magic == DialogBinding::kMagic) return binding;
    const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    binding = reinterpret_cast<DialogBinding*>(page->lParam);
    return binding != nullptr && binding->magic == DialogBinding::kMagic ? binding : nullptr;
}

// Gives the window its presenter at WM_INITDIALOG: the modal dialog's own, or a new one made
// by the page's factory and owned by the page window.
ui::Presenter* AttachPresenter(HWND window, LPARAM lParam) {
    DialogBinding* binding = BindingOf(lParam);
    if (binding == nullptr) return nullptr;
    ui::Presenter* presenter = binding->presenter;
    if (presenter == nullptr && binding->factory) {
        std::unique_ptr<ui::Presenter> made = binding->factory();
        if (made == nullptr || !SetPropW(window, kOwnedPresenterProperty, made.get())) {
            return nullptr;
        }
        presenter = made.release();
    }
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(presenter));
    return presenter;
}

void DetachPresenter(HWND window) {
    auto* owned = static_cast<ui::Presenter*>(RemovePropW(window, kOwnedPresenterProperty));
    SetWindowLongPtrW(window, DWLP_USER, 0);
    delete owned;
}

ui::Notification ReadNotification(const NMHDR& header) {
    ui::Notification n;
    n.id = static_cast<int>(header.idFrom);
    n.code = static_cast<int>(header.code);
    if (n.code == ui::kUdnDeltaPos) {
        const auto& updown = reinterpret_cast<const NMUPDOWN&>(header);
        n.upDownPosition = updown.iPos;
        n.upDownDelta = updown.iDelta;
    } else if (n.code == ui::kDtnDateTimeChange) {
        const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
        n.dateTimeValid = change.dwFlags == GDT_VALID;
        if (n.dateTimeValid) {
            const SYSTEMTIME& t = change.st;
            n.dateTime = {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                          t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
        }
    }
    return n;
}

// Sets the value a message's sender reads back from a dialog procedure that answers TRUE.
INT_PTR Answer(HWND window, bool handled, LONG_PTR result) {
    if (handled) SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return handled ? TRUE : FALSE;
}

INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                 ui::Presenter& presenter) {
    // The dialog was made from one of the module's templates: its instance is the module.
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    Win32Controls controls(window, module);
    switch (message) {
        case WM_INITDIALOG:
            return presenter.OnInit(controls) ? TRUE : FALSE;
        case WM_COMMAND:
            return presenter.OnCommand(controls, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_HELP: {
            const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
            if (info == nullptr) return FALSE;
            return presenter.OnHelp(controls, info->iCtrlId) ? TRUE : FALSE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header == nullptr) return FALSE;
            const ui::NotifyAnswer answer = presenter.OnNotify(controls, ReadNotification(*header));
            return Answer(window, answer.handled, answer.result);
        }
        case WM_SETCURSOR: {
            auto* under = reinterpret_cast<HWND>(wParam);
            ui::CursorEvent event;
            event.controlId = under != nullptr && under != window ? GetDlgCtrlID(under) : 0;
            event.hitTest = static_cast<short>(LOWORD(lParam));
            event.mouseMessage = HIWORD(lParam);
            return Answer(window, presenter.OnSetCursor(controls, event), TRUE);
        }
        case WM_CTLCOLORSTATIC: {
            auto* control = reinterpret_cast<HWND>(lParam);
            RECT bounds = {};
            GetClientRect(control, &bounds);
            Win32Canvas canvas(reinterpret_cast<HDC>(wParam), bounds);
            presenter.OnControlColour(controls, GetDlgCtrlID(control), canvas);
            return FALSE;  // the default colours apply
        }
        case WM_PAINT: {
            if (!presenter.Paints()) return FALSE;
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (dc == nullptr) return FALSE;
            // EndPaint follows whatever the presenter does.
            struct Painting {
                HWND window;
                PAINTSTRUCT* paint;
                ~Painting() { EndPaint(window, paint); }
            } painting{window, &paint};
            RECT client = {};
            GetClientRect(window, &client);
            Win32Canvas canvas(dc, client);
            presenter.OnPaint(controls, canvas);
            return TRUE;
        }
        case WM_MOUSEMOVE:
            return presenter.OnMouseMove(controls, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))
                       ? TRUE
                       : FALSE;
        case WM_TIMER:
            return presenter.OnTimer(controls, static_cast<std::uintptr_t>(wParam)) ? TRUE : FALSE;
        case WM_DESTROY:
            presenter.OnDestroy(controls);
            return FALSE;
        default:
            return FALSE;
    }
}

struct ChildWalk {
    const std::function<void(const ui::ChildControl&)>* visit;
    bool complete;
};

BOOL CALLBACK VisitChild(HWND child, LPARAM context) noexcept {
    auto* walk = reinterpret_cast<ChildWalk*>(context);
    try {
        ui::ChildControl control;
        control.handle = child;
        control.id = GetDlgCtrlID(child);
        wchar_t className[256] = {};
        GetClassNameW(child, className, 256);
        control.className.assign(className, className + wcsnlen(className, 256));
        control.text = WindowText(child);
        control.style = static_cast<std::uint32_t>(GetWindowLongW(child, GWL_STYLE));
        (*walk->visit)(control);
        return TRUE;
    } catch (...) {
        walk->complete = false;
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK PresenterDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
    ui::Presenter* presenter = nullptr;
    try {
        presenter =
            message == WM_INITDIALOG ? AttachPresenter(dialog, lParam) : PresenterOf(dialog);
        if (presenter == nullptr) return FALSE;
        const INT_PTR result = Dispatch(dialog, message, wParam, lParam, *presenter);
        if (message == WM_NCDESTROY) DetachPresenter(dialog);
        return result;
    } catch (...) {
        // A presenter that could not finish: a modal dialog that did not even start is
        // closed again; anything else leaves the message to the system.
        if (message == WM_INITDIALOG && presenter != nullptr &&
            GetPropW(dialog, kOwnedPresenterProperty) == nullptr &&
            (GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD) == 0) {
            ::EndDialog(dialog, IDCANCEL);
        }
        if (message == WM_NCDESTROY) DetachPresenter(dialog);
        return FALSE;
    }
}

UINT CALLBACK PresenterPageCallback(HWND, UINT message, LPPROPSHEETPAGEW page) noexcept {
    try {
        if (message == PSPCB_RELEASE && page != nullptr) {
            auto* binding = reinterpret_cast<DialogBinding*>(page->lParam);
            if (binding != nullptr && binding->magic == DialogBinding::kMagic &&
                binding->pages != nullptr) {
                binding->pages->EndBinding(binding);
            }
        }
    } catch (...) {
    }
    return 1;  // PSPCB_CREATE: let the page be made
}

ui::Presenter* PresenterOf(HWND dialog) {
    return reinterpret_cast<ui::Presenter*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

INT_PTR RunPresenterDialog(HMODULE module, HANDLE activationContext, int templateId, HWND owner,
                           ui::Presenter& presenter) {
    ActivationScope scope;
    ULONG_PTR cookie = 0;
    if (activationContext != nullptr && ActivateActCtx(activationContext, &cookie)) {
        scope.reset(cookie);
    }
    DialogBinding binding;
    binding.presenter = &presenter;
    return DialogBoxParamW(module, MAKEINTRESOURCEW(templateId), owner, PresenterDialogProc,
                           reinterpret_cast<LPARAM>(&binding));
}

bool EnumerateChildren(HWND parent, const std::function<void(const ui::ChildControl&)>& visit) {
    ChildWalk walk{&visit, true};
    EnumChildWindows(parent, VisitChild, reinterpret_cast<LPARAM>(&walk));
    return walk.complete;
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
    EnumerateChildren(dialog_, [&](const ui::ChildControl& child) { children.push_back(child); });
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

bool Win32Controls::DateTimeValue(int id, ui::DateTime* value) {
    if (value == nullptr) return false;
    SYSTEMTIME t = {};
    if (SendDlgItemMessageW(dialog_, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) !=
        GDT_VALID) {
        return false;
    }
    *value = {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
              t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
    return true;
}

void Win32Controls::SetDateTimeValue(int id, const ui::DateTime& value) {
    SYSTEMTIME t = {value.year, value.month,  value.dayOfWeek, value.day,
                    value.hour, value.minute, value.second,    value.milliseconds};
    SendDlgItemMessageW(dialog_, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

bool Win32Controls::StartTimer(std::uintptr_t timerId, std::uint32_t milliseconds) {
    return SetTimer(dialog_, timerId, milliseconds, nullptr) != 0;
}

void Win32Controls::StopTimer(std::uintptr_t timerId) { KillTimer(dialog_, timerId); }

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

void Win32Controls::UpdateTooltipArea(void* tooltips, int id, bool visible) {
    if (tooltips == nullptr) return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = dialog_;
    tool.uId = static_cast<UINT_PTR>(id);
    if (visible) {
        HWND control = GetDlgItem(dialog_, id);
        GetWindowRect(control, &tool.rect);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&tool.rect), 2);
    }
    SendMessageW(static_cast<HWND>(tooltips), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Controls::InstallEditFilter(int id, ui::EditFilter filter) {
    win32::InstallEditFilter(GetDlgItem(dialog_, id), filter);
}

int Win32Controls::MessageBox(std::u16string_view text, std::u16string_view caption,
                              std::uint32_t flags) {
    return MessageBoxW(dialog_, WideString(text).c_str(), WideString(caption).c_str(), flags);
}

void Win32Controls::Beep() { MessageBeep(MB_OK); }

ui::Rect Win32Canvas::Bounds() const { return ToRect(bounds_); }

void Win32Canvas::Fill(const ui::Rect& area, std::uint32_t colour) {
    UniqueGdiObject brush(CreateSolidBrush(colour));
    if (!brush) return;
    const RECT r = FromRect(area);
    FillRect(dc_, &r, static_cast<HBRUSH>(brush.get()));
}

void Win32Canvas::Text(const ui::Rect& area, std::u16string_view text, std::uint32_t format) {
    std::wstring wide = WideString(text);
    RECT r = FromRect(area);
    DrawTextW(dc_, wide.c_str(), static_cast<int>(wide.size()), &r, format);
}

}  // namespace win32
