#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "devmode/devmode_handler.h"
#include "devmode/oem_devmode.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"

namespace {

using namespace devmode;

constexpr unsigned char kSentinel = 0xCC;

// A record buffer one byte off alignment, filled with a sentinel, with guard bytes after it.
struct Record {
    Record() : storage(1 + kSize + 16, kSentinel) {}
    unsigned char* data() { return storage.data() + 1; }
    unsigned char at(std::size_t offset) { return data()[offset]; }
    bool untouched(std::size_t offset, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) {
            if (data()[offset + i] != kSentinel) return false;
        }
        return true;
    }
    std::vector<unsigned char> storage;
};

// The model profile the fake spooler's driver names.
constexpr std::u16string_view kProfilePath = u"C:\\Drivers\\3\\CVLu.INI";

class DevModeTest : public ::testing::Test {
  protected:
    DevModeTest() { ports = fakes.ports(&profiles); }

    void Run(host::DWORD mode, void* in, void* out, host::DWORD bufSize = kSize) {
        host::OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.hPrinter = printer;
        param.pOEMDMIn = in;
        param.pOEMDMOut = out;
        param.cbBufSize = bufSize;
        HandleDevMode(ports, mode, param);
    }

    // Every key the record takes from the profile, with a distinct value.
    void FillProfile() {
        profiles.files.PutUtf8(kProfilePath,
                               "[Common]\n"
                               "PrinterInstalledHDD=1\n"
                               "GraphicsCopiesSetting=1\n"
                               "PrinterHDD=70001\n"  // 0x11171
                               "PrinterJobAccounting=-1\n"
                               "CriticalMemorySize=305432421\n"  // 0x12348765
                               "PrinterMemory=512MB\n"
                               "RAMCollate=yes\n"
                               "[DEFAULTDEVMODE]\n"
                               "iResolution=600\n"
                               "[FUNCTION]\n"
                               "DuplexOptions=3\n");
    }

    // Bytes no DevMode operation may write.
    static void ExpectUnwrittenBytesKept(Record& r) {
        for (const LayoutEntry& e : kLayout) {
            if (e.kind != Kind::kField) {
                EXPECT_TRUE(r.untouched(e.offset, e.width)) << e.offset;
            }
        }
        EXPECT_TRUE(r.untouched(kSessionLink.offset, kSessionLink.width));
        EXPECT_TRUE(r.untouched(kSize, 16)) << "guard after the record";
        EXPECT_EQ(kSentinel, r.storage[0]) << "guard before the record";
    }

    // A record of this plug-in with a non-default value in every copied field.
    static void FillSettings(void* r) {
        Set(r, kDwSize, kSize);
        Set(r, kDwSignature, kSignature);
        Set(r, kDwVersion, kVersion);
        Set(r, kHoldItemValue, 42);
        Set(r, kPrintModeCode, 7);
        SetText(r, kUserId, std::u16string(20, u'U'));  // full: no terminator
        SetText(r, kJobName, u"Quarterly report");
        SetText(r, kPasscode, u"12345678");
        SetText(r, kPrintAtTime, u"23:59");
        Set(r, kGrayscaleCopies, 3);
        Set(r, kHddInstalled, 1);
        Set(r, kStapleOn, 1);
        Set(r, kBookletOn, 1);
        Set(r, kResolution, 1200);
        Set(r, kLockedItems, kLockColor | kLockMediaType);
        Set(r, kCopiesSettingOn, 1);
        Set(r, kPrinterHdd, 2);
        Set(r, kColorCopies, 4);
        Set(r, kEncryptionMode, 1);
        SetText(r, kLongPasscode, u"long-passcode-20-uni");
        SetText(r, kEncryptionKey, u"key");
        Set(r, kRegionColor, 4);
        Set(r, kJobAccounting, 1);
        for (std::size_t i = 0; i < kSmartCmsBits.width; ++i) {
            static_cast<unsigned char*>(r)[kSmartCmsBits.offset + i] =
                static_cast<unsigned char>(0x11 * (i + 1));
        }
        Set(r, kCriticalMemory, -70000);
        Set(r, kPrinterMemory, 256);
        Set(r, kRamCollate, 1);
        Set(r, kDuplexOptions, 5);
    }

