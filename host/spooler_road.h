// The road a user walks through the platform's own calls, with the host's configuration DLL
// installed as the sample printers' driver UI: Wine's spooler loads it for
// DocumentPropertiesW and DeviceCapabilitiesW, compstui shows its sheets, and a robot on a
// second thread plays the user. The demo prints what these steps saw; the road test checks it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hostsim {

// The Print and Hold fields and copies of a whole DEVMODE's private record.
struct RecordView {
    bool present = false;  // the private part is the host's, with the plug-in's record
    int printMode = -1;
    std::wstring userId, jobName, longPasscode, encryptionKey;
    int grayscaleCopies = 0;
    int colorCopies = 0;
    short copies = 0;  // dmCopies of the public part
};
RecordView ViewRecord(const std::vector<unsigned char>& devmode);
// The plug-in's record bytes of a DEVMODE (empty when it carries none of the host's).
std::vector<unsigned char> RecordBytes(const std::vector<unsigned char>& devmode);

// DocumentPropertiesW without a prompt: `mode` DM_OUT_BUFFER and, with a non-empty `in`,
// DM_IN_BUFFER. The DEVMODE it wrote (empty on failure); its answer in *answer.
std::vector<unsigned char> DocumentDevmode(HANDLE printer, const std::vector<unsigned char>& in,
                                           LONG* answer);

// What a user does in the document sheet: Print and Hold's mode (a text its entry contains)
// and texts; `cancel` closes the sheet with Cancel instead of OK.
struct SheetChoice {
    std::wstring mode = L"Confidential";
    std::wstring userId = L"jdoe";
    std::wstring jobName = L"Quarterly";
    std::wstring passcode = L"4711";
    bool cancel = false;
};

// What the robot saw in a sheet.
struct SheetSeen {
    std::wstring title;
    std::vector<std::wstring> tabs;
    std::vector<std::wstring> items;    // the host page's lines
    std::vector<std::wstring> buttons;  // the plug-in's items on the host page
    bool holdDialog = false;
};

// DocumentPropertiesW with DM_IN_PROMPT | DM_OUT_BUFFER (and DM_IN_BUFFER with a non-empty
// `in`) while the robot plays `choice`; pictures of the sheet and of Print and Hold go to
// `pictures` + "-sheet.png" / "-print-and-hold.png" when it is not empty. Returns
// DocumentPropertiesW's answer; `out` holds the output buffer (first filled with 0xCC).
LONG PlayDocumentSheet(HANDLE printer, const std::vector<unsigned char>& in,
                       const SheetChoice& choice, std::vector<unsigned char>* out, SheetSeen* seen,
                       const std::wstring& pictures = L"");

// The printer properties. Wine's PrinterProperties does not reach the driver; this does what
// it does on Windows: the driver's DrvDevicePropertySheets (from the configuration file
// GetPrinterDriverW names) in CommonPropertySheetUIW. The robot reads the host page and
// presses OK. Returns CommonPropertySheetUIW's answer.
LONG PlayPrinterSheet(HANDLE printer, const wchar_t* printerName, SheetSeen* seen,
                      const std::wstring& pictures = L"");

// A RAW job on a printer handle opened with `devmode` as its default, into `outputFile`:
// the DEVMODE GetJobW level 2 reports for it while it is spooling (empty when none).
struct JobSeen {
    DWORD id = 0;
    BOOL gotJob = FALSE;
    std::vector<unsigned char> devmode;
};
JobSeen StartJob(const wchar_t* printerName, const std::vector<unsigned char>& devmode,
                 const std::wstring& outputFile);

// SetPrinterW level 8: `devmode` becomes the printer's default.
BOOL SavePrinterDefault(const wchar_t* printerName, const std::vector<unsigned char>& devmode);

// Walks the whole road on the TALEN sample and prints what each step saw (the demo), with
// pictures into the folder `pictures` when it is not empty. The printer properties ask the
// SNMP agent whose UDP port CVL_SNMP_PRINTER_PORT names (skipped without one).
void WalkSpoolerRoad(const std::wstring& pictures);

}  // namespace hostsim
