#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "fakes/fake_platform.h"
#include "plugin/help_library.h"

namespace {

constexpr char16_t kClassKey[] = u"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr char16_t kSystemControl[] = u"C:\\windows\\system32\\hhctrl.ocx";

std::atomic<int> entryCalls{0};
void* Entry(void*, const char16_t*, std::uint32_t command, std::uintptr_t) {
    ++entryCalls;
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x100 + command));
}

class HelpLibraryTest : public ::testing::Test {
  protected:
    HelpLibraryTest() { entryCalls = 0; }
    void Library(const std::u16string& path, bool withEntry = true) {
        auto& library = fake.modules.libraries[path];
        if (withEntry) library.ordinals[15] = reinterpret_cast<void*>(&Entry);
    }
    void ClassValue(std::u16string_view value, std::uint32_t type) {
        fake.registry.SetString(kClassKey, u"", value, type, &fake.registry.classes);
    }
    void* Ask(plugin::HelpLibrary& help) { return help.HtmlHelp(nullptr, u"x.chm", 0, 0); }

    fakes::FakePlatform fake;
    platform::Platform ports = fake.ports();
};

TEST_F(HelpLibraryTest, TheClassKeysPathIsExpandedAndBareNamesComeFromTheSystemFolder) {
    fake.system.environment[u"HelpHome"] = u"D:\\Help";
    Library(u"D:\\Help\\hh.ocx");
    ClassValue(u"%HelpHome%\\hh.ocx", platform::kRegExpandSz);
    plugin::HelpLibrary expanded(ports);
    EXPECT_EQ(reinterpret_cast<void*>(0x100), Ask(expanded));
    EXPECT_EQ(std::vector<std::u16string>{u"D:\\Help\\hh.ocx"}, fake.modules.loads);

    // A bare name would be searched for in the host program's folder first.
    ClassValue(u"hhctrl.ocx", platform::kRegSz);
    Library(kSystemControl);
    plugin::HelpLibrary bare(ports);
    EXPECT_EQ(kSystemControl, bare.CandidatePath());

    // Without the class key: the control of the system folder, by its full path.
    fake.registry.classes.children.clear();
    plugin::HelpLibrary fallback(ports);
    EXPECT_EQ(kSystemControl, fallback.CandidatePath());
    EXPECT_NE(nullptr, Ask(fallback));
}

TEST_F(HelpLibraryTest, ALibraryWithoutTheEntryIsFreedAndNotTriedAgain) {
    Library(kSystemControl, false);
    plugin::HelpLibrary help(ports);
    EXPECT_EQ(nullptr, Ask(help));
    EXPECT_EQ(0, fake.modules.libraries[kSystemControl].loaded) << "freed again";
    EXPECT_EQ(nullptr, Ask(help));
    EXPECT_EQ(1u, fake.modules.loads.size()) << "unavailable for good";
    EXPECT_EQ(0, entryCalls.load());
}

TEST_F(HelpLibraryTest, TwoThreadsAskingFirstBothWaitForTheOneLoad) {
    Library(kSystemControl);
    // The load takes a while, as it does from a slow disk.
    fake.modules.onLoad = [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
    plugin::HelpLibrary help(ports);
    void* answers[2] = {};
    std::thread first([&] { answers[0] = Ask(help); });
    std::thread second([&] { answers[1] = Ask(help); });
    first.join();
    second.join();
    EXPECT_NE(nullptr, answers[0]);
    EXPECT_NE(nullptr, answers[1]) << "the second caller is not turned away during the load";
    EXPECT_EQ(1u, fake.modules.loads.size());
    EXPECT_EQ(1, fake.modules.libraries[kSystemControl].loaded);
}

TEST(HelpLibraryPaths, OnlyDriveAndServerPathsAreFull) {
    EXPECT_TRUE(plugin::IsFullPath(u"\\\\server\\share\\hh.ocx"));
    for (const char16_t* relative : {u"hhctrl.ocx", u"\\windows\\hh.ocx", u"C:hh.ocx"}) {
        EXPECT_FALSE(plugin::IsFullPath(relative)) << std::u16string_view(relative).size();
    }
}

}  // namespace
