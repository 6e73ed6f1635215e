// The sample models installed into Wine's spooler: the real DLL's default private record
// carries what the platform's own profile function reads from the installed model profile.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>

#include "devmode/oem_devmode.h"
#include "devmode_calls.h"
#include "model_install.h"
#include "plugin_host.h"

namespace {

class ModelTest : public ::testing::TestWithParam<const wchar_t*> {
  protected:
    void SetUp() override {
        model = hostsim::FindModel(GetParam());
        ASSERT_NE(nullptr, model);
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error))
            << std::string(error.begin(), error.end());
        printer = std::make_unique<hostsim::OpenedPrinter>(model->printerName);
        ASSERT_TRUE(*printer) << "OpenPrinterW error " << GetLastError();
        ASSERT_TRUE(library.Load());
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
        std::wstring base = model->dataFile;
        profilePath = hostsim::DriverFolder3() + base.substr(0, base.find(L'.')) + L"u.INI";
    }
    void TearDown() override {
        if (plugIn != nullptr) plugIn->Release();
    }
    // What the platform's own profile function reads from the installed model profile.
    int Profile(const wchar_t* section, const wchar_t* key) {
        return static_cast<int>(GetPrivateProfileIntW(section, key, 0, profilePath.c_str()));
    }

    const hostsim::ModelSpec* model = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    hostsim::PluginLibrary library;
    host::IPrintOemUI* plugIn = nullptr;
    std::wstring profilePath;
};

TEST_P(ModelTest, DefaultRecordCarriesTheModelProfile) {
    using namespace devmode;
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(profilePath.c_str()));
    auto record = hostsim::NewRecord();
    ASSERT_EQ(host::kSOk, hostsim::CallDevMode(plugIn, host::kOemDmDefault, printer->get(), nullptr,
                                               record.data())
                              .result);
    const void* r = record.data();
    EXPECT_EQ(Profile(L"Common", L"PrinterInstalledHDD") & 0xFFFF, Get(r, kHddInstalled));
    EXPECT_EQ(Profile(L"DEFAULTDEVMODE", L"iResolution") & 0xFFFF, Get(r, kResolution));
    EXPECT_EQ(Profile(L"Common", L"GraphicsCopiesSetting") & 0xFFFF, Get(r, kCopiesSettingOn));
    EXPECT_EQ(Profile(L"Common", L"PrinterHDD") & 0xFFFF, Get(r, kPrinterHdd));
    EXPECT_EQ(Profile(L"Common", L"PrinterJobAccounting") & 0xFFFF, Get(r, kJobAccounting));
    EXPECT_EQ(Profile(L"Common", L"CriticalMemorySize"), Get(r, kCriticalMemory));
    EXPECT_EQ(Profile(L"Common", L"PrinterMemory") & 0xFFFF, Get(r, kPrinterMemory));
    EXPECT_EQ(Profile(L"Common", L"RAMCollate") & 0xFFFF, Get(r, kRamCollate));
    EXPECT_EQ(Profile(L"FUNCTION", L"DuplexOptions") & 0xFFFF, Get(r, kDuplexOptions));
    EXPECT_EQ(RegionGroup(GetUserDefaultLangID()), Get(r, kRegionColor));
}

INSTANTIATE_TEST_SUITE_P(SampleModels, ModelTest,
                         ::testing::Values(L"Talen ColorPrint C5", L"Vantora Mono M2"),
                         [](const auto& param) {
                             return std::string(param.param[0] == L'T' ? "Talen" : "Vantora");
                         });

}  // namespace
