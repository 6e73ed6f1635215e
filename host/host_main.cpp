// The host simulator: loads the plug-in the way the printer driver does and prints what
// the plug-in answers.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include <memory>
#include <thread>

#include "bench.h"
#include "captured_port.h"
#include "devmode/oem_devmode.h"
#include "devmode_calls.h"
#include "dialog_robot.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "snmp_module_host.h"
#include "spooler_road.h"
#include "tree_host.h"
#include "ui/dialog_ids.h"

namespace {

const char* GetInfoModeName(host::DWORD mode) {
    switch (mode) {
        case host::kOemGiGetSignature:
            return "OEMGI_GETSIGNATURE";
        case host::kOemGiGetInterfaceVersion:
            return "OEMGI_GETINTERFACEVERSION";
        case host::kOemGiGetVersion:
            return "OEMGI_GETVERSION";
        default:
            return "OEMGI_GETPUBLISHERINFO";
    }
}

void ShowGetInfo(host::IPrintOemUI* plugIn) {
    for (host::DWORD mode = 1; mode <= 4; ++mode) {
        host::DWORD value = 0xdeadbeef;
        host::DWORD needed = 0xdeadbeef;
        SetLastError(0xDEADBEEF);
        const host::HRESULT hr = plugIn->GetInfo(mode, &value, sizeof value, &needed);
        if (hr == host::kSOk) {
            std::printf("  GetInfo(%s): S_OK, value 0x%08lX, needed %lu\n", GetInfoModeName(mode),
                        static_cast<unsigned long>(value), static_cast<unsigned long>(needed));
        } else {
            std::printf("  GetInfo(%s): %s, last error %lu, needed %lu\n", GetInfoModeName(mode),
                        hostsim::ResultName(hr).c_str(), GetLastError(),
                        static_cast<unsigned long>(needed));
        }
    }
}

void ShowColorProfile(host::IPrintOemUI* plugIn) {
    for (host::ULONG offered : {31u, 32u}) {
        wchar_t name[32] = {};
        host::ULONG size = offered;
        host::DWORD flags = 0;
        SetLastError(0xDEADBEEF);
        const host::HRESULT hr =
            plugIn->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, name, &size, &flags);
        if (hr == host::kSOk) {
            std::printf(
                "  QueryColorProfile(%lu-byte buffer): S_OK, \"%ls\", size %lu, flags %lu\n",
                static_cast<unsigned long>(offered), name, static_cast<unsigned long>(size),
                static_cast<unsigned long>(flags));
        } else {
            std::printf("  QueryColorProfile(%lu-byte buffer): %s, last error %lu, size %lu\n",
                        static_cast<unsigned long>(offered), hostsim::ResultName(hr).c_str(),
                        GetLastError(), static_cast<unsigned long>(size));
        }
    }
}

