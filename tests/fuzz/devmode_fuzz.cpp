// The DevMode operations on arbitrary records: any signature, size field and contents, either
// record as the input, output buffers of any size the host may claim, and the input and output
// as separate, identical or overlapping buffers, through the host's entry (HandleDevMode) or
// straight on the host's buffers (Convert, Validate). Each result is compared byte for byte
// with the record the operation must leave: the header, defaults from the model profile, the
// input's settings as they were before the call, and every other byte of the buffers as it was.
//
// Input: mode, layout, overlap shift, claimed buffer size, model, user language, then the
// bytes of the buffers. Missing bytes follow a pattern that differs from byte to byte, so a
// value copied from or to the wrong place shows even for short inputs; a layout bit gives the
// input record the output's signature, so records of the same layout are had just as easily.

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "devmode/devmode_handler.h"
#include "devmode/oem_devmode.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_profiles.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace devmode;

// The byte at position i of the buffers when the input has none.
unsigned char Fill(std::size_t i) {
    return static_cast<unsigned char>(((i + 1) * 0x9E3779B1u) >> 24);
}
constexpr std::size_t kHeaderBytes = 12;

// Values that do not fit their 16-bit fields, negative ones, and text after digits.
constexpr std::string_view kOddProfile =
    "[Common]\r\nPrinterInstalledHDD=70001\r\nGraphicsCopiesSetting=-1\r\nPrinterHDD=0x1FFFF\r\n"
    "PrinterJobAccounting=99999999999\r\nCriticalMemorySize=305432421\r\nPrinterMemory=512MB\r\n"
    "RAMCollate=yes\r\n[DEFAULTDEVMODE]\r\niResolution=-600\r\n[FUNCTION]\r\nDuplexOptions="
    "65539\r\n";

// A model's profile values that a record takes, read once.
struct Model {
    Model() = default;
    Model(std::u16string file, const profile::IniDocument& profile) : dataFile(std::move(file)) {
        auto read = [&](std::u16string_view section, std::u16string_view key) {
            return profile.GetInt(section, key, 0);
        };
        installedHdd = read(u"Common", u"PrinterInstalledHDD");
        resolution = read(u"DEFAULTDEVMODE", u"iResolution");
        copiesSetting = read(u"Common", u"GraphicsCopiesSetting");
        printerHdd = read(u"Common", u"PrinterHDD");
        jobAccounting = read(u"Common", u"PrinterJobAccounting");
        criticalMemory = read(u"Common", u"CriticalMemorySize");
        printerMemory = read(u"Common", u"PrinterMemory");
        ramCollate = read(u"Common", u"RAMCollate");
        duplexOptions = read(u"FUNCTION", u"DuplexOptions");
    }
    std::u16string dataFile;  // the driver's data file that names the profile
    std::int32_t installedHdd = 0, resolution = 0, copiesSetting = 0, printerHdd = 0,
                 jobAccounting = 0, criticalMemory = 0, printerMemory = 0, ramCollate = 0,
                 duplexOptions = 0;
};

struct World {
    World() {
        ports = fake.ports();
        ports.profiles = &profiles;
        const std::string c5 = fuzz::ModelFile("CVLC5u.INI");
        const std::string m2 = fuzz::ModelFile("CVLM2u.INI");
        files.PutBytes(u"C:\\Drivers\\3\\CVLC5u.INI", c5);
        files.PutBytes(u"C:\\Drivers\\3\\CVLM2u.INI", m2);
        files.PutBytes(u"C:\\Drivers\\3\\ODDu.INI", std::string(kOddProfile));
        models[0] = Model(u"C:\\Drivers\\3\\CVLC5.PPD", profile::IniDocument(fuzz::Text(c5)));
        models[1] = Model(u"C:\\Drivers\\3\\CVLM2.PPD", profile::IniDocument(fuzz::Text(m2)));
        models[2] =
            Model(u"C:\\Drivers\\3\\ODD.PPD", profile::IniDocument(fuzz::Text(kOddProfile)));
        // Without driver information every profile value reads as 0.
        models[3] = Model(u"", profile::IniDocument());
    }
    fakes::FakePlatform fake;
    fakes::FakeFiles files;
    profile::IniProfileFiles profiles{files, /*cacheDocuments=*/true};
    platform::Platform ports;
    std::array<Model, 4> models;
};

