#include "spooler_road.h"

#include <commctrl.h>
#include <winspool.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "devmode/oem_devmode.h"
#include "dialog_robot.h"
#include "driver_plugin.h"
#include "driver_ui.h"
#include "host_page_ids.h"
#include "job_devmode.h"
#include "model_install.h"
#include "platform/win32/owners.h"
#include "sheet_host.h"
#include "snmp_module_host.h"
#include "ui/dialog_ids.h"

namespace hostsim {
namespace {

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::vector<std::wstring> TabTexts(HWND sheet) {
    std::vector<std::wstring> texts;
    HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(text);
    }
    return texts;
}

// The host page's lines and the captions of its shown buttons.
void ReadHostPage(HWND page, SheetSeen* seen) {
    seen->items.clear();
    seen->buttons.clear();
    HWND list = GetDlgItem(page, IDC_HOST_ITEMS);
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= 256) continue;
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        seen->items.emplace_back(text);
    }
    for (int b = 0; b < HOST_PAGE_BUTTONS; ++b) {
        if (DialogRobot::IsShown(page, IDC_HOST_BUTTON0 + b)) {
            seen->buttons.push_back(DialogRobot::Text(page, IDC_HOST_BUTTON0 + b));
        }
    }
}

void WaitClosed(HWND window) {
    for (int i = 0; i < 200 && IsWindow(window); ++i) Sleep(25);
}

// Runs `call` on this thread (the UI thread of the sheet it opens) while `play` works the
// sheet from a second thread. Afterwards the player closes whatever is still open, so that a
// failed script never leaves `call` waiting in a modal loop.
template <class Call, class Play>
LONG WithPlayer(Call call, Play play) {
    DialogRobot robot(GetCurrentThreadId());
    std::atomic<bool> done{false};
    std::thread player([&] {
        HWND sheet = robot.Wait(nullptr, 20000);
        if (sheet != nullptr) {
            play(robot, sheet);
            WaitClosed(sheet);
        }
        while (!done) {
            robot.CancelAll();
            Sleep(100);
        }
    });
    const LONG answer = call();
    done = true;
    player.join();
    return answer;
}

void Picture(HWND window, const std::wstring& pictures, const wchar_t* suffix) {
    if (!pictures.empty()) CaptureWindow(window, pictures + suffix);
}

void PlayPrintAndHold(DialogRobot& robot, HWND page, const SheetChoice& choice, SheetSeen* seen,
                      const std::wstring& pictures) {
    DialogRobot::PostClick(page, IDC_HOST_BUTTON0);
    HWND dialog = robot.Wait(L"Print and Hold");
    if (dialog == nullptr) return;
    seen->holdDialog = true;
    const int mode = DialogRobot::EntryWith(dialog, IDC_HOLD_MODE, choice.mode);
    if (mode >= 0) DialogRobot::Select(dialog, IDC_HOLD_MODE, mode);
    DialogRobot::SetText(dialog, IDC_HOLD_USER_ID, L"");
    DialogRobot::Type(dialog, IDC_HOLD_USER_ID, choice.userId);
    DialogRobot::SetText(dialog, IDC_HOLD_JOB_NAME, L"");
    DialogRobot::Type(dialog, IDC_HOLD_JOB_NAME, choice.jobName);
    DialogRobot::Type(dialog, IDC_HOLD_PASSCODE, choice.passcode);
    DialogRobot::Type(dialog, IDC_HOLD_CONFIRM, choice.passcode);
    Picture(dialog, pictures, L"-print-and-hold.png");
    DialogRobot::Click(dialog, IDOK);
    WaitClosed(dialog);
}

std::wstring Join(const std::vector<std::wstring>& texts, const wchar_t* separator) {
    std::wstring joined;
    for (const std::wstring& text : texts) {
        if (!joined.empty()) joined += separator;
        joined += L"\"" + text + L"\"";
    }
    return joined;
}

}  // namespace

std::vector<unsigned char> RecordBytes(const std::vector<unsigned char>& devmode) {
    if (devmode.size() < sizeof(DEVMODEW)) return {};
    const auto* dm = reinterpret_cast<const DEVMODEW*>(devmode.data());
    if (dm->dmSize + dm->dmDriverExtra > devmode.size()) return {};
    const unsigned char* record = JobDevmode::RecordOf(dm, devmode::kSize);
    if (record == nullptr) return {};
    return std::vector<unsigned char>(record, record + devmode::kSize);
}

