#include "profile/ui_session.h"

#include <new>
#include <string>

#include "profile/bounded_text.h"
#include "profile/driver_info.h"
#include "profile/tray_table.h"

namespace profile {
namespace {

constexpr std::uint32_t kPrinterDataTextBytes = 66;
constexpr std::size_t kCodeBytes = 260;

}  // namespace

void ReadPrinterDataText(const platform::Platform& platform, host::HANDLE printer,
                         std::u16string_view name, char16_t (&field)[kJobAccountUnits]) {
    field[0] = u'\0';
    if (platform.spooler == nullptr) return;
    char16_t value[kPrinterDataTextBytes / 2] = {};
    std::uint32_t type = 0;
    std::uint32_t needed = 0;
    // A value of another type is no credential: read as text, a number or bytes would show
    // and be sent as control characters.
    if (platform.spooler->ReadPrinterData(printer, name, &type, value, sizeof value, &needed) !=
            0 ||
        type != platform::kRegSz) {
        return;
    }
    const std::size_t stored = needed < sizeof value ? needed / 2 : kJobAccountUnits;
    text::Copy(field, kJobAccountUnits,
               std::u16string_view(value, text::FieldLength(value, stored)));
}

bool CreateReaders(const platform::Platform& platform, UiSession& session) {
    std::unique_ptr<ProfileReader>* readers[] = {&session.textReader, &session.versionReader,
                                                 &session.profileReader, &session.troubleReader};
    bool all = true;
    for (std::unique_ptr<ProfileReader>* reader : readers) {
        reader->reset(new (std::nothrow) ProfileReader(platform.profiles));
        all = all && *reader != nullptr;
    }
    return all;
}

void EndSession(SessionBlock block) {
    if (block.session == nullptr) return;
    block.session->~UiSession();
    if (block.port != nullptr) block.port->Free(block.heap, block.session);
}

HostSession::HostSession(const platform::Platform& platform, void* heap) {
    if (platform.heap == nullptr) return;
    void* block = platform.heap->Alloc(heap, sizeof(UiSession));
    if (block == nullptr) return;
    owner_.reset({platform.heap, heap, new (block) UiSession{}});
    CreateReaders(platform, *get());
}

HostSession HostSession::Adopt(platform::Heap* heapPort, void* heap, UiSession* session) {
    HostSession owner;
    if (session != nullptr) owner.owner_.reset({heapPort, heap, session});
    return owner;
}

std::int16_t BrandFromCaption(std::u16string_view caption) {
    const std::u16string upper = text::UpperAscii(caption);
    if (upper.find(u"VANTORA") != std::u16string::npos) return kBrandVantora;
    if (upper.find(u"TALEN") != std::u16string::npos) return kBrandTalen;
    if (upper.find(u"ORIN") != std::u16string::npos) return kBrandOrin;
    return kBrandVantora;
}

const char16_t* LanguageCode(std::uint16_t langId) {
    const unsigned primary = langId & 0x3FF;
    const unsigned sub = langId >> 10;
    switch (primary) {
        case 0x04:
            return sub == 1 ? u"CT" : sub == 2 ? u"CP" : u"EN";
        case 0x06:
            return u"DN";
        case 0x07:
            return u"GR";
        case 0x0A:
            return u"SP";
        case 0x0B:
            return u"FI";
        case 0x0C:
            return u"FN";
        case 0x10:
            return u"IT";
        case 0x11:
            return u"JP";
        case 0x12:
            return u"KR";
        case 0x13:
            return u"DT";
        case 0x14:
            return u"NR";
        case 0x16:
            return u"PT";
        case 0x19:
            return u"RU";
        case 0x1D:
            return u"SW";
        default:
            return u"EN";
    }
}

void PrinterLanguageCode(const platform::Platform& platform, const char16_t* printerName,
                         char16_t (&code)[kNameUnits]) {
    const std::uint16_t langId =
        platform.system != nullptr ? platform.system->UserDefaultLangId() : 0;
    text::Copy(code, kNameUnits, LanguageCode(langId));
    char16_t keyPath[kNameUnits];
    if (platform.registry == nullptr || printerName == nullptr ||
        text::Format(keyPath, kNameUnits, u"Software\\Corvel\\%s", {printerName}) != text::kOk) {
        return;  // no per-user memory for a name that does not fit: the user's language
    }
    // Reading needs read access only: a restricted process may open the user's hive for
    // reading and still use the stored code.
    if (auto user = platform.registry->OpenHive(platform::Hive::kCurrentUser, platform::kKeyRead)) {
        if (auto key = user->Open(keyPath, platform::kKeyRead)) {
            char16_t stored[kCodeBytes / 2 + 1] = {};
            std::uint32_t type = 0;
            std::uint32_t size = kCodeBytes;
            // A stored code is used unchanged; one that is no string, empty or longer than the
            // buffer is replaced by the user's language below.
            if (key->QueryValue(u"DrvCntCode", &type, stored, &size) == platform::kRegSuccess &&
                type == platform::kRegSz && stored[0] != u'\0') {
                text::Copy(code, kNameUnits,
                           std::u16string_view(stored, text::FieldLength(stored, size / 2)));
                return;
            }
        }
    }
    // Write access is asked for only when the code must be created or replaced.
    auto user = platform.registry->OpenHive(platform::Hive::kCurrentUser, platform::kKeyWrite);
    if (!user) return;
    if (auto key = user->Create(keyPath, platform::kKeyWrite)) {
        const std::size_t units = text::FieldLength(code, kNameUnits);
        key->SetValue(u"DrvCntCode", platform::kRegSz, code,
                      static_cast<std::uint32_t>((units + 1) * sizeof(char16_t)));
    }
}

void InitializeSession(const platform::Platform& platform, UiSession& session) {
    const HostBlock& hostBlock = session.hostBlock;

    // 1. The driver directory of the running environment, with its "3" folder.
    session.driverDir[0] = u'\0';
    if (platform.spooler != nullptr &&
        platform.spooler->DriverDirectory(session.driverDir, kNameUnits) != 0) {
        session.driverDir[0] = u'\0';
    }
    session.driverDir[kNameUnits - 1] = u'\0';
    text::Concat(session.driverDir, kNameUnits, u"\\3\\");

    // 2. The driver's data file: PPD or not, and the base of every model file name.
    std::u16string base;
    if (platform.spooler != nullptr) {
        DriverInfo info(platform.heap, hostBlock.heap);
        if (info.Read(*platform.spooler, hostBlock.printer, 2)) {
            const std::u16string_view dataFile = info.DataFile();
            session.isPpdDriver = dataFile.find(u".PPD") != std::u16string_view::npos ? 1 : 0;
            base = DataFileBase(dataFile);
        }
    }

    // 3. Version file and model profile; with no data file nothing is bound.
    ProfileReader* profile = session.profileReader.get();
    ProfileReader* version = session.versionReader.get();
    char16_t path[kNameUnits];
    if (!base.empty()) {
        if (version && text::Format(path, kNameUnits, u"%s.VER", {base}) == text::kOk) {
            version->SetPath(path);
        }
        if (profile && text::Format(path, kNameUnits, u"%su.INI", {base}) == text::kOk) {
            profile->SetPath(path);
        }
    }
    // Reads through a missing reader give their defaults.
    ProfileReader none(nullptr);
    ProfileReader& prof = profile != nullptr ? *profile : none;

    // 4. The prefix of the language text files.
    prof.SetSection(u"OEMFiles");
    char16_t prefix[256];
    prof.ReadString256(u"OEMPrefix", prefix);
    text::Copy(session.filePrefix, kNameUnits, prefix);

    // 5. Model values of the Common section.
    prof.SetSection(u"Common");
    session.copiesSetting = prof.ReadInt(u"GraphicsCopiesSetting", 0);
    session.printerHdd = prof.ReadInt(u"PrinterHDD", 0);
    session.installedHdd = prof.ReadInt(u"PrinterInstalledHDD", 0);
    session.grayscaleEnh = prof.ReadInt(u"GraphicsGrayscaleEnh", 0);
    session.encryptionMode = static_cast<std::int16_t>(prof.ReadInt(u"EncryptionMode", 0));
    session.koreanSupport = static_cast<std::int16_t>(prof.ReadInt(u"KoreanSupport", 0));
    prof.SetSection(u"Common");
    session.jobAccounting = prof.ReadInt(u"PrinterJobAccounting", 0);

    // 6. The job-accounting credentials kept in the printer data.
    ReadPrinterDataText(platform, session.printerHandle, u"JOBACCOUNT_ID", session.jobAccountId);
    ReadPrinterDataText(platform, session.printerHandle, u"JOBACCOUNT_PW",
                        session.jobAccountPassword);

    // 7.
    prof.SetSection(u"FUNCTION");
    session.useSmartCms = prof.ReadInt(u"UseSmartCMS", 0);

    // 8. The brand, from the model's caption.
    prof.SetSection(u"Common");
    char16_t caption[256];
    prof.ReadString256(u"Caption", caption);
    session.brand = BrandFromCaption(caption);

    // 9. The language text file, chosen per user language when the model says so. Every
    // brand uses the same name form "<dir><prefix><code>.DAT".
    char16_t textFile[kNameUnits] = {};
    ProfileReader noVersion(nullptr);
    ProfileReader& ver = version != nullptr ? *version : noVersion;
    ver.SetSection(u"Version");
    if (ver.ReadInt(u"LanguageDependent", 0) == 1) {
        char16_t code[kNameUnits];
        PrinterLanguageCode(platform, hostBlock.printerName, code);
        text::Format(textFile, kNameUnits, u"%s%s%s.DAT",
                     {session.driverDir, session.filePrefix, code});
    } else {
        text::Format(textFile, kNameUnits, u"%s%s.DAT", {session.driverDir, session.filePrefix});
    }
    if (session.textReader != nullptr) session.textReader->SetPath(textFile);

    // 10. Custom paper ranges of the trays are checked when the model asks for it.
    session.checkTraysForCustoms =
        static_cast<std::int16_t>(prof.ReadInt(u"CheckTraysForCustoms", 0));

    // 11. The help file: the text file with the extension "CHM".
    const std::u16string_view textPath(textFile);
    const std::size_t dot = textPath.find(u'.', FileNameStart(textPath));
    text::Copy(session.helpFile, kHelpFileUnits, textPath.substr(0, dot));
    if (dot != std::u16string_view::npos) text::Concat(session.helpFile, kHelpFileUnits, u".CHM");

    // 12. The troubleshooting file of the TALEN brand.
    if (session.brand == kBrandTalen && session.troubleReader != nullptr && !base.empty() &&
        text::Format(path, kNameUnits, u"%s.hin", {base}) == text::kOk) {
        session.troubleReader->SetPath(path);
        session.troubleReader->SetSection(u"TROUBLE_PAGE");
    }

    // 13. Colour device and resolution adjustments; the profile stays in FUNCTION.
    prof.SetSection(u"FUNCTION");
    session.colorDevice = prof.ReadInt(u"ColorDevice", 0);
    session.resolution300Index = prof.ReadInt(u"Resolution300Index", 0);
    session.quality300Index = prof.ReadInt(u"Quality300Index", 0);

    // 14. The trays' custom paper ranges, when the model asks for the check (step 10).
    if (session.checkTraysForCustoms != 0) BuildTrayTable(session);
}

std::int32_t CreateTreeSession(const platform::Platform& platform, const host::OEMCUIPPARAM& param,
                               UiSession& session) {
    session.hostParams = nullptr;
    session.hostBlock = {param.hPrinter, param.pPrinterName, param.hOEMHeap};
    session.printerHandle = param.hPrinter;
    session.settingsChanged = 0;
    InitializeSession(platform, session);
    std::int32_t autoConfiguration = 0;
    if (session.profileReader != nullptr) {
        session.profileReader->SetSection(u"FUNCTION");
        autoConfiguration = session.profileReader->ReadInt(u"AutoConfiguration", 0);
    }
    // The tree's parameter block is only valid during the call.
    session.hostBlock = {};
    return autoConfiguration;
}

}  // namespace profile
