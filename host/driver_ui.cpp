#include "driver_ui.h"

#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver_plugin.h"
#include "driver_sheet.h"
#include "job_devmode.h"
#include "plugin_host.h"
#include "printer_description.h"

namespace hostsim {
namespace {

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[512];
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, 511, format, args);
    va_end(args);
    text[511] = L'\0';
    return text;
}

std::wstring FileName(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

// The answer of the driver itself to a capability query, before its plug-in sees it.
DWORD DriverCapability(const JobDevmode& job, WORD capability, void* output) {
    const PrinterDescription& d = job.description();
    const DEVMODEW& dm = *job.get();
    std::vector<const PaperSize*> papers;
    for (const PaperSize& paper : d.papers) {
        if (paper.id != 0) papers.push_back(&paper);
    }
    auto count = [](std::size_t n) { return static_cast<DWORD>(n); };
    switch (capability) {
        case DC_FIELDS:
            return dm.dmFields;
        case DC_PAPERS:
            for (std::size_t i = 0; output != nullptr && i < papers.size(); ++i) {
                static_cast<WORD*>(output)[i] = static_cast<WORD>(papers[i]->id);
            }
            return count(papers.size());
        case DC_PAPERNAMES:
            for (std::size_t i = 0; output != nullptr && i < papers.size(); ++i) {
                wchar_t* name = static_cast<wchar_t*>(output) + i * 64;
                std::memset(name, 0, 64 * sizeof(wchar_t));
                papers[i]->name.copy(name, 63);
            }
            return count(papers.size());
        case DC_PAPERSIZE:  // tenths of a millimetre
            for (std::size_t i = 0; output != nullptr && i < papers.size(); ++i) {
                static_cast<POINT*>(output)[i] = {papers[i]->widthPoints * 254 / 72,
                                                  papers[i]->heightPoints * 254 / 72};
            }
            return count(papers.size());
        case DC_BINS:
            for (std::size_t i = 0; output != nullptr && i < d.sources.size(); ++i) {
                static_cast<WORD*>(output)[i] = static_cast<WORD>(DMBIN_USER + i);
            }
            return count(d.sources.size());
        case DC_BINNAMES:
            for (std::size_t i = 0; output != nullptr && i < d.sources.size(); ++i) {
                wchar_t* name = static_cast<wchar_t*>(output) + i * 24;
                std::memset(name, 0, 24 * sizeof(wchar_t));
                d.sources[i].name.copy(name, 23);
            }
            return count(d.sources.size());
        case DC_ENUMRESOLUTIONS:
            for (std::size_t i = 0; output != nullptr && i < d.resolutions.size(); ++i) {
                static_cast<LONG*>(output)[2 * i] = d.resolutions[i];
                static_cast<LONG*>(output)[2 * i + 1] = d.resolutions[i];
            }
            return count(d.resolutions.size());
        case DC_DUPLEX:
            return d.duplex ? 1 : 0;
        case DC_SIZE:
            return dm.dmSize;
        case DC_EXTRA:
            return dm.dmDriverExtra;
        case DC_VERSION:
            return dm.dmSpecVersion;
        case DC_DRIVER:
            return dm.dmDriverVersion;
        case DC_COPIES:
            return 999;
        case DC_COLLATE:
            return 1;
        case DC_ORIENTATION:
            return 90;
        case DC_COLORDEVICE:
            return d.color ? 1 : 0;
        default:
            return GDI_ERROR;
    }
}

// DrvDocumentPropertySheets called directly by the spooler (no sheet): the size, or the
// DEVMODE made of the driver's defaults, the printer's stored default and the input. Wine's
// AddPrinterW asks for a new printer's default this way, with no printer handle.
LONG DirectDocumentProperties(DOCUMENTPROPERTYHEADER* header) {
    if (header == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    DriverPrinter printer(header->hPrinter, header->pszPrinterName);
    if (!printer) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return -1;
    }
    DriverPlugIn plugIn;
    plugIn.LoadFor(printer.get());
    JobDevmode job(plugIn.get(), printer.get(), printer.name(),
                   PrinterDescription::ForPrinter(printer.get()));
    const LONG size = static_cast<LONG>(job.size());
    if (header->fMode == 0 || header->pdmOut == nullptr) {
        header->cbOut = static_cast<DWORD>(size);
        RecordCall(L"DrvDocumentPropertySheets",
                   Format(L"%ls: size %ld (plug-in %ls)", printer.name().c_str(), size,
                          FileName(plugIn.path()).c_str()));
        return size;
    }
    const std::vector<unsigned char> stored = PrinterDefaultDevmode(printer.get());
    if (!stored.empty()) job.Merge(reinterpret_cast<const DEVMODEW*>(stored.data()));
    if ((header->fMode & DM_IN_BUFFER) != 0) job.Merge(header->pdmIn);
    if ((header->fMode & DM_OUT_BUFFER) != 0) {
        std::memcpy(header->pdmOut, job.get(), job.size());
    }
    RecordCall(L"DrvDocumentPropertySheets",
               Format(L"%ls: fMode 0x%lX, %ld bytes out", printer.name().c_str(),
                      static_cast<unsigned long>(header->fMode), size));
    return IDOK;
}

}  // namespace

