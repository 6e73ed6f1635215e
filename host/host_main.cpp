// The host simulator: loads the plug-in the way the printer driver does and prints what
// the plug-in answers.
#include <windows.h>

#include <cstdio>
#include <string>

#include "devmode_calls.h"
#include "model_install.h"
#include "plugin_host.h"

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
        SetLastError(0);
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
        SetLastError(0);
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

}  // namespace

int wmain() {
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

    hostsim::HostDriverUI driver;
    std::printf("  PublishDriverInterface: %s\n",
                hostsim::ResultName(plugIn->PublishDriverInterface(&driver)).c_str());
    ShowGetInfo(plugIn);
    ShowColorProfile(plugIn);
    bool modelsShown = true;
    for (const hostsim::ModelSpec& model : hostsim::SampleModels()) {
        modelsShown = ShowModel(plugIn, model) && modelsShown;
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