    // The settings part of two records (everything but header, HoldItemValue, SessionLink
    // and padding) is equal.
    static void ExpectSameSettings(const void* a, const void* b) {
        for (const LayoutEntry& e : kLayout) {
            if (e.kind != Kind::kField || e.offset < kPrintModeCode.offset ||
                e.offset == kSessionLink.offset) {
                continue;
            }
            EXPECT_EQ(0, std::memcmp(static_cast<const unsigned char*>(a) + e.offset,
                                     static_cast<const unsigned char*>(b) + e.offset, e.width))
                << e.name;
        }
    }

    fakes::FakePlatform fakes;
    fakes::FakeProfiles profiles;
    platform::Platform ports;
    void* printer = reinterpret_cast<void*>(0x4711);
};

TEST(OemDevmodeLayout, FieldsAreLittleEndianAndStayInsideThemselves) {
    for (const LayoutEntry& e : kLayout) {
        if (e.kind != Kind::kField || e.width > 4) continue;
        Record r;
        detail::StoreLe(r.data(), e.offset, e.width, 0x04030201);
        for (std::size_t i = 0; i < e.width; ++i) EXPECT_EQ(i + 1, r.at(e.offset + i)) << e.name;
        EXPECT_TRUE(r.untouched(0, e.offset)) << e.name;
        EXPECT_TRUE(r.untouched(e.offset + e.width, kSize + 16 - e.offset - e.width)) << e.name;
    }
    Record r;
    Set(r.data(), kCriticalMemory, -2);
    EXPECT_EQ(-2, Get(r.data(), kCriticalMemory));
    Set(r.data(), kResolution, 0x12345);  // 16-bit fields keep the low bits
    EXPECT_EQ(0x2345, Get(r.data(), kResolution));
}

TEST(OemDevmodeText, BoundedByTheFieldOnReadAndWrite) {
    Record r;
    // A field full of text has no terminator; the next field's bytes must not be read.
    SetText(r.data(), kPasscode, u"12345678");
    EXPECT_EQ(u"12345678", GetText(r.data(), kPasscode));
    EXPECT_TRUE(r.untouched(kPasscode.offset + kPasscode.width(), 2));

    SetText(r.data(), kPasscode, u"1234567890");  // cut to the width
    EXPECT_EQ(u"12345678", GetText(r.data(), kPasscode));
    SetText(r.data(), kPasscode, u"12");  // rest zero-filled
    EXPECT_EQ(u"12", GetText(r.data(), kPasscode));
    for (std::size_t i = 4; i < kPasscode.width(); ++i) EXPECT_EQ(0, r.at(kPasscode.offset + i));
    EXPECT_TRUE(r.untouched(0, kPasscode.offset));
    EXPECT_TRUE(r.untouched(kPasscode.offset + kPasscode.width(), 8));

    // A cut never leaves half of a surrogate pair behind.
    SetText(r.data(), kPasscode, u"1234567\U0001F600");
    EXPECT_EQ(u"1234567", GetText(r.data(), kPasscode));

    // Untouched sentinel bytes read as text up to the width, never beyond.
    EXPECT_EQ(kPrintAtTime.units, GetText(r.data(), kPrintAtTime).size());
}

TEST_F(DevModeTest, AnOperationThatFailsHalfWayLeavesTheOutputAsItWas) {
    FillProfile();
    Record own;
    FillSettings(own.data());
    for (host::DWORD mode : {host::kOemDmDefault, host::kOemDmConvert, host::kOemDmMerge}) {
        for (int failAt = 1; failAt <= 6; ++failAt) {
            fakes::FailingProfiles failing(profiles);
            failing.failAt = failAt;
            ports.profiles = &failing;
            Record in, out;
            in.storage = own.storage;
            Set(in.data(), kDwSignature, 0x12345678u);  // foreign: defaults are read
            EXPECT_THROW(Run(mode, in.data(), out.data()), std::bad_alloc) << mode;
            EXPECT_TRUE(out.untouched(0, kSize + 16))
                << "mode " << mode << ", read " << failAt << " failed";
        }
    }
    ports.profiles = &profiles;
}

