// The typical road through the platform's own calls. The sample printers' driver has the
// host's configuration DLL as its configuration file, so Wine's spooler reaches the plug-in:
// AddPrinterDriverW calls DrvDriverEvent, DeviceCapabilitiesW DrvDeviceCapabilities,
// DocumentPropertiesW DrvDocumentPropertySheets (with DM_IN_PROMPT through compstui, whose
// sheet a robot on a second thread plays). Runs under with-agents.sh: the printer properties
// ask snmpd standing in for the printer.
#include <gtest/gtest.h>
#include <windows.h>

#include <compstui.h>
#include <winspool.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../wine_test_support.h"
#include "driver_plugin.h"
#include "driver_ui.h"
#include "job_devmode.h"
#include "model_install.h"
#include "snmp_module_host.h"
#include "spooler_road.h"

namespace {

using winetest::Narrow;
using winetest::PrinterDword;
using winetest::SetPrinterDword;

// A DEVMODE of the public part only, as a program without the driver makes one.
std::vector<unsigned char> PublicOnly() {
    DEVMODEW plain = {};
    plain.dmSize = sizeof plain;
    plain.dmSpecVersion = DM_SPECVERSION;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&plain);
    return std::vector<unsigned char>(bytes, bytes + sizeof plain);
}

class SpoolerRoad : public ::testing::Test {
  protected:
    void SetUp() override {
        model = hostsim::FindModel(L"Talen ColorPrint C5");
        ASSERT_NE(nullptr, model);
        hostsim::ClearRecordedCalls();
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error)) << Narrow(error);
        ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
        printer = std::make_unique<hostsim::OpenedPrinter>(model->printerName);
        ASSERT_TRUE(*printer);
        // Jobs can be kept in the printer's memory (the confidential mode needs storage), and
        // the printer's default has no private part left from an earlier run.
        SetPrinterDword(printer->get(), L"CURRENT_MEMORY", 512);
        ASSERT_TRUE(hostsim::SavePrinterDefault(model->printerName, PublicOnly()));
    }
    wchar_t* Name() const { return const_cast<wchar_t*>(model->printerName); }

    const hostsim::ModelSpec* model = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
};