// Installs one sample model, then asks the plug-in for the model's default private record
// and its resolution list, as the driver does for a new printer.
bool ShowModel(host::IPrintOemUI* plugIn, const hostsim::ModelSpec& model) {
    std::printf("\nModel \"%ls\" (data file %ls)\n", model.printerName, model.dataFile);
    std::wstring error;
    if (!hostsim::InstallModel(model, &error)) {
        std::printf("  install failed: %ls\n", error.c_str());
        return false;
    }
    hostsim::OpenedPrinter printer(model.printerName);
    if (!printer) {
        std::printf("  OpenPrinterW failed: %lu\n", GetLastError());
        return false;
    }
    const auto size =
        hostsim::CallDevMode(plugIn, host::kOemDmSize, printer.get(), nullptr, nullptr, 0);
    std::printf("  DevMode(OEMDM_SIZE): %s, cbBufSize %lu\n",
                hostsim::ResultName(size.result).c_str(),
                static_cast<unsigned long>(size.bufferSize));
    auto record = hostsim::NewRecord(0);
    const auto defaults =
        hostsim::CallDevMode(plugIn, host::kOemDmDefault, printer.get(), nullptr, record.data());
    std::printf("  DevMode(OEMDM_DEFAULT): %s; the default record:\n%s",
                hostsim::ResultName(defaults.result).c_str(),
                hostsim::DescribeRecord(record.data()).c_str());

    LONG pairs[3][2] = {{150, 150}, {300, 300}, {600, 600}};
    host::DWORD result = 0;
    const host::HRESULT caps = plugIn->DeviceCapabilities(
        nullptr, printer.get(),
        reinterpret_cast<char16_t*>(const_cast<wchar_t*>(model.printerName)),
        host::kDcEnumResolutions, pairs, nullptr, nullptr, 3, &result);
    std::printf(
        "  DeviceCapabilities(DC_ENUMRESOLUTIONS, 150/300/600): %s -> %ldx%ld %ldx%ld %ldx%ld\n",
        hostsim::ResultName(caps).c_str(), pairs[0][0], pairs[0][1], pairs[1][0], pairs[1][1],
        pairs[2][0], pairs[2][1]);
    return defaults.result == host::kSOk;
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

// What the Troubleshooting page shows: its list of diagnostic pages and its links.
void DescribeTroublePage(HWND page) {
    HWND list = GetDlgItem(page, IDC_TROUBLE_DIAG_LIST);
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    std::printf("    diagnostic pages:");
    for (int i = 0; i < count; ++i) {
        wchar_t entry[128] = {};
        if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 128) {
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        }
        std::printf("%s \"%ls\"", i == 0 ? "" : ",", entry);
    }
    std::printf("\n    links:");
    for (int id :
         {IDC_TROUBLE_LOOKOUT_LAST_TOPIC, IDC_TROUBLE_LINK_1, IDC_TROUBLE_LINK_2,
          IDC_TROUBLE_LINK_3, IDC_TROUBLE_LINK_4, IDC_TROUBLE_LINK_5, IDC_TROUBLE_LINK_6}) {
        HWND link = GetDlgItem(page, id);
        if ((GetWindowLongW(link, GWL_STYLE) & WS_VISIBLE) == 0) continue;
        std::printf(" \"%ls\"%s", ControlText(page, id).c_str(),
                    IsWindowEnabled(link) ? "" : " (disabled)");
    }
    std::printf("\n");
}

// Presses a button of the page that opens a modal dialog: a robot on a second thread waits
// for the dialog, whatever presenter runs it, takes its picture and closes it with `close`.
void PictureOfPageDialog(HWND page, int button, const std::wstring& path, int close) {
    hostsim::DialogRobot robot(GetCurrentThreadId());
    while (robot.Wait(nullptr, 0) != nullptr) {
        // The dialogs already open (the sheet) are not the one looked for.
    }
    std::thread user([&] {
        HWND dialog = robot.Wait(nullptr, 5000);
        if (dialog == nullptr) {
            std::printf("    button %d opened no dialog\n", button);
            return;
        }
        wchar_t caption[128] = {};
        GetWindowTextW(dialog, caption, 128);
        std::printf("    picture %ls (\"%ls\"): %s\n", path.c_str(), caption,
                    hostsim::CaptureWindow(dialog, path) ? "written" : "FAILED");
        hostsim::DialogRobot::Click(dialog, close);
        for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(20);
        if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, button)));
    user.join();
}

// Prints the selected diagnostic page through the page's Print button and shows the job's
// bytes as the spooler wrote them for the printer's port.
void PrintDiagnosticPage(HWND page, hostsim::CapturedPort& port) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_TROUBLE_DIAG_PRINT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_TROUBLE_DIAG_PRINT)));
    const std::string job = port.TakeJobs();
    std::printf("    Print \"%ls\": the spooler wrote %zu bytes for port %ls:\n",
                ControlText(page, IDC_TROUBLE_DIAG_LIST).c_str(), job.size(), port.port().c_str());
    for (std::size_t at = 0; at < job.size(); at += 16) {
        std::string hex;
        std::string shown;
        for (std::size_t i = at; i < at + 16; ++i) {
            char byte[4] = "   ";
            if (i < job.size()) {
                const auto c = static_cast<unsigned char>(job[i]);
                std::snprintf(byte, sizeof byte, "%02X ", c);
                shown.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.');
            }
            hex += byte;
        }
        std::printf("      %04zX  %s %s\n", at, hex.c_str(), shown.c_str());
    }
}

