#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "plugin/com_server.h"
#include "plugin/plugin_object.h"

namespace {

constexpr host::GUID kOtherIid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

// A host driver interface that counts the references the plug-in holds on it.
class HostDriver final : public host::IPrintOemDriverUI {
  public:
    host::HRESULT HOST_CALL QueryInterface(const host::GUID& iid, void** out) override {
        ++queries;
        if (refuse || !(iid == host::kIidPrintOemDriverUI)) {
            *out = nullptr;
            return host::kENoInterface;
        }
        *out = static_cast<host::IPrintOemDriverUI*>(this);
        AddRef();
        return host::kSOk;
    }
    host::ULONG HOST_CALL AddRef() override { return static_cast<host::ULONG>(++refs); }
    host::ULONG HOST_CALL Release() override { return static_cast<host::ULONG>(--refs); }
    host::HRESULT HOST_CALL DrvGetDriverSetting(void*, const char*, void*, host::DWORD,
                                                host::DWORD*, host::DWORD*) override {
        return host::kENotImpl;
    }
    host::HRESULT HOST_CALL DrvUpgradeRegistrySetting(host::HANDLE, const char*,
                                                      const char*) override {
        return host::kENotImpl;
    }
    host::HRESULT HOST_CALL DrvUpdateUISetting(void*, void*, host::DWORD, host::DWORD) override {
        return host::kENotImpl;
    }
    int refs = 1;
    int queries = 0;
    bool refuse = false;
};

class PlugInTest : public ::testing::Test {
  protected:
    host::ClassFactory* Factory() {
        void* out = nullptr;
        EXPECT_EQ(host::kSOk, plugin::GetClassObject(state, &host::kClsidPlugIn,
                                                     &host::kIidClassFactory, &out));
        return static_cast<host::ClassFactory*>(out);
    }
    host::IPrintOemUI* Create() {
        host::ClassFactory* factory = Factory();
        void* out = nullptr;
        EXPECT_EQ(host::kSOk, factory->CreateInstance(nullptr, host::kIidPrintOemUI, &out));
        factory->Release();
        return static_cast<host::IPrintOemUI*>(out);
    }

    fakes::FakePlatform fakes;
    fakes::FakeProfiles profiles;
    plugin::ProcessState state{fakes.ports(&profiles)};
};

// Serving the class, GetInfo, QueryColorProfile, unlocking and deleting a driver's key are
// driven through the built DLL by the PluginDll and HostileHost tests; here the refusals and
// buffer ends those leave out.
TEST_F(PlugInTest, RefusedInterfacesLeaveNoObjectAndNoPointer) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(host::kENoInterface,
              plugin::GetClassObject(state, &host::kClsidPlugIn, &kOtherIid, &out));
    EXPECT_EQ(nullptr, out);
    host::ClassFactory* factory = Factory();
    out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(host::kENoInterface, factory->CreateInstance(nullptr, kOtherIid, &out));
    EXPECT_EQ(nullptr, out);
    HostDriver outer;
    EXPECT_EQ(host::kClassENoAggregation,
              factory->CreateInstance(&outer, host::kIidPrintOemUI, &out));
    EXPECT_EQ(0, state.objectCount.load());
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(host::kSOk, plugin::CanUnloadNow(state));
}

TEST_F(PlugInTest, UnmatchedUnlocksNeverKeepTheModuleLoaded) {
    host::ClassFactory* factory = Factory();
    factory->LockServer(0);
    EXPECT_EQ(0, state.lockCount.load()) << "never below zero";
    factory->LockServer(1);
    EXPECT_EQ(host::kSFalse, plugin::CanUnloadNow(state));
    factory->LockServer(0);
    EXPECT_EQ(host::kSOk, plugin::CanUnloadNow(state)) << "one unlock ends one lock";
    factory->Release();
}