TEST_F(SpoolerRoad, AddingTheDriverAndAskingItsCapabilitiesReachThePlugIn) {
    EXPECT_EQ(L"event 1, level 3, driver Talen ColorPrint C5 PS, plug-in CVLU.DLL: S_OK",
              hostsim::RecordedCall(L"DrvDriverEvent"));

    // The description offers 300, 600 and 1200 dpi; the model's Quality300Index makes the
    // plug-in turn the 300-dpi pair into 600.
    LONG pairs[4][2] = {};
    ASSERT_EQ(3, DeviceCapabilitiesW(Name(), L"FILE:", DC_ENUMRESOLUTIONS, nullptr, nullptr));
    ASSERT_EQ(3, DeviceCapabilitiesW(Name(), L"FILE:", DC_ENUMRESOLUTIONS,
                                     reinterpret_cast<wchar_t*>(pairs), nullptr));
    EXPECT_EQ(600, pairs[0][0]);
    EXPECT_EQ(600, pairs[0][1]);
    EXPECT_EQ(600, pairs[1][0]);
    EXPECT_EQ(1200, pairs[2][0]);
    EXPECT_EQ(1, DeviceCapabilitiesW(Name(), L"FILE:", DC_COLORDEVICE, nullptr, nullptr));

    // The sizes the capabilities name are those of the DEVMODE the driver writes.
    const LONG size = DocumentPropertiesW(nullptr, printer->get(), nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(static_cast<LONG>(sizeof(DEVMODEW) + sizeof(hostsim::DriverPrivate) + 2404), size);
    EXPECT_EQ(size, DeviceCapabilitiesW(Name(), L"FILE:", DC_SIZE, nullptr, nullptr) +
                        DeviceCapabilitiesW(Name(), L"FILE:", DC_EXTRA, nullptr, nullptr));

    const hostsim::ModelSpec* mono = hostsim::FindModel(L"Vantora Mono M2");
    std::wstring error;
    ASSERT_TRUE(hostsim::InstallModel(*mono, &error)) << Narrow(error);
    EXPECT_EQ(0, DeviceCapabilitiesW(const_cast<wchar_t*>(mono->printerName), L"FILE:",
                                     DC_COLORDEVICE, nullptr, nullptr));
}

TEST_F(SpoolerRoad, AConfidentialJobFromTheSheetToTheJobAndThePrinterDefault) {
    LONG answer = 0;
    std::vector<unsigned char> defaults = hostsim::DocumentDevmode(printer->get(), {}, &answer);
    ASSERT_EQ(IDOK, answer);
    const hostsim::RecordView initial = hostsim::ViewRecord(defaults);
    ASSERT_TRUE(initial.present) << "the plug-in's record behind the public part";
    EXPECT_EQ(0, initial.printMode);
    EXPECT_EQ(L"", initial.userId);

    auto* dm = reinterpret_cast<DEVMODEW*>(defaults.data());
    dm->dmCopies = 4;
    dm->dmFields |= DM_COPIES;
    hostsim::SheetSeen seen;
    std::vector<unsigned char> saved;
    answer = hostsim::PlayDocumentSheet(printer->get(), defaults, {}, &saved, &seen);
    EXPECT_EQ(IDOK, answer);
    // The plug-in's page made by the host's own sheet function joins the platform's sheet.
    EXPECT_EQ((std::vector<std::wstring>{L"Advanced", L"Troubleshooting"}), seen.tabs);
    EXPECT_EQ((std::vector<std::wstring>{L"Print and Hold", L"Copies Setting"}), seen.buttons);
    ASSERT_TRUE(seen.holdDialog);
    const hostsim::RecordView applied = hostsim::ViewRecord(saved);
    ASSERT_TRUE(applied.present);
    EXPECT_EQ(4, applied.printMode) << "Confidential, not stored";
    EXPECT_EQ(L"jdoe", applied.userId);
    EXPECT_EQ(L"Quarterly", applied.jobName);
    EXPECT_EQ(L"4711", applied.longPasscode);
    EXPECT_EQ(L"TLNC5-7F3A9C21", applied.encryptionKey);
    EXPECT_EQ(4, applied.copies);

    // A job started with that DEVMODE: Wine's spooler keeps the handle's DEVMODE, private
    // part included, and gives it back for the job.
    const hostsim::JobSeen job = hostsim::StartJob(Name(), saved, L"C:\\spooler-road-test.prn");
    ASSERT_NE(0u, job.id);
    ASSERT_TRUE(job.gotJob);
    ASSERT_FALSE(job.devmode.empty()) << "GetJobW level 2 without pDevMode";
    EXPECT_EQ(hostsim::RecordBytes(saved), hostsim::RecordBytes(job.devmode));

    // Saved as the printer's default, it comes back from the spooler and through the driver.
    ASSERT_TRUE(hostsim::SavePrinterDefault(Name(), saved));
    const std::vector<unsigned char> stored = hostsim::PrinterDefaultDevmode(printer->get());
    EXPECT_EQ(hostsim::RecordBytes(saved), hostsim::RecordBytes(stored));
    for (const std::vector<unsigned char>& in : {stored, std::vector<unsigned char>{}}) {
        const hostsim::RecordView reloaded =
            hostsim::ViewRecord(hostsim::DocumentDevmode(printer->get(), in, &answer));
        EXPECT_EQ(IDOK, answer);
        EXPECT_EQ(4, reloaded.printMode) << (in.empty() ? "from the default" : "merged");
        EXPECT_EQ(L"jdoe", reloaded.userId);
        EXPECT_EQ(L"4711", reloaded.longPasscode);
        EXPECT_EQ(4, reloaded.copies);
    }
}

TEST_F(SpoolerRoad, CancelLeavesTheCallersBufferAlone) {
    hostsim::SheetChoice choice;
    choice.cancel = true;
    hostsim::SheetSeen seen;
    std::vector<unsigned char> out;
    // Wine's compstui answers CPSUI_OK for a cancelled sheet too, so only the buffer tells.
    hostsim::PlayDocumentSheet(printer->get(), {}, choice, &out, &seen);
    ASSERT_TRUE(seen.holdDialog);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(std::vector<unsigned char>(out.size(), 0xCC), out);
}

TEST(SpoolerRoadPrinter, PrinterPropertiesShowTheInstalledOptionsTheAgentReports) {
    const char* agent = std::getenv("CVL_SNMP_PRINTER_PORT");
    ASSERT_NE(nullptr, agent) << "run through tests/wine/snmp/with-agents.sh";
    const std::wstring settings = hostsim::DriverFolder3() + L"CVLN.INI";
    ASSERT_TRUE(hostsim::WriteSnmpSettings(settings, static_cast<unsigned>(std::atoi(agent))));
    std::wstring error;
    ASSERT_TRUE(hostsim::InstallNetworkPrinter(L"public", &error)) << Narrow(error);
    const hostsim::ModelSpec& model = hostsim::NetworkPrinter();
    hostsim::OpenedPrinter printer(model.printerName);
    SetPrinterDword(printer.get(), L"HDD_SETTING", 0);
    SetPrinterDword(printer.get(), L"CURRENT_MEMORY", 0);

    hostsim::SheetSeen seen;
    const LONG answer = hostsim::PlayPrinterSheet(printer.get(), model.printerName, &seen);
    DeleteFileW(settings.c_str());
    EXPECT_EQ(CPSUI_OK, answer);
    EXPECT_EQ((std::vector<std::wstring>{L"Device Settings", L"Troubleshooting"}), seen.tabs);
    auto shows = [&](const wchar_t* line) {
        for (const std::wstring& item : seen.items) {
            if (item == line) return true;
        }
        return false;
    };
    EXPECT_TRUE(shows(L"Option1: Installed")) << "tray 2";
    EXPECT_TRUE(shows(L"Option4: Installed")) << "hard disk";
    EXPECT_TRUE(shows(L"InstalledMemory: 256 MB"));
    EXPECT_EQ(1, PrinterDword(printer.get(), L"HDD_SETTING"));
    EXPECT_EQ(256, PrinterDword(printer.get(), L"CURRENT_MEMORY"));
}

}  // namespace