World& TheWorld() {
    static World* world = new World();
    return *world;
}

bool IsCopiedSetting(const LayoutEntry& e) {
    return e.kind == Kind::kField && e.offset >= kPrintModeCode.offset &&
           e.offset != kSessionLink.offset;
}

// The defaults of a new record (full CriticalMemory) or of a converted foreign one (its low
// 16 bits, sign-extended).
void WriteExpectedDefaults(unsigned char* r, const Model& m, std::uint16_t langId, bool convert) {
    Set(r, kHddInstalled, m.installedHdd);
    Set(r, kStapleOn, 0);
    Set(r, kPrintModeCode, 0);
    Clear(r, kHoldTexts);
    Set(r, kGrayscaleCopies, 0);
    Set(r, kBookletOn, 0);
    Set(r, kResolution, m.resolution);
    Set(r, kLockedItems, 0);
    Set(r, kCopiesSettingOn, m.copiesSetting);
    Set(r, kPrinterHdd, m.printerHdd);
    Set(r, kColorCopies, 0);
    Set(r, kEncryptionMode, 0);
    Clear(r, kLongPasscode);
    Clear(r, kEncryptionKey);
    const std::uint8_t region = RegionGroup(langId);
    FUZZ_CHECK(region >= 1 && region <= 4);
    Set(r, kRegionColor, region);
    Set(r, kJobAccounting, m.jobAccounting);
    Clear(r, kSmartCmsBits);
    Set(r, kCriticalMemory,
        convert ? static_cast<std::int16_t>(m.criticalMemory) : m.criticalMemory);
    Set(r, kPrinterMemory, m.printerMemory);
    Set(r, kRamCollate, m.ramCollate);
    Set(r, kDuplexOptions, m.duplexOptions);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& world = TheWorld();
    fuzz::Input input(data, size);
    const host::DWORD mode = 1 + input.Byte() % 4;
    const std::uint8_t layout = input.Byte();
    const std::size_t shift = 1 + input.U16() % (kSize - 1);
    const std::uint8_t claimKind = input.Byte();
    const std::uint8_t claimByte = input.Byte();
    const Model& model = world.models[input.Byte() % world.models.size()];
    const std::uint16_t langId = input.U16();
    const bool direct = (layout & 0x10) != 0;  // Convert and Validate on the host's buffers
    const bool nullInput = (layout & 0x20) != 0 && (layout & 0x40) != 0;
    const bool sameSignature = (layout & 0x08) != 0;  // the input takes the output's signature

    // The size the host claims for the output buffer, which is exactly that large.
    std::size_t claim = kSize;
    switch (claimKind % 4) {
        case 1:
            claim = kSize + claimByte;
            break;
        case 2:
            claim = kSize - 1 - claimByte % 64;
            break;
        case 3:
            claim = claimByte * 16u;
            break;
        default:
            break;
    }
    if (direct) claim = std::max(claim, kSize);  // Convert works on whole records only

    // Where the two records lie in one allocation: apart, the same buffer, or overlapping
    // with the input after or before the output.
    std::size_t outAt = 0;
    std::size_t inAt = 0;
    std::size_t inBytes = 0;
    std::size_t total = 0;
    const std::string_view bytes = input.Rest();
    auto byteAt = [&](std::size_t i) {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : Fill(i);
    };
    // The input record is as large as its own size field says (its header at least).
    auto sizeOfRecordAt = [&](std::size_t at) {
        const std::uint32_t field = byteAt(at) | byteAt(at + 1) << 8 | byteAt(at + 2) << 16 |
                                    std::uint32_t{byteAt(at + 3)} << 24;
        return std::clamp<std::size_t>(field, kHeaderBytes, kSize + 16);
    };
    switch (layout % 4) {
        case 0:  // apart: the output first, the input after it
            inAt = claim + 64;
            inBytes = sizeOfRecordAt(inAt);
            total = inAt + inBytes;
            break;
        case 1:  // the same buffer
            inBytes = claim;
            total = claim;
            break;
        case 2:  // the input starts inside the output
            inAt = std::min(shift, claim);
            inBytes = sizeOfRecordAt(inAt);
            total = std::max(claim, inAt + inBytes);
            break;
        default:  // the output starts inside the input
            outAt = shift;
            inBytes = std::max(sizeOfRecordAt(0), shift + 1);
            total = std::max(inBytes, outAt + claim);
            break;
    }
    std::vector<unsigned char> buffer(total);
    for (std::size_t i = 0; i < total; ++i) buffer[i] = byteAt(i);
    if (sameSignature && !nullInput && outAt + 8 <= total && inAt + 8 <= total) {
        std::memmove(buffer.data() + inAt + 4, buffer.data() + outAt + 4, 4);
    }
    const std::vector<unsigned char> before = buffer;
    unsigned char* out = buffer.data() + outAt;
    unsigned char* in = nullInput ? nullptr : buffer.data() + inAt;

    world.fake.system.userLangId = langId;
    world.fake.spooler.dataFile = model.dataFile;
    world.fake.spooler.driverMissing = model.dataFile.empty();

    host::OEMDMPARAM param{};
    param.cbSize = sizeof param;
    param.hPrinter = reinterpret_cast<host::HANDLE>(0x50);
    param.pOEMDMIn = in;
    param.pOEMDMOut = out;
    param.cbBufSize = static_cast<host::DWORD>(claim);
    if (direct) {
        profile::PrinterProfile printerProfile(world.ports, param.hPrinter);
        if (mode == 2) {
            WriteDefaults(out, printerProfile, langId);
        } else if (mode >= 3) {
            Convert(in, out, printerProfile, langId);
            if (mode == 4 && in != nullptr) Validate(out);
        }
    } else {
        devmode::HandleDevMode(world.ports, mode, param);
    }

    // The record the operation must leave, over the buffers as they were.
    std::vector<unsigned char> expected = before;
    unsigned char* e = expected.data() + outAt;
    const unsigned char* original = before.data() + inAt;
    if (mode == 1) {
        FUZZ_CHECK(direct || param.cbBufSize == kSize);
    } else if (claim >= kSize && (mode == 2 || !nullInput)) {
        Set(e, kDwSize, kSize);
        Set(e, kDwVersion, kVersion);
        Set(e, kHoldItemValue, 0);
        const bool copy = mode != 2 &&
                          Get(original, kDwSignature) == Get(before.data() + outAt, kDwSignature) &&
                          Get(original, kDwSize) >= kUsedBytes;
        if (copy) {
            for (const LayoutEntry& f : kLayout) {
                if (IsCopiedSetting(f)) std::memcpy(e + f.offset, original + f.offset, f.width);
            }
        } else {
            Set(e, kDwSignature, kSignature);
            WriteExpectedDefaults(e, model, langId, mode != 2);
        }
        if (mode == 4) Set(e, kDwSignature, kSignature);
    }
    if (buffer != expected) {
        for (std::size_t i = 0; i < total; ++i) {
            if (buffer[i] != expected[i]) {
                std::fprintf(stderr,
                             "mode %u layout %u: byte %zd of the output is %02X, not %02X\n",
                             static_cast<unsigned>(mode), layout % 4,
                             static_cast<std::ptrdiff_t>(i) - static_cast<std::ptrdiff_t>(outAt),
                             buffer[i], expected[i]);
                break;
            }
        }
        FUZZ_CHECK(buffer == expected);
    }
    return 0;
}
