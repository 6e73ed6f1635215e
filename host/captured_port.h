// A printer port whose raw jobs Wine's spooler writes into a file, and which the Standard
// TCP/IP Port monitor knows with a network address: the port is mapped to the file's Unix
// name under HKCU\Software\Wine\Printing\Spooler and given its address under the monitor's
// key in HKLM. The object undoes both, and puts a printer it moved onto the port back on
// its old port.
#pragma once

#include <windows.h>

#include <string>

namespace hostsim {

class CapturedPort {
  public:
    // `file` is a Windows path; the spooler gets its Unix name.
    CapturedPort(std::wstring port, const std::wstring& address, std::wstring file);
    CapturedPort(const CapturedPort&) = delete;
    CapturedPort& operator=(const CapturedPort&) = delete;
    ~CapturedPort();

    // Empty when the port is ready, else what failed.
    const std::wstring& error() const { return error_; }
    const std::wstring& port() const { return port_; }
    // Moves a printer onto the port for the object's life; false when the spooler refuses.
    bool Attach(const wchar_t* printerName);
    // The bytes of the jobs written since the last call (the spooler writes each job whole
    // before its document ends); the file is removed.
    std::string TakeJobs();

  private:
    std::wstring port_;
    std::wstring file_;
    std::wstring error_;
    bool monitorExisted_ = false;
    std::wstring attached_;
    std::wstring oldPort_;
};

// A file's bytes; empty when it cannot be read.
std::string FileBytes(const std::wstring& path);

// Sets the port of a printer (SetPrinterW level 2); the old port in *oldPort.
bool SetPrinterPort(const wchar_t* printerName, const wchar_t* port, std::wstring* oldPort);

}  // namespace hostsim