RecordView ViewRecord(const std::vector<unsigned char>& devmode) {
    RecordView view;
    const std::vector<unsigned char> record = RecordBytes(devmode);
    if (devmode.size() >= sizeof(DEVMODEW)) {
        view.copies = reinterpret_cast<const DEVMODEW*>(devmode.data())->dmCopies;
    }
    if (record.empty()) return view;
    const void* r = record.data();
    view.present = true;
    view.printMode = devmode::Get(r, devmode::kPrintModeCode);
    view.userId = Wide(devmode::GetText(r, devmode::kUserId));
    view.jobName = Wide(devmode::GetText(r, devmode::kJobName));
    view.longPasscode = Wide(devmode::GetText(r, devmode::kLongPasscode));
    view.encryptionKey = Wide(devmode::GetText(r, devmode::kEncryptionKey));
    view.grayscaleCopies = devmode::Get(r, devmode::kGrayscaleCopies);
    view.colorCopies = devmode::Get(r, devmode::kColorCopies);
    return view;
}

std::vector<unsigned char> DocumentDevmode(HANDLE printer, const std::vector<unsigned char>& in,
                                           LONG* answer) {
    const LONG size = DocumentPropertiesW(nullptr, printer, nullptr, nullptr, nullptr, 0);
    *answer = size;
    if (size <= 0) return {};
    std::vector<unsigned char> out(static_cast<std::size_t>(size), 0);
    DWORD mode = DM_OUT_BUFFER;
    if (!in.empty()) mode |= DM_IN_BUFFER;
    *answer = DocumentPropertiesW(
        nullptr, printer, nullptr, reinterpret_cast<DEVMODEW*>(out.data()),
        in.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(const_cast<unsigned char*>(in.data())),
        mode);
    if (*answer < 0) return {};
    return out;
}

LONG PlayDocumentSheet(HANDLE printer, const std::vector<unsigned char>& in,
                       const SheetChoice& choice, std::vector<unsigned char>* out, SheetSeen* seen,
                       const std::wstring& pictures) {
    const LONG size = DocumentPropertiesW(nullptr, printer, nullptr, nullptr, nullptr, 0);
    if (size <= 0) return size;
    out->assign(static_cast<std::size_t>(size), 0xCC);
    DWORD mode = DM_IN_PROMPT | DM_OUT_BUFFER;
    if (!in.empty()) mode |= DM_IN_BUFFER;
    auto* input =
        in.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(const_cast<unsigned char*>(in.data()));
    return WithPlayer(
        [&] {
            return DocumentPropertiesW(nullptr, printer, nullptr,
                                       reinterpret_cast<DEVMODEW*>(out->data()), input, mode);
        },
        [&](DialogRobot& robot, HWND sheet) {
            seen->title = WindowText(sheet);
            seen->tabs = TabTexts(sheet);
            HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            PlayPrintAndHold(robot, page, choice, seen, pictures);
            Sleep(50);  // the page refreshes its lines after the dialog
            ReadHostPage(page, seen);
            Picture(sheet, pictures, L"-sheet.png");
            PostMessageW(sheet, PSM_PRESSBUTTON, choice.cancel ? PSBTN_CANCEL : PSBTN_OK, 0);
        });
}

LONG PlayPrinterSheet(HANDLE printer, const wchar_t* printerName, SheetSeen* seen,
                      const std::wstring& pictures) {
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
    if (needed == 0) return ERR_CPSUI_GETLASTERROR;
    std::vector<BYTE> driver(needed);
    if (!GetPrinterDriverW(printer, nullptr, 2, driver.data(), needed, &needed)) {
        return ERR_CPSUI_GETLASTERROR;
    }
    const wchar_t* configFile = reinterpret_cast<const DRIVER_INFO_2W*>(driver.data())->pConfigFile;
    win32::UniqueModule module(LoadLibraryW(configFile));
    auto sheetFunction = reinterpret_cast<PFNPROPSHEETUI>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "DrvDevicePropertySheets")));
    if (sheetFunction == nullptr) return ERR_CPSUI_GETLASTERROR;
    DEVICEPROPERTYHEADER header = {sizeof header, 0, printer, const_cast<wchar_t*>(printerName)};
    return WithPlayer(
        [&] {
            return CommonPropertySheetUIW(nullptr, sheetFunction, reinterpret_cast<LPARAM>(&header),
                                          nullptr);
        },
        [&](DialogRobot&, HWND sheet) {
            seen->title = WindowText(sheet);
            seen->tabs = TabTexts(sheet);
            ReadHostPage(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)),
                         seen);
            Picture(sheet, pictures, L"-sheet.png");
            PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
        });
}

