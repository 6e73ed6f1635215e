// Installs a sample model into the spooler the way a printer's setup does: the model files
// go into the driver directory's "3" folder with the plug-in, its SNMP module and the host's
// configuration DLL (HOSTUI.DLL, the driver's pConfigFile) from the program's folder, the
// driver is added at level 3 with the model's data file, and a printer on "FILE:" is added
// for it. Wine's spooler loads HOSTUI.DLL for both steps (DrvDriverEvent, and
// DrvDocumentPropertySheets for a new printer's default DEVMODE).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hostsim {

// The host's configuration DLL, the installed drivers' configuration file.
inline constexpr wchar_t kConfigFile[] = L"HOSTUI.DLL";

struct ModelSpec {
    const wchar_t* printerName;
    const wchar_t* driverName;
    const wchar_t* dataFile;  // the driver's data file; its base names every model file
    const wchar_t* portName = L"FILE:";
};

// The sample models under models/.
const std::vector<ModelSpec>& SampleModels();
const ModelSpec* FindModel(const std::wstring& printerName);

// The folder holding the sample model files (the repository's models/ folder).
std::wstring ModelsFolder();

// Copies the model's files, adds its driver and printer (both kept when already there).
// False with a reason in *error when a step fails.
bool InstallModel(const ModelSpec& model, std::wstring* error);

// A model made up by a test: its files (name and bytes) are written into the driver folder
// as given, then its driver and printer are added as for a sample model.
struct ModelFile {
    std::wstring name;
    std::string bytes;
};
bool InstallMadeUpModel(const ModelSpec& model, const std::vector<ModelFile>& files,
                        std::wstring* error);

// A Standard TCP/IP port as its port monitor keeps it in the machine registry: the printer's
// address and the port's SNMP settings ("SNMP Community", "SNMP Enabled").
bool AddStandardTcpIpPort(const wchar_t* port, const wchar_t* address, const wchar_t* community,
                          DWORD snmpEnabled);

// The printer's handle, closed with the object.
class OpenedPrinter {
  public:
    explicit OpenedPrinter(const wchar_t* name);
    OpenedPrinter(const OpenedPrinter&) = delete;
    OpenedPrinter& operator=(const OpenedPrinter&) = delete;
    ~OpenedPrinter();
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    HANDLE handle_ = nullptr;
};

// Deletes a printer, and with it its printer data; true when it is gone (or never was).
bool RemovePrinter(const wchar_t* printerName);

// Stores the per-user language code of a printer (DrvCntCode under
// "Software\Corvel\<printer>"), as the plug-in does once it has chosen one.
bool StoreLanguageCode(const wchar_t* printerName, const wchar_t* code);

// The spooler's driver directory of the running environment followed by "\3\".
std::wstring DriverFolder3();

}  // namespace hostsim