// Opens the document and printer sheets of a model as the driver does, reports what the
// plug-in answered and, for the page it adds, takes a picture in each language given: of
// the page, and of the dialogs its Settings and About buttons open. The page's printer
// gets a port with a network address whose jobs the spooler writes into a file, so that its
// links to the printer's own pages work and a diagnostic page's job can be shown.
void ShowSheets(host::IPrintOemUI* plugIn, const hostsim::ModelSpec& model,
                const std::wstring& pictures) {
    // A printer takes its port's settings when it is opened: the port comes first.
    std::unique_ptr<hostsim::CapturedPort> port;
    if (!pictures.empty()) {
        port = std::make_unique<hostsim::CapturedPort>(L"CVL_DEMO", L"192.0.2.10",
                                                       pictures + L"\\diagnostic-job.prn");
        if (!port->error().empty() || !port->Attach(model.printerName)) {
            std::printf("  no port for the diagnostic job: %ls\n", port->error().c_str());
            port.reset();
        }
    }
    hostsim::OpenedPrinter printer(model.printerName);
    for (const wchar_t* code : {L"EN", L"GR"}) {
        hostsim::StoreLanguageCode(model.printerName, code);
        hostsim::SheetHost sheet(plugIn, printer.get(), model.printerName, true);
        const host::HRESULT init = sheet.Initialise();
        std::printf("  DocumentPropertySheets(init, language %ls): %s, Result %lu, pages added %zu",
                    code, hostsim::ResultName(init).c_str(),
                    static_cast<unsigned long>(sheet.info().Result), sheet.pages().size());
        if (!sheet.pageTitles().empty()) {
            std::printf(" (\"%ls\")", sheet.pageTitles().front().c_str());
        }
        std::printf(", SessionLink 0x%08lX\n", static_cast<unsigned long>(devmode::Get(
                                                   sheet.record().data(), devmode::kSessionLink)));
        const bool hasPage = !sheet.pages().empty();
        if (hasPage && !pictures.empty()) {
            const std::wstring path = pictures + L"\\troubleshooting-" + code + L".png";
            const int gdiBefore = hostsim::GdiObjectsAlive();
            sheet.ShowPage(0, [&](HWND window, HWND page) {
                DescribeTroublePage(page);
                std::printf("    picture %ls: %s\n", path.c_str(),
                            hostsim::CaptureWindow(window, path) ? "written" : "FAILED");
                PictureOfPageDialog(page, IDC_TROUBLE_LOOKOUT_SETTINGS,
                                    pictures + L"\\lookout-settings-" + code + L".png", IDCANCEL);
                PictureOfPageDialog(page, IDC_TROUBLE_ABOUT,
                                    pictures + L"\\about-" + code + L".png", IDOK);
                if (code[0] == L'E' && port != nullptr) PrintDiagnosticPage(page, *port);
            });
            std::printf("    GDI objects of the process: %d before the page, %d after it closed\n",
                        gdiBefore, hostsim::GdiObjectsAlive());
        }
        host::PROPSHEETUI_INFO_HEADER header = {};
        sheet.Call(host::kPropSheetUiReasonGetInfoHeader, reinterpret_cast<host::LPARAM>(&header));
        std::printf("    get info header: title \"%ls\", Result %lu\n",
                    reinterpret_cast<const wchar_t*>(header.pTitle),
                    static_cast<unsigned long>(sheet.info().Result));
        sheet.Destroy();
        std::printf("    destroy: Result %lu, set-result calls %d\n",
                    static_cast<unsigned long>(sheet.info().Result), sheet.setResultCalls());
        if (!hasPage) break;  // one language is enough without a page to show
    }
    hostsim::SheetHost device(plugIn, printer.get(), model.printerName, false);
    device.Initialise();
    std::printf("  DevicePropertySheets(init): Result %lu, pages added %zu\n",
                static_cast<unsigned long>(device.info().Result), device.pages().size());
    device.Destroy();
    std::printf("    destroy: Result %lu, set-result calls %d\n",
                static_cast<unsigned long>(device.info().Result), device.setResultCalls());
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// The typical road of a user of the TALEN model's document settings: the host builds the
// tree and activates it; the user opens Print and Hold, picks a confidential job with a
// passcode and confirms, splits the copies, and applies. A robot on a second thread plays
// the user of the real dialogs and takes their pictures.
void WalkDocumentRoad(host::IPrintOemUI* plugIn, const hostsim::ModelSpec& model,
                      const std::wstring& pictures) {
    hostsim::OpenedPrinter printer(model.printerName);
    host::OEMUIOBJ uiObject = {};
    for (const wchar_t* code : {L"EN", L"GR"}) {
        hostsim::StoreLanguageCode(model.printerName, code);
        hostsim::SheetHost sheet(plugIn, printer.get(), model.printerName, true);
        sheet.publicDevmode().dmCopies = 4;
        sheet.publicDevmode().dmColor = host::kDmColorColor;
        sheet.publicDevmode().dmCollate = host::kDmCollateTrue;
        sheet.Initialise();
        hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject);
        const host::HRESULT built = tree.Build();
        const host::LONG active = tree.Callback(host::kCpsuicbReasonSetActive);
        std::printf(
            "\n  Document road, language %ls: tree %s, items \"%ls\" and \"%ls\", "
            "activation answers %ld\n",
            code, hostsim::ResultName(built).c_str(), tree.OwnCaption(0).c_str(),
            tree.OwnCaption(1).c_str(), static_cast<long>(active));
        auto play = [&](std::size_t button, const wchar_t* picture, auto user) {
            hostsim::DialogRobot robot(GetCurrentThreadId());
            std::thread player([&] {
                HWND dialog = robot.Wait(nullptr);
                if (dialog != nullptr) {
                    user(dialog);
                    if (!pictures.empty()) {
                        const std::wstring path =
                            pictures + L"\\" + picture + L"-" + code + L".png";
                        std::printf("    picture %ls: %s\n", path.c_str(),
                                    hostsim::CaptureWindow(dialog, path) ? "written" : "FAILED");
                    }
                    hostsim::DialogRobot::Click(dialog, IDOK);
                }
                robot.CancelAll();
            });
            tree.PressButton(button, nullptr);
            player.join();
        };
        play(1, L"copies-setting", [](HWND dialog) {
            hostsim::DialogRobot::SetText(dialog, IDC_COPIES_GRAYSCALE, L"1");
        });
        play(0, L"print-and-hold", [](HWND dialog) {
            using hostsim::DialogRobot;
            int confidential = DialogRobot::EntryWith(dialog, IDC_HOLD_MODE, L"Confidential");
            if (confidential < 0) {
                confidential = DialogRobot::EntryWith(dialog, IDC_HOLD_MODE, L"Vertraulich");
            }
            DialogRobot::Select(dialog, IDC_HOLD_MODE, std::max(confidential, 0));
            hostsim::DialogRobot::SetText(dialog, IDC_HOLD_USER_ID, L"");
            hostsim::DialogRobot::Type(dialog, IDC_HOLD_USER_ID, L"jdoe");
            hostsim::DialogRobot::SetText(dialog, IDC_HOLD_JOB_NAME, L"");
            hostsim::DialogRobot::Type(dialog, IDC_HOLD_JOB_NAME, L"Quarterly report");
            hostsim::DialogRobot::Type(dialog, IDC_HOLD_PASSCODE, L"4711");
            hostsim::DialogRobot::Type(dialog, IDC_HOLD_CONFIRM, L"4711");
        });
        const host::LONG applied = tree.Callback(host::kCpsuicbReasonApplyNow);
        const void* r = sheet.record().data();
        std::printf(
            "    Apply answers %ld; the record: PrintModeCode %u, UserId \"%s\", JobName \"%s\", "
            "LongPasscode \"%s\", EncryptionKey \"%s\", GrayscaleCopies %d, ColorCopies %d\n",
            static_cast<long>(applied), devmode::Get(r, devmode::kPrintModeCode),
            Narrow(devmode::GetText(r, devmode::kUserId)).c_str(),
            Narrow(devmode::GetText(r, devmode::kJobName)).c_str(),
            Narrow(devmode::GetText(r, devmode::kLongPasscode)).c_str(),
            Narrow(devmode::GetText(r, devmode::kEncryptionKey)).c_str(),
            devmode::Get(r, devmode::kGrayscaleCopies), devmode::Get(r, devmode::kColorCopies));
        sheet.Destroy();
        std::printf("    destroy: Result %lu, set-result calls %d\n",
                    static_cast<unsigned long>(sheet.info().Result), sheet.setResultCalls());
    }
}