JobSeen StartJob(const wchar_t* printerName, const std::vector<unsigned char>& devmode,
                 const std::wstring& outputFile) {
    JobSeen seen;
    PRINTER_DEFAULTSW defaults = {};
    defaults.pDevMode =
        devmode.empty() ? nullptr
                        : reinterpret_cast<DEVMODEW*>(const_cast<unsigned char*>(devmode.data()));
    defaults.DesiredAccess = PRINTER_ACCESS_USE;
    UniquePrinter printer;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName), printer.put(), &defaults)) return seen;
    DOC_INFO_1W document = {};
    document.pDocName = const_cast<wchar_t*>(L"Spooler road");
    document.pOutputFile = const_cast<wchar_t*>(outputFile.c_str());
    document.pDatatype = const_cast<wchar_t*>(L"RAW");
    seen.id = StartDocPrinterW(printer.get(), 1, reinterpret_cast<BYTE*>(&document));
    if (seen.id == 0) return seen;
    static const char kJob[] = "\x1B%-12345X@PJL JOB NAME=\"Spooler road\"\r\n";
    DWORD written = 0;
    WritePrinter(printer.get(), const_cast<char*>(kJob), sizeof kJob - 1, &written);
    DWORD needed = 0;
    GetJobW(printer.get(), seen.id, 2, nullptr, 0, &needed);
    std::vector<BYTE> job(needed > 0 ? needed : 1);
    seen.gotJob = GetJobW(printer.get(), seen.id, 2, job.data(), needed, &needed);
    const DEVMODEW* dm =
        seen.gotJob ? reinterpret_cast<JOB_INFO_2W*>(job.data())->pDevMode : nullptr;
    if (dm != nullptr) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(dm);
        seen.devmode.assign(bytes, bytes + dm->dmSize + dm->dmDriverExtra);
    }
    EndDocPrinter(printer.get());
    return seen;
}

BOOL SavePrinterDefault(const wchar_t* printerName, const std::vector<unsigned char>& devmode) {
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    UniquePrinter printer;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName), printer.put(), &access)) return FALSE;
    PRINTER_INFO_8W info = {};
    info.pDevMode = reinterpret_cast<DEVMODEW*>(const_cast<unsigned char*>(devmode.data()));
    return SetPrinterW(printer.get(), 8, reinterpret_cast<BYTE*>(&info), 0);
}

namespace {

void PrintRecord(const char* what, const std::vector<unsigned char>& devmode) {
    const RecordView r = ViewRecord(devmode);
    if (!r.present) {
        std::printf("    %s: no private record of the host (%zu bytes)\n", what, devmode.size());
        return;
    }
    std::printf(
        "    %s: dmCopies %d; PrintModeCode %d, UserId \"%ls\", JobName \"%ls\", LongPasscode "
        "\"%ls\", EncryptionKey \"%ls\", GrayscaleCopies %d, ColorCopies %d\n",
        what, r.copies, r.printMode, r.userId.c_str(), r.jobName.c_str(), r.longPasscode.c_str(),
        r.encryptionKey.c_str(), r.grayscaleCopies, r.colorCopies);
}

void PrintSheet(const SheetSeen& seen) {
    std::printf("    sheet \"%ls\", tabs %ls\n", seen.title.c_str(),
                Join(seen.tabs, L", ").c_str());
    std::printf("    host page: buttons %ls; lines %ls\n", Join(seen.buttons, L", ").c_str(),
                Join(seen.items, L", ").c_str());
}

long PrinterDword(HANDLE printer, const wchar_t* name) {
    DWORD type = 0, value = 0, needed = 0;
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, reinterpret_cast<BYTE*>(&value),
                        sizeof value, &needed) != ERROR_SUCCESS) {
        return -1;
    }
    return static_cast<long>(value);
}