TEST_F(PlugInTest, GetInfoAndQueryColorProfileWriteWithinTheBuffer) {
    host::IPrintOemUI* object = Create();
    unsigned char buffer[40];
    std::memset(buffer, 0xCC, sizeof buffer);
    host::DWORD needed = 0;
    fakes.lastError.Set(0xDEADBEEF);
    EXPECT_EQ(host::kEFail, object->GetInfo(3, nullptr, 4, &needed));
    EXPECT_EQ(122u, fakes.lastError.Get()) << "no buffer";
    EXPECT_EQ(host::kSOk, object->GetInfo(1, buffer, 8, &needed));
    EXPECT_EQ(0xCC, buffer[4]) << "only four bytes are written";
    buffer[0] = 0xCC;
    EXPECT_EQ(host::kEFail, object->GetInfo(1, buffer, 3, &needed));
    EXPECT_EQ(4u, needed);
    EXPECT_EQ(0xCC, buffer[0]) << "three bytes are too few";

    std::memset(buffer, 0xCC, sizeof buffer);
    host::ULONG size = 32;
    host::DWORD flags = 0;
    EXPECT_EQ(host::kSOk, object->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, buffer,
                                                    &size, &flags));
    EXPECT_EQ(0xCC, buffer[30]) << "30 bytes written although 32 are reported";
    size = 31;
    buffer[0] = 0xCC;
    EXPECT_EQ(host::kEFail, object->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, buffer,
                                                      &size, &flags));
    EXPECT_EQ(32u, size) << "a buffer one byte short is told the size";
    EXPECT_EQ(0xCC, buffer[0]) << "and left alone";
    object->Release();
}

TEST_F(PlugInTest, FirstPublishedDriverInterfaceStays) {
    host::IPrintOemUI* object = Create();
    auto* plugIn = static_cast<plugin::PlugInObject*>(object);
    HostDriver refusing;
    refusing.refuse = true;
    EXPECT_EQ(host::kEFail, object->PublishDriverInterface(&refusing));
    EXPECT_EQ(nullptr, plugIn->driverHelper());

    HostDriver first, second;
    EXPECT_EQ(host::kSOk, object->PublishDriverInterface(&first));
    EXPECT_EQ(2, first.refs);
    EXPECT_EQ(host::kSOk, object->PublishDriverInterface(&second));
    EXPECT_EQ(0, second.queries) << "a second interface is not even queried";
    EXPECT_EQ(&first, plugIn->driverHelper());
    object->Release();
    EXPECT_EQ(1, first.refs) << "the object releases the interface it held";
}

TEST(ResolutionListTest, AdjustsByProfileIndexes) {
    struct Case {
        std::int32_t resolution300, quality300;
        std::vector<std::int32_t> in, out;
    };
    const Case cases[] = {
        {0, 1, {150, 150, 300, 300, 600, 600}, {150, 150, 600, 600, 600, 600}},
        {1, 1, {150, 150, 300, 300, 600, 600}, {150, 150, 300, 300, 300, 300}},
        {0, 0, {150, 150, 300, 300}, {150, 150, 300, 300}},
    };
    for (Case c : cases) {
        plugin::AdjustResolutionList(c.resolution300, c.quality300, c.in.data(),
                                     static_cast<host::DWORD>(c.in.size() / 2));
        EXPECT_EQ(c.out, c.in);
    }
    plugin::AdjustResolutionList(1, 0, nullptr, 3);
}

struct Pair {
    std::int32_t x, y;
};

// The host's list between guard pairs, as a hostile host would pass it.
struct GuardedList {
    Pair pairs[5] = {{7, 7}, {150, 150}, {300, 300}, {600, 600}, {7, 7}};
    void* list() { return &pairs[1]; }
    bool unchanged() const {
        const GuardedList fresh;
        return std::memcmp(pairs, fresh.pairs, sizeof pairs) == 0;
    }
};

