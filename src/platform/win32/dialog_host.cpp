#include "platform/win32/dialog_host.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>
#include <optional>
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
            const auto dc = reinterpret_cast<HDC>(wParam);
            Win32Canvas canvas(dc, bounds);
            if (presenter.OnControlColour(controls, GetDlgCtrlID(control), canvas) ==
                ui::Presenter::StaticColours::kTransparent) {
                // A dialog procedure answers this message with the brush itself.
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
            }
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

namespace win32 {
namespace {

class Win32Font final : public ui::Font {
  public:
    explicit Win32Font(HFONT font) : font_(font) {}
    HFONT get() const { return static_cast<HFONT>(font_.get()); }

  private:
    UniqueGdiObject font_;
};

class Win32Picture final : public ui::Picture {
  public:
    explicit Win32Picture(HBITMAP bitmap) : bitmap_(bitmap) {
        BITMAP info = {};
        if (GetObjectW(bitmap, sizeof info, &info) != 0) size_ = {info.bmWidth, info.bmHeight};
    }
    ui::Size Dimensions() const override { return size_; }
    HBITMAP get() const { return static_cast<HBITMAP>(bitmap_.get()); }

  private:
    UniqueGdiObject bitmap_;
    ui::Size size_;
};

// Selects an object into a device context for a scope, and the old one back at its end (so
// that an object is never deleted while selected).
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    ~Selected() {
        if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

RECT ToRect(HWND window, HWND dialog) {
    RECT r = {};
    if (window == nullptr || !GetWindowRect(window, &r)) return {};
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

ui::Rect FromWin(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

ui::Rect Win32Controls::ControlRect(int id) {
    return FromWin(ToRect(GetDlgItem(dialog_, id), dialog_));
}

void Win32Controls::MoveControl(int id, const ui::Rect& area, bool redraw) {
    MoveWindow(GetDlgItem(dialog_, id), area.left, area.top, area.right - area.left,
               area.bottom - area.top, redraw ? TRUE : FALSE);
}

ui::Rect Win32Controls::WindowRect() {
    RECT r = {};
    GetWindowRect(dialog_, &r);
    return FromWin(r);
}

ui::Rect Win32Controls::OwnerWindowRect() {
    HWND owner = GetWindow(dialog_, GW_OWNER);
    if (owner == nullptr) owner = GetParent(dialog_);
    RECT r = {};
    if (owner == nullptr || !GetWindowRect(owner, &r)) return {};
    return FromWin(r);
}

void Win32Controls::MoveWindowTo(ui::Point topLeft) {
    SetWindowPos(dialog_, nullptr, topLeft.x, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Controls::SetClientSize(ui::Size size) {
    RECT r = {0, 0, size.width, size.height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE));
    AdjustWindowRectEx(&r, style, FALSE, extended);
    SetWindowPos(dialog_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Controls::BringToForeground() { SetForegroundWindow(dialog_); }

void Win32Controls::ToggleRightToLeftLayout() {
    const LONG_PTR style = GetWindowLongPtrW(dialog_, GWL_EXSTYLE);
    SetWindowLongPtrW(dialog_, GWL_EXSTYLE, style ^ WS_EX_LAYOUTRTL);
}

void Win32Controls::ClearRightToLeftLayout(int id) {
    HWND control = GetDlgItem(dialog_, id);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_EXSTYLE);
    if ((style & WS_EX_LAYOUTRTL) != 0) {
        SetWindowLongPtrW(control, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYOUTRTL));
    }
}

ui::Size Win32Controls::MeasureText(std::u16string_view text) {
    UniqueWindowDc dc({dialog_, GetDC(dialog_)});
    if (dc.get().dc == nullptr) return {};
    const std::wstring wide = WideString(text);
    SIZE size = {};
    GetTextExtentPoint32W(dc.get().dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return {size.cx, size.cy};
}

ui::Size Win32Controls::MeasureControlText(int id, std::u16string_view text) {
    HWND control = GetDlgItem(dialog_, id);
    if (control == nullptr) return {};
    UniqueWindowDc dc({control, GetDC(control)});
    if (dc.get().dc == nullptr) return {};
    // A control without a font of its own draws with the system font, the DC's own.
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
    std::optional<Selected> selected;
    if (font != nullptr) selected.emplace(dc.get().dc, font);
    const std::wstring wide = WideString(text);
    SIZE size = {};
    GetTextExtentPoint32W(dc.get().dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return {size.cx, size.cy};
}

std::unique_ptr<ui::Font> Win32Controls::MakeLinkFont(int id) {
    auto font = reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog_, id, WM_GETFONT, 0, 0));
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW shape = {};
    if (GetObjectW(font, sizeof shape, &shape) == 0 || shape.lfUnderline) return nullptr;
    shape.lfUnderline = TRUE;
    shape.lfWeight = 600;
    HFONT link = CreateFontIndirectW(&shape);
    if (link == nullptr) return nullptr;
    return std::make_unique<Win32Font>(link);
}

void Win32Controls::SetFont(int id, const ui::Font& font, bool redraw) {
    const auto& win32Font = static_cast<const Win32Font&>(font);
    SendDlgItemMessageW(dialog_, id, WM_SETFONT, reinterpret_cast<WPARAM>(win32Font.get()),
                        redraw ? TRUE : FALSE);
}

ui::Point Win32Controls::PointerPosition() {
    POINT p = {};
    GetCursorPos(&p);
    ScreenToClient(dialog_, &p);
    return {p.x, p.y};
}

void Win32Controls::SetPointer(ui::Cursor cursor) {
    // IDC_HAND and IDC_ARROW, as wide resource names (the build's macros are narrow).
    SetCursor(LoadCursorW(
        nullptr, cursor == ui::Cursor::kHand ? MAKEINTRESOURCEW(32649) : MAKEINTRESOURCEW(32512)));
}

void Win32Controls::RelayMouseMove(void* tooltips, ui::Point at) {
    if (tooltips == nullptr) return;
    MSG message = {};
    message.hwnd = dialog_;
    message.message = WM_MOUSEMOVE;
    message.lParam = MAKELPARAM(at.x, at.y);
    message.time = static_cast<DWORD>(GetMessageTime());
    GetCursorPos(&message.pt);
    SendMessageW(static_cast<HWND>(tooltips), TTM_RELAYEVENT, 0,
                 reinterpret_cast<LPARAM>(&message));
}

std::unique_ptr<ui::Picture> Win32Controls::LoadPicture(std::u16string_view path) {
    const std::wstring file = WideString(path);
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (bitmap == nullptr) return nullptr;
    return std::make_unique<Win32Picture>(bitmap);
}

void Win32Canvas::TextAt(ui::Point at, std::u16string_view text, const ui::FontSpec& font,
                         std::uint32_t colour) {
    const std::wstring face = WideString(font.face);
    UniqueGdiObject made(CreateFontW(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS,
                                     PROOF_QUALITY, DEFAULT_PITCH, face.c_str()));
    if (!made) return;
    const std::wstring wide = WideString(text);
    // The font is selected for the text only, and deselected before its owner deletes it.
    Selected selected(dc_, made.get());
    const COLORREF oldColour = SetTextColor(dc_, colour);
    const int oldMode = SetBkMode(dc_, TRANSPARENT);
    TextOutW(dc_, at.x, at.y, wide.c_str(), static_cast<int>(wide.size()));
    SetBkMode(dc_, oldMode);
    SetTextColor(dc_, oldColour);
}

void Win32Canvas::DrawPicture(const ui::Picture& picture, ui::Point at) {
    const auto& bitmap = static_cast<const Win32Picture&>(picture);
    UniqueMemoryDc source(CreateCompatibleDC(dc_));
    if (!source) return;
    Selected selected(source.get(), bitmap.get());
    const ui::Size size = picture.Dimensions();
    BitBlt(dc_, at.x, at.y, size.width, size.height, source.get(), 0, 0, SRCCOPY);
}

void Win32Canvas::DrawPictureTransparent(const ui::Picture& picture, ui::Point at) {
    const auto& bitmap = static_cast<const Win32Picture&>(picture);
    const ui::Size size = picture.Dimensions();
    const int w = size.width;
    const int h = size.height;
    if (w <= 0 || h <= 0) return;
    UniqueMemoryDc image(CreateCompatibleDC(dc_));
    UniqueMemoryDc mask(CreateCompatibleDC(dc_));
    UniqueMemoryDc inverse(CreateCompatibleDC(dc_));
    UniqueMemoryDc back(CreateCompatibleDC(dc_));
    UniqueMemoryDc copy(CreateCompatibleDC(dc_));
    UniqueGdiObject maskBits(CreateBitmap(w, h, 1, 1, nullptr));
    UniqueGdiObject inverseBits(CreateBitmap(w, h, 1, 1, nullptr));
    UniqueGdiObject backBits(CreateCompatibleBitmap(dc_, w, h));
    UniqueGdiObject copyBits(CreateCompatibleBitmap(dc_, w, h));
    if (!image || !mask || !inverse || !back || !copy || !maskBits || !inverseBits || !backBits ||
        !copyBits) {
        return;
    }
    Selected imageSel(image.get(), bitmap.get());
    Selected maskSel(mask.get(), maskBits.get());
    Selected inverseSel(inverse.get(), inverseBits.get());
    Selected backSel(back.get(), backBits.get());
    Selected copySel(copy.get(), copyBits.get());

    // The mask is white where the picture has its top-left colour, black elsewhere.
    const COLORREF transparent = GetPixel(image.get(), 0, 0);
    const COLORREF oldBack = SetBkColor(image.get(), transparent);
    BitBlt(mask.get(), 0, 0, w, h, image.get(), 0, 0, SRCCOPY);
    SetBkColor(image.get(), oldBack);
    BitBlt(inverse.get(), 0, 0, w, h, mask.get(), 0, 0, NOTSRCCOPY);
    // Monochrome sources become black (0) and white (1) in colour destinations.
    for (HDC dc : {back.get(), copy.get()}) {
        SetBkColor(dc, RGB(255, 255, 255));
        SetTextColor(dc, RGB(0, 0, 0));
    }
    // The background where the picture is transparent, the picture everywhere else.
    BitBlt(back.get(), 0, 0, w, h, dc_, at.x, at.y, SRCCOPY);
    BitBlt(back.get(), 0, 0, w, h, mask.get(), 0, 0, SRCAND);
    BitBlt(copy.get(), 0, 0, w, h, image.get(), 0, 0, SRCCOPY);
    BitBlt(copy.get(), 0, 0, w, h, inverse.get(), 0, 0, SRCAND);
    BitBlt(back.get(), 0, 0, w, h, copy.get(), 0, 0, SRCPAINT);
    BitBlt(dc_, at.x, at.y, w, h, back.get(), 0, 0, SRCCOPY);
}

}  // namespace win32
