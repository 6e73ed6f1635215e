// The real plug-in DLL under Wine (x86 or x64, the width of this program): loaded as the
// driver loads it, through its exports.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>

#include "plugin_host.h"

namespace {

class PluginDll : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(library.Load()) << "error " << GetLastError(); }
    hostsim::PluginLibrary library;
};

bool UserKeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void CreateUserKey(const wchar_t* path) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegCloseKey(key);
}

TEST_F(PluginDll, ServesOnlyItsClassAndUnloadsWhenAllIsReleased) {
    const host::GUID other = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(host::kClassEClassNotAvailable,
              library.GetClassObject(other, host::kIidClassFactory, &out));
    EXPECT_EQ(reinterpret_cast<void*>(0x1234), out);

    ASSERT_EQ(host::kSOk, library.GetClassObject(host::kClsidPlugIn, host::kIidClassFactory, &out));
    auto* factory = static_cast<host::ClassFactory*>(out);
    EXPECT_EQ(host::kSOk, factory->LockServer(TRUE));
    EXPECT_EQ(host::kSFalse, library.CanUnloadNow());
    EXPECT_EQ(host::kSOk, factory->LockServer(FALSE));

    void* unknown = nullptr;
    ASSERT_EQ(host::kSOk, factory->CreateInstance(nullptr, host::kIidUnknown, &unknown));
    factory->Release();
    void* plugInOut = nullptr;
    auto* object = static_cast<host::Unknown*>(unknown);
    ASSERT_EQ(host::kSOk, object->QueryInterface(host::kIidPrintOemUI, &plugInOut));
    EXPECT_EQ(unknown, plugInOut);
    EXPECT_EQ(host::kSFalse, library.CanUnloadNow());

    auto* plugIn = static_cast<host::IPrintOemUI*>(plugInOut);
    hostsim::HostDriverUI driver;
    EXPECT_EQ(host::kSOk, plugIn->PublishDriverInterface(&driver));
    EXPECT_EQ(2, driver.references());
    EXPECT_EQ(1u, plugIn->Release());
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(1, driver.references()) << "the plug-in let go of the host's interface";
    EXPECT_EQ(host::kSOk, library.CanUnloadNow());
}

TEST_F(PluginDll, DriverDeleteRemovesTheUserKeys) {
    host::IPrintOemUI* plugIn = library.CreatePlugIn();
    ASSERT_NE(nullptr, plugIn);
    // Other tests leave their printers' keys behind: start from no keys at all.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Corvel");
    CreateUserKey(L"Software\\Corvel\\Corvel Color 5");
    ASSERT_TRUE(UserKeyExists(L"Software\\Corvel\\Corvel Color 5"));

    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    wchar_t name[] = L"Corvel Color 5";
    info.pName = name;
    EXPECT_EQ(host::kSOk, plugIn->DriverEvent(host::kDriverEventInitialize, 3,
                                              reinterpret_cast<BYTE*>(&info), 0));
    EXPECT_EQ(host::kSOk,
              plugIn->DriverEvent(host::kDriverEventDelete, 3, reinterpret_cast<BYTE*>(&info), 0));
    EXPECT_FALSE(UserKeyExists(L"Software\\Corvel\\Corvel Color 5"));
    EXPECT_FALSE(UserKeyExists(L"Software\\Corvel")) << "the emptied parent is removed";

    // A parent that still holds another driver's key stays.
    CreateUserKey(L"Software\\Corvel\\Corvel Color 5");
    CreateUserKey(L"Software\\Corvel\\Other Driver");
    EXPECT_EQ(host::kSOk,
              plugIn->DriverEvent(host::kDriverEventDelete, 3, reinterpret_cast<BYTE*>(&info), 0));
    EXPECT_FALSE(UserKeyExists(L"Software\\Corvel\\Corvel Color 5"));
    EXPECT_TRUE(UserKeyExists(L"Software\\Corvel\\Other Driver"));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Corvel\\Other Driver");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Corvel");
    plugIn->Release();
}

// The manifest names the DLL's own processor: Windows binds no common controls of another
// one, and a dialog without common controls 6 falls back to user32's controls.
TEST_F(PluginDll, CarriesItsVersionRecordAndManifest) {
    wchar_t path[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(library.module(), path, MAX_PATH));
    EXPECT_NE(0u, GetFileVersionInfoSizeW(path, nullptr));
    HRSRC found = FindResourceW(library.module(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, found);
    const char* manifest =
        static_cast<const char*>(LockResource(LoadResource(library.module(), found)));
    const std::string text(manifest, SizeofResource(library.module(), found));
    const std::string own = sizeof(void*) == 8 ? "amd64" : "x86";
    const std::string other = sizeof(void*) == 8 ? "x86" : "amd64";
    EXPECT_NE(std::string::npos, text.find("processorArchitecture=\"" + own + "\"")) << text;
    EXPECT_EQ(std::string::npos, text.find("processorArchitecture=\"" + other + "\"")) << text;
    EXPECT_NE(std::string::npos,
              text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""))
        << text;
}

}  // namespace
