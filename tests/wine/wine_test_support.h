// Small helpers the Wine tests share: the program's folder, printer data values.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

#include "captured_port.h"

namespace winetest {

// The folder of this program (bin\), where the build puts the DLLs, with its trailing "\".
inline std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of(L'\\') + 1);
}

// For failure messages: anything beyond ASCII shows as '?'.
inline std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

// A printer data value of four bytes; -1 when it cannot be read.
inline long PrinterDword(HANDLE printer, const wchar_t* name) {
    DWORD type = 0, value = 0, needed = 0;
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, reinterpret_cast<BYTE*>(&value),
                        sizeof value, &needed) != ERROR_SUCCESS) {
        return -1;
    }
    return static_cast<long>(value);
}

inline DWORD SetPrinterDword(HANDLE printer, const wchar_t* name, DWORD value) {
    return SetPrinterDataW(printer, const_cast<wchar_t*>(name), REG_DWORD,
                           reinterpret_cast<BYTE*>(&value), sizeof value);
}

// Removes a printer data value where Wine's spooler keeps it: DeletePrinterDataW is not
// implemented there.
inline void RemovePrinterData(const wchar_t* printer, const wchar_t* name) {
    const std::wstring path =
        std::wstring(L"System\\CurrentControlSet\\Control\\Print\\Printers\\") + printer +
        L"\\PrinterDriverData";
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}

}  // namespace winetest
