// The host simulator: loads the plug-in the way the printer driver does and prints what
// the plug-in answers.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include <thread>

#include "bench.h"
#include "devmode/oem_devmode.h"
#include "devmode_calls.h"
#include "dialog_robot.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
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

// Opens the document and printer sheets of a model as the driver does, reports what the
// plug-in answered and, for the page it adds, takes a picture in each language given.
void ShowSheets(host::IPrintOemUI* plugIn, const hostsim::ModelSpec& model,
                const std::wstring& pictures) {
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
            sheet.ShowPage(0, [&](HWND window, HWND) {
                std::printf("    picture %ls: %s\n", path.c_str(),
                            hostsim::CaptureWindow(window, path) ? "written" : "FAILED");
            });
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

// The position of the combo entry whose text contains `label`, or 0.
int EntryWith(HWND dialog, int id, const wchar_t* label) {
    HWND combo = GetDlgItem(dialog, id);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) >= 128) continue;
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (wcsstr(text, label) != nullptr) return i;
    }
    return 0;
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
            int confidential = EntryWith(dialog, IDC_HOLD_MODE, L"Confidential");
            if (confidential == 0) confidential = EntryWith(dialog, IDC_HOLD_MODE, L"Vertraulich");
            hostsim::DialogRobot::Select(dialog, IDC_HOLD_MODE, confidential);
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

std::string ReadText(const std::wstring& path) {
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    if (ReadFile(file, buffer, sizeof buffer, &read, nullptr)) text.assign(buffer, read);
    CloseHandle(file);
    return text;
}

void WriteText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

long PrinterDword(HANDLE printer, const wchar_t* name) {
    DWORD type = 0, value = 0, needed = 0;
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, reinterpret_cast<BYTE*>(&value),
                        sizeof value, &needed) != 0) {
        return -1;
    }
    return static_cast<long>(value);
}

// The printer settings of the TALEN model: the printer tree is built, and auto-configuration
// asks the model's SNMP module beside the plug-in. Here the module is the project's stand-in
// (in the "snmptest" folder, beside a copy of the plug-in), answering as a printer with trays
// 2 and 3, a duplex unit, a hard disk, the booklet finisher and 256 MB would.
void WalkPrinterRoad(const hostsim::ModelSpec& model, const std::wstring& pictures) {
    const std::wstring folder = L"snmptest\\";
    WriteText(folder + L"CVLN.answers",
              "[Answer]\r\nResult=1\r\n4=3\r\n6=1\r\n8=1\r\n16=2\r\n22=256\r\n");
    hostsim::PluginLibrary library;
    if (!library.Load((folder + PLUGIN_DLL_NAME).c_str())) {
        std::printf("\n  Printer road: no plug-in copy with the module beside it in %ls\n",
                    folder.c_str());
        return;
    }
    host::IPrintOemUI* plugIn = library.CreatePlugIn();
    if (plugIn == nullptr) return;
    hostsim::HostDriverUI driver;
    plugIn->PublishDriverInterface(&driver);
    hostsim::OpenedPrinter printer(model.printerName);
    {
        hostsim::SheetHost sheet(plugIn, printer.get(), model.printerName, false);
        sheet.Initialise();
        host::OEMUIOBJ uiObject = {};
        hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject,
                                       hostsim::DocumentTreeHost::Kind::kPrinter);
        const char* features[] = {"Option1", "Option5",  "Option6",        "Option2",
                                  "Option4", "Finisher", "InstalledMemory"};
        std::printf("\n  Printer road: auto-configuration through %ls%ls\n", folder.c_str(),
                    L"CVLN.DLL");
        const host::HRESULT built = tree.Build();
        std::printf("    printer tree: %s, item \"%ls\"\n", hostsim::ResultName(built).c_str(),
                    tree.OwnCaption(0).c_str());
        std::string asked = ReadText(folder + L"CVLN.asked");
        for (char& c : asked) c = c == '\n' ? ';' : c;
        std::printf("    the module was asked: %s\n", asked.c_str());
        std::printf("    it answered: trays code 3, duplex 1, hard disk 1, finisher 2, 256 MB\n");
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
    // Job Accounting, in both languages: credentials typed, confirmed, applied.
    WriteText(folder + L"CVLN.answers", "[Answer]\r\nResult=0\r\n");
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
    std::printf("\n");
    std::printf("  DllCanUnloadNow while the object lives: %s\n",
                hostsim::ResultName(library.CanUnloadNow()).c_str());
    plugIn->Release();
    std::printf("  DllCanUnloadNow after the last Release: %s\n",
                hostsim::ResultName(library.CanUnloadNow()).c_str());
    std::printf("  host driver interface references left: %ld\n", driver.references());
    return modelsShown ? 0 : 1;
}
