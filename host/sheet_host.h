// The host's property sheets: DocumentPropertySheets and DevicePropertySheets called the way
// the driver calls them, with the host's own sheet function, and pictures of added pages.
#pragma once

#include <windows.h>

#include <prsht.h>

#include <string>
#include <vector>

#include "plugin/host_interface.h"

namespace hostsim {

class SheetHost {
  public:
    // document: the job's document sheet (with a private record), else the printer sheet.
    SheetHost(host::IPrintOemUI* plugIn, HANDLE printer, const wchar_t* printerName, bool document);
    SheetHost(const SheetHost&) = delete;
    SheetHost& operator=(const SheetHost&) = delete;
    ~SheetHost();

    // One reason; lParam as the reason needs it. Returns the method's result; the sheet's
    // answer is in info().Result.
    host::HRESULT Call(host::WORD reason, host::LPARAM lParam = 0);
    host::HRESULT Initialise() { return Call(host::kPropSheetUiReasonInit); }
    host::HRESULT Destroy() { return Call(host::kPropSheetUiReasonDestroy); }

    const host::PROPSHEETUI_INFO& info() const { return info_; }
    host::OEMUIPSPARAM& param() { return param_; }
    std::vector<unsigned char>& record() { return record_; }
    host::DEVMODEW& publicDevmode() { return devmode_; }
    // The pages the plug-in added, and the titles it gave them.
    const std::vector<HPROPSHEETPAGE>& pages() const { return pages_; }
    const std::vector<std::wstring>& pageTitles() const { return titles_; }
    // The descriptions the pages were added with (size, flags, activation context).
    const std::vector<PROPSHEETPAGEW>& pageDescriptions() const { return descriptions_; }
    int setResultCalls() const { return setResultCalls_; }
    // Hands the added pages over to a sheet that will own them: this host no longer
    // destroys them.
    std::vector<HPROPSHEETPAGE> TakePages();

    // Shows page `index` in a modeless property sheet, runs its messages, calls `inspect`
    // with the page window while it is shown, and closes the sheet. False when the sheet
    // cannot be made.
    template <class Inspect>
    bool ShowPage(std::size_t index, Inspect&& inspect);

  private:
    static host::LONG_PTR HOST_CALL SheetFunction(host::HANDLE sheet, host::DWORD function,
                                                  host::LPARAM lParam1, host::LPARAM lParam2);
    HWND OpenSheet(std::size_t index);

    host::IPrintOemUI* plugIn_;
    bool document_;
    HANDLE heap_;
    std::vector<unsigned char> record_;
    host::DEVMODEW devmode_ = {};
    host::OEMUIPSPARAM param_ = {};
    host::PROPSHEETUI_INFO info_ = {};
    std::vector<HPROPSHEETPAGE> pages_;
    std::vector<std::wstring> titles_;
    std::vector<PROPSHEETPAGEW> descriptions_;
    int setResultCalls_ = 0;
};

// Pumps the thread's messages until none is left.
void PumpMessages();

// A picture of a window (frame included), read back from its window DC.
bool CaptureWindow(HWND window, const std::wstring& pngPath);

// The GDI objects alive in the process: GetGuiResources' count, or where that is a stub (as
// under Wine) the used entries of the GDI handle table the process environment block names.
int GdiObjectsAlive();

// The kernel handles the process holds (files, events, registry keys, sockets, threads...):
// GetProcessHandleCount's answer, or where that is a stub (as under Wine) the process's
// entries in the system's handle list. -1 when neither can be had.
int HandlesOpen();

template <class Inspect>
bool SheetHost::ShowPage(std::size_t index, Inspect&& inspect) {
    HWND sheet = OpenSheet(index);
    if (sheet == nullptr) return false;
    PumpMessages();
    HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    inspect(sheet, page);
    DestroyWindow(sheet);
    PumpMessages();
    return true;
}

}  // namespace hostsim
