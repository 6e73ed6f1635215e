// One of the driver's sheets inside the common property sheet (compstui): the plug-in's
// own sheet call (DocumentPropertySheets or DevicePropertySheets with the host's own
// pfnComPropSheet), the driver's settings tree with the plug-in's items, and the host's
// page that stands for the tree view, which Wine's compstui cannot show. The plug-in's
// pages join the common sheet beside the host's page.
#pragma once

#include <windows.h>

#include <compstui.h>

#include <memory>
#include <string>

#include "driver_plugin.h"
#include "driver_ui.h"
#include "job_devmode.h"
#include "sheet_host.h"
#include "tree_host.h"

namespace hostsim {

class DriverSheet {
  public:
    enum class Kind { kDocument, kPrinter };

    // A PFNPROPSHEETUI call of the common sheet for a document or printer sheet: the
    // initialisation builds the sheet and adds its pages; the destruction saves (document:
    // into the caller's output DEVMODE when the user applied) and tears it down.
    static LONG Run(Kind kind, PROPSHEETUI_INFO* info, LPARAM lParam);

    DriverSheet(const DriverSheet&) = delete;
    DriverSheet& operator=(const DriverSheet&) = delete;
    ~DriverSheet();

  private:
    DriverSheet(Kind kind, HANDLE printer, const wchar_t* printerName);
    bool OpenDocument(DOCUMENTPROPERTYHEADER* header);
    bool OpenPrinter();
    void AddPages(PROPSHEETUI_INFO* info);
    // What the destruction leaves in PROPSHEETUI_INFO.Result.
    LONG Close();

    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    void Fill(HWND page);
    void Apply(HWND page);

    Kind kind_;
    DriverPrinter printer_;
    DriverPlugIn plugIn_;
    DOCUMENTPROPERTYHEADER* header_ = nullptr;
    std::unique_ptr<JobDevmode> devmode_;
    std::unique_ptr<SheetHost> sheet_;
    host::OEMUIOBJ uiObject_{};
    std::unique_ptr<DocumentTreeHost> tree_;
    std::wstring title_;
    bool applied_ = false;
};

}  // namespace hostsim
