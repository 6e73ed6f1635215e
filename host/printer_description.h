// What the driver reads from a model's printer description (its data file, a PPD) to build
// its public job settings and answer device-capability queries: colour, duplex, the page
// sizes, the paper sources and the resolutions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hostsim {

struct PaperSize {
    std::wstring keyword;  // "A4", "Letter"
    std::wstring name;     // the translation shown to the user
    short id = 0;          // DMPAPER_* of the keyword, 0 when the platform has none
    long widthPoints = 0;
    long heightPoints = 0;
};

struct PaperSource {
    std::wstring keyword;
    std::wstring name;
};

struct PrinterDescription {
    bool color = false;
    bool duplex = false;  // the description offers two-sided printing
    std::vector<PaperSize> papers;
    std::wstring defaultPaper;
    std::vector<PaperSource> sources;
    std::vector<long> resolutions;  // dots per inch, in the description's order
    long defaultResolution = 600;

    // The paper of that keyword, or null.
    const PaperSize* Paper(const std::wstring& keyword) const;
    const PaperSize* PaperById(short id) const;
    const PaperSize* PaperByName(const std::wstring& name) const;

    // Reads the description's main keywords; an unreadable file gives an empty description.
    static PrinterDescription Read(const std::wstring& path);
    // The description of the printer's driver (GetPrinterDriverW level 2, its data file).
    static PrinterDescription ForPrinter(HANDLE printer);
};

}  // namespace hostsim