long PrinterDword(HANDLE printer, const wchar_t* name) {
    DWORD type = 0, value = 0, needed = 0;
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, reinterpret_cast<BYTE*>(&value),
                        sizeof value, &needed) != 0) {
        return -1;
    }
    return static_cast<long>(value);
}

// The printer tree of the TALEN sample on a network port: the SNMP module beside the plug-in
// asks the agent that stands in for the printer (tools/demo.sh starts it and names its UDP
// port in CVL_SNMP_PRINTER_PORT), and auto-configuration sets what the module reports.
void WalkNetworkPrinter() {
    const char* agent = std::getenv("CVL_SNMP_PRINTER_PORT");
    if (agent == nullptr) {
        std::printf("\n  Printer road: no SNMP agent named in CVL_SNMP_PRINTER_PORT\n");
        return;
    }
    const unsigned agentPort = static_cast<unsigned>(std::strtoul(agent, nullptr, 10));
    const hostsim::ModelSpec& model = hostsim::NetworkPrinter();
    std::wstring error;
    if (!hostsim::WriteSnmpSettings(L"CVLN.INI", agentPort) ||
        !hostsim::InstallNetworkPrinter(L"public", &error)) {
        std::printf("\n  Printer road: cannot set up the network printer: %ls\n", error.c_str());
        return;
    }
    std::printf("\n  Printer road: \"%ls\" on the Standard TCP/IP port %ls (127.0.0.1),\n",
                model.printerName, model.portName);
    std::printf("    CVLN.INI beside the module: [SNMP] Port=%u (the agent's UDP port)\n",
                agentPort);
    {
        // The module called as auto-configuration calls it for this model (mask 807, code 5).
        hostsim::SnmpModule module;
        hostsim::AutoConfigBlock block = hostsim::RequestBlock(807, 5);
        if (module.Load(L"CVLN.DLL")) {
            const ULONGLONG start = GetTickCount64();
            const unsigned result = module.Call("CVL_NET_1", block);
            std::printf(
                "    CVLN.DLL read over SNMP in %llu ms: result %u, tray code %d, duplex %d, "
                "hard disk %d,\n      finisher %d, memory %d MB, optional output bins %d\n",
                static_cast<unsigned long long>(GetTickCount64() - start), result,
                hostsim::BlockField(block, 4), hostsim::BlockField(block, 6),
                hostsim::BlockField(block, 8), hostsim::BlockField(block, 16),
                hostsim::BlockField(block, 22), hostsim::BlockField(block, 24));
        } else {
            std::printf("    CVLN.DLL cannot be loaded (error %lu)\n", GetLastError());
        }
    }
    hostsim::PluginLibrary library;
    host::IPrintOemUI* plugIn = library.Load() ? library.CreatePlugIn() : nullptr;
    if (plugIn == nullptr) return;
    hostsim::HostDriverUI driver;
    plugIn->PublishDriverInterface(&driver);
    hostsim::OpenedPrinter printer(model.printerName);
    for (const wchar_t* name : {L"HDD_SETTING", L"CURRENT_MEMORY"}) {
        DWORD zero = 0;
        SetPrinterDataW(printer.get(), const_cast<wchar_t*>(name), REG_DWORD,
                        reinterpret_cast<BYTE*>(&zero), sizeof zero);
    }
    {
        hostsim::SheetHost sheet(plugIn, printer.get(), model.printerName, false);
        sheet.Initialise();
        host::OEMUIOBJ uiObject = {};
        hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject,
                                       hostsim::DocumentTreeHost::Kind::kPrinter);
        const host::HRESULT built = tree.Build();
        std::printf("    printer tree through %ls: %s; auto-configuration set:\n", PLUGIN_DLL_NAME,
                    hostsim::ResultName(built).c_str());
        const char* features[] = {"Option1", "Option5",  "Option6",      "Option2",
                                  "Option4", "Finisher", "OptOutputBin", "InstalledMemory"};
        for (const char* feature : features) {
            const host::OPTITEM* item = tree.Item(feature);
            std::printf("    %-16s -> selection %ld (%ls)\n", feature, static_cast<long>(item->Sel),
                        hostsim::DocumentTreeHost::OptionText(*item).c_str());
        }
        std::printf(
            "    printer data: HDD_SETTING %ld, CURRENT_MEMORY %ld; host told of %d changes\n",
            PrinterDword(printer.get(), L"HDD_SETTING"),
            PrinterDword(printer.get(), L"CURRENT_MEMORY"), driver.updateCalls());
        sheet.Destroy();
    }
    plugIn->Release();
    DeleteFileW(L"CVLN.INI");
}

