// The driver's whole DEVMODE of a job or a printer default: the public DEVMODEW, the
// driver's own private header, and the plug-in's private record behind it, sized, defaulted
// and merged through the plug-in's DevMode calls the way the PostScript driver does it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "plugin/host_interface.h"
#include "printer_description.h"

namespace hostsim {

// The driver's own private part, the first bytes after the public DEVMODEW (dmSize bytes
// from its start); the plug-in's record follows it.
struct DriverPrivate {
    DWORD dwSize;       // sizeof(DriverPrivate)
    DWORD dwSignature;  // kDriverSignature
    DWORD dwVersion;    // kDriverPrivateVersion
    DWORD cbPlugIn;     // bytes of the plug-in's record that follow
};
inline constexpr DWORD kDriverSignature = 0x484C5643;  // "CVLH" in memory
inline constexpr DWORD kDriverPrivateVersion = 1;
inline constexpr WORD kDriverVersion = 0x0100;  // dmDriverVersion of the host's DEVMODEs

class JobDevmode {
  public:
    // The driver's defaults for the printer: the public part from its printer description,
    // the plug-in's record from OEMDM_DEFAULT. Without a plug-in there is no record.
    JobDevmode(host::IPrintOemUI* plugIn, HANDLE printer, const std::wstring& printerName,
               const PrinterDescription& description);

    // Takes over what `in` sets: the public fields it flags that the printer supports, and
    // the plug-in's record (OEMDM_MERGE) when its private part is this driver's. A foreign
    // or damaged private part leaves the record as it is. A null `in` changes nothing.
    void Merge(const DEVMODEW* in);

    // The plug-in's record inside `dm` when its private part is this driver's with a record
    // of `recordSize` bytes, else null.
    static const unsigned char* RecordOf(const DEVMODEW* dm, std::size_t recordSize);

    DEVMODEW* get() { return reinterpret_cast<DEVMODEW*>(bytes_.data()); }
    const DEVMODEW* get() const { return reinterpret_cast<const DEVMODEW*>(bytes_.data()); }
    std::size_t size() const { return bytes_.size(); }
    unsigned char* record() { return bytes_.data() + kRecordOffset; }
    std::size_t recordSize() const { return recordSize_; }
    const PrinterDescription& description() const { return description_; }

  private:
    static constexpr std::size_t kRecordOffset = sizeof(DEVMODEW) + sizeof(DriverPrivate);
    void MergePublic(const DEVMODEW* in);
    void SetPaper(const PaperSize& paper);

    host::IPrintOemUI* plugIn_;
    HANDLE printer_;
    PrinterDescription description_;
    std::size_t recordSize_ = 0;
    std::vector<unsigned char> bytes_;
};

// The printer's stored default DEVMODE (GetPrinterW level 2), empty when it has none.
std::vector<unsigned char> PrinterDefaultDevmode(HANDLE printer);

}  // namespace hostsim