LONG DocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
    if (info == nullptr) {
        return DirectDocumentProperties(reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam));
    }
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        const auto* header = reinterpret_cast<const DOCUMENTPROPERTYHEADER*>(lParam);
        RecordCall(
            L"DrvDocumentPropertySheets",
            Format(L"%ls: sheet, fMode 0x%lX",
                   header != nullptr && header->pszPrinterName != nullptr ? header->pszPrinterName
                                                                          : L"?",
                   header != nullptr ? static_cast<unsigned long>(header->fMode) : 0ul));
    }
    return DriverSheet::Run(DriverSheet::Kind::kDocument, info, lParam);
}

LONG DevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        const auto* header = reinterpret_cast<const DEVICEPROPERTYHEADER*>(lParam);
        RecordCall(L"DrvDevicePropertySheets",
                   Format(L"%ls: sheet", header != nullptr && header->pszPrinterName != nullptr
                                             ? header->pszPrinterName
                                             : L"?"));
    }
    return DriverSheet::Run(DriverSheet::Kind::kPrinter, info, lParam);
}

DWORD QueryDeviceCapabilities(HANDLE printerHandle, const wchar_t* device, WORD capability,
                              void* output, const DEVMODEW* devmode) {
    DriverPrinter printer(printerHandle, device);
    if (!printer) return GDI_ERROR;
    DriverPlugIn plugIn;
    plugIn.LoadFor(printer.get());
    JobDevmode job(plugIn.get(), printer.get(), printer.name(),
                   PrinterDescription::ForPrinter(printer.get()));
    job.Merge(devmode);
    DWORD answer = DriverCapability(job, capability, output);
    host::HRESULT seen = host::kENotImpl;
    if (plugIn.get() != nullptr) {
        // The plug-in sees the driver's answer and may change it; it leaves the count alone
        // unless it means to change it.
        host::OEMUIOBJ uiObject = {};
        host::DWORD result = answer;
        seen = plugIn.get()->DeviceCapabilities(
            &uiObject, printer.get(),
            reinterpret_cast<host::WCHAR*>(const_cast<wchar_t*>(printer.name().c_str())),
            capability, output, reinterpret_cast<host::DEVMODEW*>(job.get()),
            job.recordSize() > 0 ? job.record() : nullptr, answer, &result);
        if (seen == host::kSOk) answer = result;
    }
    RecordCall(L"DrvDeviceCapabilities",
               Format(L"%ls: capability %u answered %ld (plug-in %hs)", printer.name().c_str(),
                      capability, static_cast<long>(answer), ResultName(seen).c_str()));
    return answer;
}

BOOL ConvertDevMode(const wchar_t* printerName, const DEVMODEW* in, DEVMODEW* out, LONG* needed,
                    DWORD mode) {
    const bool convert = mode == kCdmConvert || mode == kCdmConvert351;
    if (needed == nullptr || (mode != kCdmDriverDefault && !convert) ||
        (convert && in == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DriverPrinter printer(nullptr, printerName);
    if (!printer) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }
    DriverPlugIn plugIn;
    plugIn.LoadFor(printer.get());
    JobDevmode job(plugIn.get(), printer.get(), printer.name(),
                   PrinterDescription::ForPrinter(printer.get()));
    // One version of the host's DEVMODE exists: converting is merging into the defaults.
    if (convert) job.Merge(in);
    const LONG size = static_cast<LONG>(job.size());
    RecordCall(L"DrvConvertDevMode",
               Format(L"%ls: mode %lu, buffer %ld of %ld bytes", printer.name().c_str(),
                      static_cast<unsigned long>(mode), *needed, size));
    if (out == nullptr || *needed < size) {
        *needed = size;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(out, job.get(), job.size());
    *needed = size;
    return TRUE;
}

BOOL DriverEvent(DWORD event, DWORD level, BYTE* driverInfo, LPARAM lParam) {
    // The plug-in named by the driver's files; the caller gives their names as it added
    // them, so names without a path are taken from the driver directory's "3" folder.
    std::vector<std::wstring> files;
    const wchar_t* driverName = L"";
    if (driverInfo != nullptr && level >= 2) {
        const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(driverInfo);
        if (info->pName != nullptr) driverName = info->pName;
        for (const wchar_t* name = level >= 3 ? info->pDependentFiles : nullptr;
             name != nullptr && *name != L'\0'; name += wcslen(name) + 1) {
            files.emplace_back(name);
        }
    }
    wchar_t folder[MAX_PATH] = {};
    DWORD size = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder,
                               &size);
    DriverPlugIn plugIn;
    host::HRESULT answered = host::kENotImpl;
    if (plugIn.Load(FindPlugIn(files, std::wstring(folder) + L"\\3\\"))) {
        answered = plugIn.get()->DriverEvent(event, level, driverInfo, lParam);
    }
    RecordCall(L"DrvDriverEvent",
               Format(L"event %lu, level %lu, driver %ls, plug-in %ls: %hs",
                      static_cast<unsigned long>(event), static_cast<unsigned long>(level),
                      driverName, FileName(plugIn.path()).c_str(), ResultName(answered).c_str()));
    return TRUE;
}

}  // namespace hostsim