void WalkPrinterRoad(const hostsim::ModelSpec& model, const std::wstring& pictures) {
    WalkNetworkPrinter();
    // The sample printer itself is on "FILE:": its module finds no printer to ask.
    hostsim::PluginLibrary library;
    if (!library.Load()) return;
    host::IPrintOemUI* plugIn = library.CreatePlugIn();
    if (plugIn == nullptr) return;
    hostsim::HostDriverUI driver;
    plugIn->PublishDriverInterface(&driver);
    hostsim::OpenedPrinter printer(model.printerName);
    // Job Accounting, in both languages: credentials typed, confirmed, applied.
    for (const wchar_t* code : {L"EN", L"GR"}) {
        hostsim::StoreLanguageCode(model.printerName, code);
        hostsim::SheetHost sheet(plugIn, printer.get(), model.printerName, false);
        sheet.Initialise();
        host::OEMUIOBJ uiObject = {};
        hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject,
                                       hostsim::DocumentTreeHost::Kind::kPrinter);
        tree.Build();
        tree.Callback(host::kCpsuicbReasonSetActive);
        hostsim::DialogRobot robot(GetCurrentThreadId());
        std::thread user([&] {
            HWND dialog = robot.Wait(nullptr);
            if (dialog != nullptr) {
                hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_USER_ID, L"");
                hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_USER_ID, L"acct.7");
                hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_PASSWORD, L"");
                hostsim::DialogRobot::SetText(dialog, IDC_ACCOUNT_CONFIRM, L"");
                hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_PASSWORD, L"s3cret!x");
                hostsim::DialogRobot::Type(dialog, IDC_ACCOUNT_CONFIRM, L"s3cret!x");
                if (!pictures.empty()) {
                    const std::wstring path = pictures + L"\\job-accounting-" + code + L".png";
                    std::printf("    picture %ls: %s\n", path.c_str(),
                                hostsim::CaptureWindow(dialog, path) ? "written" : "FAILED");
                }
                hostsim::DialogRobot::Click(dialog, IDOK);
            }
            robot.CancelAll();
        });
        tree.PressButton(0, nullptr);
        user.join();
        const host::LONG applied = tree.Callback(host::kCpsuicbReasonApplyNow);
        wchar_t stored[40] = {};
        DWORD type = 0, needed = 0;
        GetPrinterDataW(printer.get(), const_cast<wchar_t*>(L"JOBACCOUNT_ID"), &type,
                        reinterpret_cast<BYTE*>(stored), sizeof stored - sizeof(wchar_t), &needed);
        std::printf("    Job Accounting (%ls): Apply answers %ld, JOBACCOUNT_ID \"%ls\"\n", code,
                    static_cast<long>(applied), stored);
        sheet.Destroy();
    }
    plugIn->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    hostsim::PluginLibrary library;
    if (!library.Load()) {
        std::printf("cannot load %ls (error %lu)\n", PLUGIN_DLL_NAME, GetLastError());
        return 1;
    }
    std::printf("Loaded %ls\n", PLUGIN_DLL_NAME);
    host::HRESULT hr = 0;
    host::IPrintOemUI* plugIn = library.CreatePlugIn(&hr);
    std::printf("  DllGetClassObject + CreateInstance(IPrintOemUI): %s\n",
                hostsim::ResultName(hr).c_str());
    if (plugIn == nullptr) return 1;

    if (argc > 1 && std::wstring(argv[1]) == L"bench") {
        plugIn->Release();
        long openings = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 200;
        if (openings <= 0) openings = 200;
        const long operations = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : openings * 10;
        return hostsim::RunBench(openings, operations > 0 ? operations : openings * 10);
    }
    hostsim::HostDriverUI driver;
    std::printf("  PublishDriverInterface: %s\n",
                hostsim::ResultName(plugIn->PublishDriverInterface(&driver)).c_str());
    ShowGetInfo(plugIn);
    ShowColorProfile(plugIn);
    bool modelsShown = true;
    const std::wstring pictures = argc > 1 ? argv[1] : L"";
    for (const hostsim::ModelSpec& model : hostsim::SampleModels()) {
        const bool shown = ShowModel(plugIn, model);
        if (shown) ShowSheets(plugIn, model, pictures);
        if (shown && model.printerName[0] == L'T') {
            WalkDocumentRoad(plugIn, model, pictures);
            WalkPrinterRoad(model, pictures);
        }
        modelsShown = shown && modelsShown;
    }
    hostsim::WalkSpoolerRoad(pictures);
    std::printf("\n");
    std::printf("  DllCanUnloadNow while the object lives: %s\n",
                hostsim::ResultName(library.CanUnloadNow()).c_str());
    plugIn->Release();
    std::printf("  DllCanUnloadNow after the last Release: %s\n",
                hostsim::ResultName(library.CanUnloadNow()).c_str());
    std::printf("  host driver interface references left: %ld\n", driver.references());
    return modelsShown ? 0 : 1;
}