TEST_F(PlugInTest, DeviceCapabilitiesLeavesAFailedOrEmptyListAlone) {
    profiles.files.PutUtf8(u"C:\\Drivers\\3\\CVLu.INI", "[FUNCTION]\nResolution300Index=1\n");
    host::IPrintOemUI* object = Create();
    host::DWORD result = 0xdeadbeef;
    GuardedList list;
    // GDI_ERROR is the driver's own query failing: no list at all, not 4 billion pairs.
    for (host::DWORD count : {host::kGdiError, 0u}) {
        EXPECT_EQ(host::kSOk, object->DeviceCapabilities(nullptr, nullptr, nullptr, 13, list.list(),
                                                         nullptr, nullptr, count, &result));
        EXPECT_TRUE(list.unchanged()) << count;
    }
    EXPECT_EQ(host::kSOk, object->DeviceCapabilities(nullptr, nullptr, nullptr, 16, list.list(),
                                                     nullptr, nullptr, 3, &result));
    EXPECT_TRUE(list.unchanged()) << "other capabilities";
    EXPECT_EQ(host::kSOk, object->DeviceCapabilities(nullptr, nullptr, nullptr, 13, list.list(),
                                                     nullptr, nullptr, 3, &result));
    EXPECT_EQ(300, list.pairs[3].x) << "the last pair of a real list";
    EXPECT_EQ(7, list.pairs[4].x);
    EXPECT_EQ(0xdeadbeefu, result) << "the result count is never written";
    object->Release();
}

// Driver information as the host lays it out: level 1 names the driver first, levels 2 to 4
// after the 32-bit version.
struct Level1 {
    const char16_t* name;
};
struct Level3 {
    host::DWORD version;
    const char16_t* name;
    const char16_t* rest[8];
};

TEST_F(PlugInTest, DriverDeleteNeverRemovesAKeyItWasNotNamed) {
    host::IPrintOemUI* object = Create();
    fakes::FakeRegistry& reg = fakes.registry;
    // The named key goes, and its parent with it once empty.
    reg.Make(u"Software\\Corvel\\Corvel C5");
    Level3 named = {3, u"corvel c5", {}};
    EXPECT_EQ(host::kSOk, object->DriverEvent(2, 3, reinterpret_cast<host::BYTE*>(&named), 0));
    EXPECT_FALSE(reg.Exists(u"Software\\Corvel"));

    // A name so long that the key path would be cut must not delete the key the cut path
    // happens to name.
    const std::u16string longName(300, u'A');
    const std::u16string cut(260 - 17, u'A');
    reg.Make(u"Software\\Corvel\\" + cut);
    Level3 info = {3, longName.c_str(), {}};
    EXPECT_EQ(host::kSOk, object->DriverEvent(2, 3, reinterpret_cast<host::BYTE*>(&info), 0));
    EXPECT_TRUE(reg.Exists(u"Software\\Corvel\\" + cut));

    // Other levels and missing data carry no name: the parent with its values stays.
    reg.SetString(u"Software\\Corvel", u"Keep", u"1");
    EXPECT_EQ(host::kSOk, object->DriverEvent(2, 5, reinterpret_cast<host::BYTE*>(&info), 0));
    EXPECT_EQ(host::kSOk, object->DriverEvent(2, 3, nullptr, 0));
    EXPECT_TRUE(reg.Exists(u"Software\\Corvel"));

    // Level 1 names the driver in its first member.
    reg.Make(u"Software\\Corvel\\Mono 2");
    Level1 info1 = {u"mono 2"};
    EXPECT_EQ(host::kSOk, object->DriverEvent(2, 1, reinterpret_cast<host::BYTE*>(&info1), 0));
    EXPECT_FALSE(reg.Exists(u"Software\\Corvel\\Mono 2"));

    // A refused hive is silent.
    reg.refuseOpen = true;
    EXPECT_EQ(host::kSOk, object->DriverEvent(2, 3, reinterpret_cast<host::BYTE*>(&info), 0));
    object->Release();
}

}  // namespace