void WalkPrinterProperties(const std::wstring& pictures, unsigned agentPort) {
    const ModelSpec& model = NetworkPrinter();
    std::wstring error;
    if (agentPort == 0 || !WriteSnmpSettings(DriverFolder3() + L"CVLN.INI", agentPort) ||
        !InstallNetworkPrinter(L"public", &error)) {
        std::printf("\n  Printer properties: no SNMP agent to ask, skipped %ls\n", error.c_str());
        return;
    }
    OpenedPrinter printer(model.printerName);
    for (const wchar_t* name : {L"HDD_SETTING", L"CURRENT_MEMORY"}) {
        DWORD zero = 0;
        SetPrinterDataW(printer.get(), const_cast<wchar_t*>(name), REG_DWORD,
                        reinterpret_cast<BYTE*>(&zero), sizeof zero);
    }
    SetLastError(0);
    const BOOL shown = PrinterProperties(nullptr, printer.get());
    std::printf(
        "\n  Printer properties of \"%ls\" (Standard TCP/IP port at 127.0.0.1, the agent "
        "on UDP port %u, CVLN.INI beside CVLN.DLL in the driver directory)\n",
        model.printerName, agentPort);
    std::printf("    PrinterProperties: %d, error %lu (Wine does not call the driver)\n", shown,
                GetLastError());
    SheetSeen seen;
    const LONG answer = PlayPrinterSheet(printer.get(), model.printerName, &seen,
                                         pictures.empty() ? L"" : pictures + L"\\spooler-printer");
    std::printf("    CommonPropertySheetUIW with the driver's DrvDevicePropertySheets: %ld\n",
                static_cast<long>(answer));
    PrintSheet(seen);
    std::printf("    printer data after auto-configuration: HDD_SETTING %ld, CURRENT_MEMORY %ld\n",
                PrinterDword(printer.get(), L"HDD_SETTING"),
                PrinterDword(printer.get(), L"CURRENT_MEMORY"));
}

}  // namespace

