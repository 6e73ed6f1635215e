#include "dialog_robot.h"

#include <vector>

namespace hostsim {
namespace {

struct Search {
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(window)) {
        reinterpret_cast<Search*>(context)->found.push_back(window);
    }
    return TRUE;
}

}  // namespace

HWND DialogRobot::Wait(const wchar_t* title, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        Search search;
        EnumThreadWindows(uiThread_, CollectDialog, reinterpret_cast<LPARAM>(&search));
        for (HWND window : search.found) {
            if (seen_.count(window) != 0) continue;
            wchar_t caption[256] = {};
            GetWindowTextW(window, caption, 256);
            if (title != nullptr && wcsstr(caption, title) == nullptr) continue;
            seen_.insert(window);
            return window;
        }
        Sleep(20);
    } while (GetTickCount64() < end);
    return nullptr;
}

void DialogRobot::CancelAll() {
    Search search;
    EnumThreadWindows(uiThread_, CollectDialog, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.found) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

void DialogRobot::SetText(HWND dialog, int id, const std::wstring& text) {
    SetDlgItemTextW(dialog, id, text.c_str());
}

void DialogRobot::Type(HWND dialog, int id, const std::wstring& text) {
    HWND control = GetDlgItem(dialog, id);
    for (wchar_t c : text) SendMessageW(control, WM_CHAR, c, 1);
}

void DialogRobot::Select(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

int DialogRobot::EntryWith(HWND dialog, int id, const std::wstring& label) {
    HWND combo = GetDlgItem(dialog, id);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) >= 128) continue;
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (wcsstr(text, label.c_str()) != nullptr) return i;
    }
    return -1;
}

void DialogRobot::Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void DialogRobot::PostClick(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool DialogRobot::IsShown(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool DialogRobot::IsEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

std::wstring DialogRobot::Text(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

}  // namespace hostsim
