// Plays the user of the modal dialogs a thread opens: from a second thread it waits for each
// dialog window of that thread and works its controls through window messages, the way
// keyboard and mouse input arrive.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace hostsim {

class DialogRobot {
  public:
    explicit DialogRobot(DWORD uiThread) : uiThread_(uiThread) {}

    // A visible dialog window (class "#32770", message boxes included) of the UI thread that
    // this robot has not returned before and whose title contains `title` (any title when
    // null); null after `timeoutMs`.
    HWND Wait(const wchar_t* title = nullptr, DWORD timeoutMs = 10000);
    // Closes every dialog of the UI thread (IDCANCEL), so that a failed run never leaves the
    // UI thread waiting in a modal loop.
    void CancelAll();

    static void SetText(HWND dialog, int id, const std::wstring& text);
    // One WM_CHAR per character, as typing delivers them (the input filters see them).
    static void Type(HWND dialog, int id, const std::wstring& text);
    // Selects a combo box entry and tells the dialog, as a user's choice does.
    static void Select(HWND dialog, int id, int index);
    // The position of the combo entry whose text contains `label`, or -1.
    static int EntryWith(HWND dialog, int id, const std::wstring& label);
    static void Click(HWND dialog, int id);
    // A click that does not wait for its handler: for a button that opens a modal dialog on
    // the UI thread, which this robot then plays.
    static void PostClick(HWND dialog, int id);
    static bool IsShown(HWND dialog, int id);
    static bool IsEnabled(HWND dialog, int id);
    static std::wstring Text(HWND dialog, int id);
    // The text of a message box (its static control 65535).
    static std::wstring MessageText(HWND box) { return Text(box, 65535); }

  private:
    DWORD uiThread_;
    std::set<HWND> seen_;
};

}  // namespace hostsim