void WalkSpoolerRoad(const std::wstring& pictures) {
    const char* agent = std::getenv("CVL_SNMP_PRINTER_PORT");
    const unsigned agentPort =
        agent != nullptr ? static_cast<unsigned>(std::strtoul(agent, nullptr, 10)) : 0;
    const ModelSpec* model = FindModel(L"Talen ColorPrint C5");
    std::printf(
        "\nThe road through Wine's spooler: %ls is the sample drivers' configuration "
        "file, in the driver directory beside the plug-in\n",
        kConfigFile);
    ClearRecordedCalls();
    std::wstring error;
    if (model == nullptr || !InstallModel(*model, &error)) {
        std::printf("  install failed: %ls\n", error.c_str());
        return;
    }
    std::printf("  AddPrinterDriverW: DrvDriverEvent %ls\n",
                RecordedCall(L"DrvDriverEvent").c_str());
    StoreLanguageCode(model->printerName, L"EN");
    OpenedPrinter printer(model->printerName);
    DWORD memory = 512;  // jobs can be kept in the printer's memory
    SetPrinterDataW(printer.get(), const_cast<wchar_t*>(L"CURRENT_MEMORY"), REG_DWORD,
                    reinterpret_cast<BYTE*>(&memory), sizeof memory);
    // A default without a private part: the road starts from the plug-in's defaults.
    DEVMODEW plain = {};
    plain.dmSize = sizeof plain;
    plain.dmSpecVersion = DM_SPECVERSION;
    const auto* plainBytes = reinterpret_cast<const unsigned char*>(&plain);
    SavePrinterDefault(model->printerName,
                       std::vector<unsigned char>(plainBytes, plainBytes + sizeof plain));

    wchar_t* name = const_cast<wchar_t*>(model->printerName);
    LONG resolutions[8][2] = {};
    const int count = DeviceCapabilitiesW(name, L"FILE:", DC_ENUMRESOLUTIONS,
                                          reinterpret_cast<wchar_t*>(resolutions), nullptr);
    std::printf("  DeviceCapabilitiesW: DC_ENUMRESOLUTIONS %d:", count);
    for (int i = 0; i < count && i < 8; ++i) {
        std::printf(" %ldx%ld", resolutions[i][0], resolutions[i][1]);
    }
    std::printf(" (the printer description's 300, 600, 1200; the plug-in turns 300 into 600)\n");
    std::printf("    DC_COLORDEVICE %d, DC_PAPERS %d, DC_SIZE %d, DC_EXTRA %d\n",
                DeviceCapabilitiesW(name, L"FILE:", DC_COLORDEVICE, nullptr, nullptr),
                DeviceCapabilitiesW(name, L"FILE:", DC_PAPERS, nullptr, nullptr),
                DeviceCapabilitiesW(name, L"FILE:", DC_SIZE, nullptr, nullptr),
                DeviceCapabilitiesW(name, L"FILE:", DC_EXTRA, nullptr, nullptr));

    LONG answer = 0;
    std::vector<unsigned char> defaults = DocumentDevmode(printer.get(), {}, &answer);
    std::printf(
        "  DocumentPropertiesW: %zu bytes (public %u, driver %u + the plug-in's %u), "
        "DM_OUT_BUFFER answers %ld\n",
        defaults.size(), static_cast<unsigned>(sizeof(DEVMODEW)),
        static_cast<unsigned>(sizeof(DriverPrivate)), static_cast<unsigned>(devmode::kSize),
        static_cast<long>(answer));
    PrintRecord("the default", defaults);

    reinterpret_cast<DEVMODEW*>(defaults.data())->dmCopies = 4;
    reinterpret_cast<DEVMODEW*>(defaults.data())->dmFields |= DM_COPIES;
    SheetChoice choice;
    SheetSeen seen;
    std::vector<unsigned char> job;
    answer = PlayDocumentSheet(printer.get(), defaults, choice, &job, &seen,
                               pictures.empty() ? L"" : pictures + L"\\spooler-document");
    std::printf(
        "\n  DocumentPropertiesW(DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER), 4 copies, "
        "a robot as the user: answers %ld\n",
        static_cast<long>(answer));
    PrintSheet(seen);
    std::printf(
        "    Print and Hold played: %s (confidential, user jdoe, job Quarterly, passcode "
        "4711), then OK on the sheet\n",
        seen.holdDialog ? "yes" : "no");
    PrintRecord("the saved DEVMODE", job);

    const JobSeen started = StartJob(model->printerName, job, L"C:\\spooler-road.prn");
    std::printf(
        "\n  StartDocPrinterW on a handle opened with that DEVMODE: job %lu; GetJobW "
        "level 2: %s, pDevMode %s\n",
        started.id, started.gotJob ? "yes" : "no", started.devmode.empty() ? "none" : "given");
    PrintRecord("the job's DEVMODE", started.devmode);
    std::printf(
        "    its private record equals the saved one byte for byte: %s\n",
        !RecordBytes(started.devmode).empty() && RecordBytes(started.devmode) == RecordBytes(job)
            ? "yes"
            : "no");

    const BOOL saved = SavePrinterDefault(model->printerName, job);
    const std::vector<unsigned char> stored = PrinterDefaultDevmode(printer.get());
    std::printf(
        "\n  SetPrinterW level 8 (the printer's default): %d; GetPrinterW level 2 gives "
        "it back, record equal: %s\n",
        saved, RecordBytes(stored) == RecordBytes(job) ? "yes" : "no");
    const std::vector<unsigned char> reloaded = DocumentDevmode(printer.get(), stored, &answer);
    PrintRecord("DocumentPropertiesW(DM_IN_BUFFER | DM_OUT_BUFFER) with it", reloaded);
    const std::vector<unsigned char> fresh = DocumentDevmode(printer.get(), {}, &answer);
    PrintRecord("DocumentPropertiesW(DM_OUT_BUFFER), from the printer's default", fresh);

    WalkPrinterProperties(pictures, agentPort);
    std::printf("\n  The host's journal (the last call of each entry point):\n");
    for (const wchar_t* entry : {L"DrvDriverEvent", L"DrvDeviceCapabilities",
                                 L"DrvDocumentPropertySheets", L"DrvDevicePropertySheets"}) {
        std::printf("    %ls: %ls\n", entry, RecordedCall(entry).c_str());
    }
}

}  // namespace hostsim