TEST_F(DevModeTest, DefaultsFromAnEmptyProfile) {
    fakes.system.userLangId = 0x0809;
    Record out;
    Run(host::kOemDmDefault, nullptr, out.data());
    EXPECT_EQ(2404u, Get(out.data(), kDwSize));
    EXPECT_EQ(kSignature, Get(out.data(), kDwSignature));
    EXPECT_EQ(1u, Get(out.data(), kDwVersion));
    EXPECT_EQ(3, out.at(kRegionColor.offset));
    for (const LayoutEntry& e : kLayout) {
        if (e.kind != Kind::kField || e.offset < kHoldItemValue.offset ||
            e.offset == kSessionLink.offset || e.offset == kRegionColor.offset) {
            continue;
        }
        for (std::size_t i = 0; i < e.width; ++i) EXPECT_EQ(0, out.at(e.offset + i)) << e.name;
    }
    ExpectUnwrittenBytesKept(out);
    EXPECT_EQ(1, fakes.spooler.driverAnswers) << "one driver query for nine profile keys";
    EXPECT_EQ(kProfilePath, profiles.lastPath);
    EXPECT_EQ(0u, fakes.heap.live());
}

TEST_F(DevModeTest, DefaultsTakeProfileValues) {
    FillProfile();
    Record out;
    Run(host::kOemDmDefault, nullptr, out.data());
    EXPECT_EQ(1, Get(out.data(), kHddInstalled));
    EXPECT_EQ(600, Get(out.data(), kResolution));
    EXPECT_EQ(1, Get(out.data(), kCopiesSettingOn));
    EXPECT_EQ(0x1171, Get(out.data(), kPrinterHdd)) << "low 16 bits";
    EXPECT_EQ(0xFFFF, Get(out.data(), kJobAccounting));
    EXPECT_EQ(0x12348765, Get(out.data(), kCriticalMemory)) << "full 32 bits";
    EXPECT_EQ(512, Get(out.data(), kPrinterMemory)) << "leading number of the text";
    EXPECT_EQ(0, Get(out.data(), kRamCollate)) << "text that is no number";
    EXPECT_EQ(3, Get(out.data(), kDuplexOptions));
    EXPECT_EQ(2, Get(out.data(), kRegionColor));
    ExpectUnwrittenBytesKept(out);
}

TEST_F(DevModeTest, DefaultsWithoutDriverSystemOrProfilePorts) {
    FillProfile();
    fakes.spooler.driverMissing = true;
    Record a;
    Run(host::kOemDmDefault, nullptr, a.data());
    EXPECT_EQ(0, Get(a.data(), kResolution));
    EXPECT_EQ(0, profiles.intQueries) << "no driver, no profile path";

    fakes.spooler.driverMissing = false;
    fakes.spooler.dataFile.clear();
    ports.system = nullptr;
    Record b;
    Run(host::kOemDmDefault, nullptr, b.data());
    EXPECT_EQ(0, Get(b.data(), kResolution));
    EXPECT_EQ(1, Get(b.data(), kRegionColor)) << "language 0";

    ports.spooler = nullptr;
    ports.profiles = nullptr;
    ports.heap = nullptr;
    Record c;
    Run(host::kOemDmDefault, nullptr, c.data());
    EXPECT_EQ(kSignature, Get(c.data(), kDwSignature));
    ExpectUnwrittenBytesKept(c);
}

TEST_F(DevModeTest, ConvertForeignRecordGivesDefaults) {
    FillProfile();
    Record in, out;
    FillSettings(in.data());
    Set(in.data(), kDwSignature, 0x12345678u);
    Set(out.data(), kHoldItemValue, 77);
    const std::vector<unsigned char> before = in.storage;
    Run(host::kOemDmConvert, in.data(), out.data());

    EXPECT_EQ(kSignature, Get(out.data(), kDwSignature));
    EXPECT_EQ(2404u, Get(out.data(), kDwSize));
    EXPECT_EQ(1u, Get(out.data(), kDwVersion));
    EXPECT_EQ(0, Get(out.data(), kHoldItemValue));
    EXPECT_EQ(u"", GetText(out.data(), kUserId));
    EXPECT_EQ(0, Get(out.data(), kColorCopies));
    EXPECT_EQ(600, Get(out.data(), kResolution));
    // Converted records carry the low 16 bits of the memory size, sign-extended.
    EXPECT_EQ(static_cast<std::int16_t>(0x8765), Get(out.data(), kCriticalMemory));
    EXPECT_EQ(2, Get(out.data(), kRegionColor));
    ExpectUnwrittenBytesKept(out);
    EXPECT_EQ(before, in.storage) << "the input is only read";
    EXPECT_EQ(1, fakes.spooler.driverAnswers);
}

