#include "job_devmode.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>

#include "devmode_calls.h"

namespace hostsim {
namespace {

// The fields of the public part this driver keeps.
constexpr DWORD kFields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES | DM_DEFAULTSOURCE |
                          DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX | DM_YRESOLUTION | DM_TTOPTION |
                          DM_COLLATE | DM_FORMNAME | DM_NUP;

}  // namespace

JobDevmode::JobDevmode(host::IPrintOemUI* plugIn, HANDLE printer, const std::wstring& printerName,
                       const PrinterDescription& description)
    : plugIn_(plugIn), printer_(printer), description_(description) {
    if (plugIn_ != nullptr) {
        const DevModeAnswer size =
            CallDevMode(plugIn_, host::kOemDmSize, printer_, nullptr, nullptr, 0);
        if (size.result == host::kSOk) recordSize_ = size.bufferSize;
    }
    bytes_.assign(kRecordOffset + recordSize_, 0);
    DEVMODEW& dm = *get();
    printerName.copy(dm.dmDeviceName, CCHDEVICENAME - 1);
    dm.dmSpecVersion = DM_SPECVERSION;
    dm.dmDriverVersion = kDriverVersion;
    dm.dmSize = sizeof(DEVMODEW);
    dm.dmDriverExtra = static_cast<WORD>(sizeof(DriverPrivate) + recordSize_);
    dm.dmFields = kFields;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmScale = 100;
    dm.dmCopies = 1;
    dm.dmDefaultSource = DMBIN_FORMSOURCE;
    dm.dmPrintQuality = static_cast<short>(description_.defaultResolution);
    dm.dmYResolution = static_cast<short>(description_.defaultResolution);
    dm.dmColor = description_.color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    dm.dmDuplex = DMDUP_SIMPLEX;
    dm.dmTTOption = DMTT_DOWNLOAD;
    dm.dmCollate = DMCOLLATE_TRUE;
    dm.dmNup = DMNUP_SYSTEM;
    dm.dmPaperSize = DMPAPER_LETTER;
    wcscpy(dm.dmFormName, L"Letter");
    if (const PaperSize* paper = description_.Paper(description_.defaultPaper)) SetPaper(*paper);

    DriverPrivate header = {sizeof(DriverPrivate), kDriverSignature, kDriverPrivateVersion,
                            static_cast<DWORD>(recordSize_)};
    std::memcpy(bytes_.data() + sizeof(DEVMODEW), &header, sizeof header);
    if (recordSize_ > 0) {
        CallDevMode(plugIn_, host::kOemDmDefault, printer_, nullptr, record(),
                    static_cast<host::DWORD>(recordSize_));
    }
}

void JobDevmode::SetPaper(const PaperSize& paper) {
    DEVMODEW& dm = *get();
    if (paper.id != 0) dm.dmPaperSize = paper.id;
    std::memset(dm.dmFormName, 0, sizeof dm.dmFormName);
    paper.name.copy(dm.dmFormName, CCHFORMNAME - 1);
}

const unsigned char* JobDevmode::RecordOf(const DEVMODEW* dm, std::size_t recordSize) {
    if (dm == nullptr || recordSize == 0 || dm->dmSize < offsetof(DEVMODEW, dmFields) ||
        dm->dmDriverExtra < sizeof(DriverPrivate) + recordSize) {
        return nullptr;
    }
    const auto* privatePart = reinterpret_cast<const unsigned char*>(dm) + dm->dmSize;
    DriverPrivate header;
    std::memcpy(&header, privatePart, sizeof header);
    if (header.dwSize != sizeof(DriverPrivate) || header.dwSignature != kDriverSignature ||
        header.dwVersion != kDriverPrivateVersion || header.cbPlugIn != recordSize) {
        return nullptr;
    }
    return privatePart + sizeof(DriverPrivate);
}

void JobDevmode::Merge(const DEVMODEW* in) {
    if (in == nullptr || in->dmSize < offsetof(DEVMODEW, dmFields) + sizeof in->dmFields) return;
    MergePublic(in);
    const unsigned char* inRecord = RecordOf(in, recordSize_);
    if (inRecord != nullptr && plugIn_ != nullptr) {
        CallDevMode(plugIn_, host::kOemDmMerge, printer_, const_cast<unsigned char*>(inRecord),
                    record(), static_cast<host::DWORD>(recordSize_));
    }
}

void JobDevmode::MergePublic(const DEVMODEW* in) {
    DEVMODEW& dm = *get();
    // A field counts when it is flagged and lies inside the input's public part.
    auto has = [&](DWORD flag, std::size_t end) {
        return (in->dmFields & flag) != 0 && in->dmSize >= end;
    };
#define HOST_FIELD_END(field) (offsetof(DEVMODEW, field) + sizeof(in->field))
    if (has(DM_ORIENTATION, HOST_FIELD_END(dmOrientation)) &&
        (in->dmOrientation == DMORIENT_PORTRAIT || in->dmOrientation == DMORIENT_LANDSCAPE)) {
        dm.dmOrientation = in->dmOrientation;
    }
    if (has(DM_PAPERSIZE, HOST_FIELD_END(dmPaperSize))) {
        if (const PaperSize* paper = description_.PaperById(in->dmPaperSize)) SetPaper(*paper);
    }
    if (has(DM_FORMNAME, HOST_FIELD_END(dmFormName))) {
        const std::wstring name(in->dmFormName, wcsnlen(in->dmFormName, CCHFORMNAME));
        if (const PaperSize* paper = description_.PaperByName(name)) SetPaper(*paper);
    }
    if (has(DM_SCALE, HOST_FIELD_END(dmScale)) && in->dmScale >= 1 && in->dmScale <= 1000) {
        dm.dmScale = in->dmScale;
    }
    if (has(DM_COPIES, HOST_FIELD_END(dmCopies)) && in->dmCopies >= 1) {
        dm.dmCopies = std::min<short>(in->dmCopies, 999);
    }
    if (has(DM_DEFAULTSOURCE, HOST_FIELD_END(dmDefaultSource))) {
        dm.dmDefaultSource = in->dmDefaultSource;
    }
    if (has(DM_PRINTQUALITY, HOST_FIELD_END(dmPrintQuality)) &&
        std::find(description_.resolutions.begin(), description_.resolutions.end(),
                  in->dmPrintQuality) != description_.resolutions.end()) {
        dm.dmPrintQuality = in->dmPrintQuality;
        dm.dmYResolution = in->dmPrintQuality;
    }
    if (has(DM_COLOR, HOST_FIELD_END(dmColor)) &&
        (in->dmColor == DMCOLOR_MONOCHROME || in->dmColor == DMCOLOR_COLOR)) {
        dm.dmColor = description_.color ? in->dmColor : DMCOLOR_MONOCHROME;
    }
    if (has(DM_DUPLEX, HOST_FIELD_END(dmDuplex)) && in->dmDuplex >= DMDUP_SIMPLEX &&
        in->dmDuplex <= DMDUP_HORIZONTAL) {
        dm.dmDuplex = description_.duplex ? in->dmDuplex : DMDUP_SIMPLEX;
    }
    if (has(DM_COLLATE, HOST_FIELD_END(dmCollate)) &&
        (in->dmCollate == DMCOLLATE_FALSE || in->dmCollate == DMCOLLATE_TRUE)) {
        dm.dmCollate = in->dmCollate;
    }
    if (has(DM_NUP, HOST_FIELD_END(dmNup)) &&
        (in->dmNup == DMNUP_SYSTEM || in->dmNup == DMNUP_ONEUP)) {
        dm.dmNup = in->dmNup;
    }
#undef HOST_FIELD_END
}

std::vector<unsigned char> PrinterDefaultDevmode(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed == 0) return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterW(printer, 2, buffer.data(), needed, &needed)) return {};
    const DEVMODEW* dm = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->pDevMode;
    if (dm == nullptr) return {};
    const auto* bytes = reinterpret_cast<const unsigned char*>(dm);
    return std::vector<unsigned char>(bytes, bytes + dm->dmSize + dm->dmDriverExtra);
}

}  // namespace hostsim