TEST_F(DevModeTest, ConvertOwnRecordCopiesSettings) {
    Record in, out;
    FillSettings(in.data());
    Set(out.data(), kDwSignature, kSignature);
    Run(host::kOemDmConvert, in.data(), out.data());

    ExpectSameSettings(in.data(), out.data());
    EXPECT_EQ(std::u16string(20, u'U'), GetText(out.data(), kUserId));
    EXPECT_EQ(0, Get(out.data(), kHoldItemValue));
    EXPECT_EQ(2404u, Get(out.data(), kDwSize));
    EXPECT_EQ(1u, Get(out.data(), kDwVersion));
    ExpectUnwrittenBytesKept(out);  // SessionLink and padding included
    EXPECT_EQ(0, fakes.spooler.driverQueries) << "a copy needs no profile";

    // Both records foreign but alike: the settings are copied and the signature is kept
    // as it was; merging then repairs the header.
    Record other;
    FillSettings(in.data());
    Set(in.data(), kDwSignature, 0u);
    Set(other.data(), kDwSignature, 0u);
    Run(host::kOemDmConvert, in.data(), other.data());
    EXPECT_EQ(0u, Get(other.data(), kDwSignature));
    ExpectSameSettings(in.data(), other.data());
    Run(host::kOemDmMerge, in.data(), other.data());
    EXPECT_EQ(kSignature, Get(other.data(), kDwSignature));

    // In place: input and output are one record.
    Set(in.data(), kDwSignature, kSignature);
    Set(in.data(), kDwVersion, 9u);
    Record expected = in;
    Run(host::kOemDmConvert, in.data(), in.data());
    ExpectSameSettings(expected.data(), in.data());
    EXPECT_EQ(1u, Get(in.data(), kDwVersion));
}

TEST_F(DevModeTest, ConvertRecordTooShortForItsSettings) {
    Record in, out;
    FillSettings(in.data());
    Set(in.data(), kDwSize, 12u);  // a header and nothing behind it
    Set(out.data(), kDwSignature, kSignature);
    Run(host::kOemDmConvert, in.data(), out.data());
    EXPECT_EQ(u"", GetText(out.data(), kUserId));
    EXPECT_EQ(0, Get(out.data(), kResolution));
    EXPECT_EQ(kSignature, Get(out.data(), kDwSignature));
    ExpectUnwrittenBytesKept(out);

    // One that ends right after its last setting is whole.
    Set(in.data(), kDwSize, static_cast<std::uint32_t>(kUsedBytes));
    Run(host::kOemDmConvert, in.data(), out.data());
    ExpectSameSettings(in.data(), out.data());
}

TEST_F(DevModeTest, MergeResetsHoldItemValueAndHeader) {
    Record in, out;
    FillSettings(in.data());
    Set(in.data(), kHoldItemValue, 150);
    Set(out.data(), kDwSignature, kSignature);
    Run(host::kOemDmMerge, in.data(), out.data());
    EXPECT_EQ(0, Get(out.data(), kHoldItemValue));
    ExpectSameSettings(in.data(), out.data());
    ExpectUnwrittenBytesKept(out);

    // Validation alone: only values above 100 are out of range.
    Record r;
    for (const std::int32_t value : {150, 101, 100, 0, -5}) {
        Set(r.data(), kHoldItemValue, value);
        Validate(r.data());
        EXPECT_EQ(value > 100 ? 0 : value, Get(r.data(), kHoldItemValue));
    }
    EXPECT_EQ(2404u, Get(r.data(), kDwSize));
    EXPECT_EQ(kSignature, Get(r.data(), kDwSignature));
    EXPECT_EQ(1u, Get(r.data(), kDwVersion));
}

TEST_F(DevModeTest, MissingOrShortBuffersAreLeftAlone) {
    Record in, out;
    FillSettings(in.data());
    for (const host::DWORD mode : {host::kOemDmDefault, host::kOemDmConvert, host::kOemDmMerge}) {
        Run(mode, in.data(), nullptr);
        Run(mode, in.data(), out.data(), kSize - 1);  // host buffer too small for a record
        Run(mode, in.data(), out.data(), 0);
        if (mode != host::kOemDmDefault) Run(mode, nullptr, out.data());
        EXPECT_TRUE(out.untouched(0, kSize + 16)) << mode;
    }
    host::OEMDMPARAM param{};
    param.pOEMDMIn = in.data();
    param.pOEMDMOut = out.data();
    HandleDevMode(ports, host::kOemDmSize, param);
    EXPECT_EQ(2404u, param.cbBufSize);
    EXPECT_TRUE(out.untouched(0, kSize + 16)) << "the size query touches no record";
    EXPECT_EQ(0, fakes.spooler.driverQueries);
}

}  // namespace
