// Model files as they should never be, installed as a model of their own and used through
// the real DLL: 10 MB files, NUL bytes, UTF-8 and UTF-16 byte-order marks, no section
// headers, every key absent, no files at all. Each model gives the sample's answers when its
// content is the sample's, the answers of a model without keys when it has none, and never
// takes the host down or leaves a GDI object or handle behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <functional>
#include <string>
#include <vector>

#include "devmode_calls.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "tree_host.h"
#include "wine_test_support.h"

namespace {

// The TALEN sample's files: profile, version file, troubleshooting file, language texts and
// pictures. Each installation gets names of its own ("CVH" and a number for the files, and
// the printer and driver named after it): the plug-in remembers a file's content and the
// spooler's answers about a printer for half a second.
const wchar_t* const kSampleFiles[] = {L"CVLC5.PPD",   L"CVLC5u.INI",  L"CVLC5.VER",
                                       L"CVLC5.hin",   L"CVLC5EN.DAT", L"CVLC5GR.DAT",
                                       L"CVLC5JP.DAT", L"CVLC5l.bmp",  L"CVLC5Y.bmp"};

using winetest::Narrow;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

bool IsUtf16(const std::string& bytes) {
    return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

bool IsText(const std::wstring& name) {
    return name.find(L".bmp") == std::wstring::npos && name.find(L".PPD") == std::wstring::npos;
}

// A model file: its name, and its bytes before and after the test's change.
using Change = std::function<std::string(const std::wstring& name, const std::string& bytes)>;

std::string Unchanged(const std::wstring&, const std::string& bytes) { return bytes; }

// Each 8-bit text file as UTF-16LE with its byte-order mark (the sample's texts are ASCII and
// Windows-1252 Latin letters, which keep their values).
std::string Utf16(const std::wstring& name, const std::string& bytes) {
    if (!IsText(name) || IsUtf16(bytes)) return bytes;
    std::string wide = "\xFF\xFE";
    for (char c : bytes) {
        wide.push_back(c);
        wide.push_back('\0');
    }
    return wide;
}

std::string Utf8Mark(const std::wstring& name, const std::string& bytes) {
    if (!IsText(name) || IsUtf16(bytes)) return bytes;
    std::string marked = "\xEF\xBB\xBF";
    marked.append(bytes);
    return marked;
}

// NUL bytes in a comment line before the first section, in a line of a section of their
// own, and 4 KB of them at the end.
std::string NulBytes(const std::wstring& name, const std::string& bytes) {
    if (!IsText(name) || IsUtf16(bytes)) return bytes;
    return std::string("; a comment\0with NUL bytes\r\n", 28) + bytes +
           std::string("\r\n[Nul\0Section]\r\nkey=va\0lue\r\n", 29) + std::string(4096, '\0');
}

// The profile and the English texts grown past 10 MB by a section read by nobody, placed
// before every section that is read.
std::string TenMegabytes(const std::wstring& name, const std::string& bytes) {
    const auto endsWith = [&](const std::wstring& end) {
        return name.size() >= end.size() &&
               name.compare(name.size() - end.size(), end.size(), end) == 0;
    };
    if (!endsWith(L"u.INI") && !endsWith(L"EN.DAT")) return bytes;
    std::string padding = "[Padding]\r\n";
    const std::string line = "=" + std::string(100, 'p') + "\r\n";
    for (int i = 0; padding.size() < (10u << 20); ++i) {
        padding.push_back('k');
        padding.append(std::to_string(i));
        padding.append(line);
    }
    padding.append(bytes);
    return padding;
}

// Every section header gone: each key stands before any section.
std::string NoSections(const std::wstring& name, const std::string& bytes) {
    if (!IsText(name) || IsUtf16(bytes)) return bytes;
    std::string out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        end = end == std::string::npos ? bytes.size() : end + 1;
        const std::string line = bytes.substr(at, end - at);
        if (line.empty() || line[0] != '[') out += line;
        at = end;
    }
    return out;
}

std::string Empty(const std::wstring& name, const std::string& bytes) {
    return IsText(name) ? std::string() : bytes;
}

// What the plug-in answers for a model: its default private record, its resolution list,
// the titles of the pages it adds to the document settings.
struct Answers {
    std::vector<unsigned char> record;
    std::vector<LONG> resolutions;
    std::vector<std::wstring> pageTitles;
};

class HostileModelFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load());
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
        ASSERT_EQ(host::kSOk, plugIn->PublishDriverInterface(&driver));
    }
    void TearDown() override {
        if (plugIn != nullptr) plugIn->Release();
        Uninstall();
    }

    // Removes the last installation: printer, driver and files.
    void Uninstall() {
        if (base.empty()) return;
        hostsim::RemovePrinter(printerName.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\Corvel\\" + printerName).c_str());
        DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(driverName.c_str()));
        for (const wchar_t* sample : kSampleFiles) {
            std::wstring name = sample;
            DeleteFileW((hostsim::DriverFolder3() + name.replace(0, 5, base)).c_str());
        }
    }

    // Installs the sample's files, each after `change`, under names of their own; with
    // `drop` the text files are left out altogether.
    void Install(const Change& change, bool drop = false) {
        Uninstall();
        const int number = installs++ % 100;
        base = std::wstring(L"CVH") + static_cast<wchar_t>(L'0' + number / 10) +
               static_cast<wchar_t>(L'0' + number % 10);
        printerName = L"Cvl Hostile Model " + base;
        driverName = printerName + L" PS";
        dataFile = base + L".PPD";
        std::vector<hostsim::ModelFile> files;
        for (const wchar_t* sample : kSampleFiles) {
            std::wstring name = sample;
            name.replace(0, 5, base);
            if (drop && IsText(name)) continue;
            std::string bytes = hostsim::FileBytes(hostsim::ModelsFolder() + L"\\" + sample);
            ASSERT_FALSE(bytes.empty()) << Narrow(sample);
            if (name == base + L"u.INI") {
                ReplaceAll(bytes, "OEMPrefix=CVLC5", "OEMPrefix=" + Narrow(base));
            }
            files.push_back({name, change(name, bytes)});
        }
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallMadeUpModel(Model(), files, &error)) << Narrow(error);
        ASSERT_TRUE(hostsim::StoreLanguageCode(printerName.c_str(), L"EN"));
    }
    hostsim::ModelSpec Model() const {
        return {printerName.c_str(), driverName.c_str(), dataFile.c_str()};
    }

    // The answers, on the way through the document settings (sheet, page, tree) and the
    // printer settings (sheet, tree).
    Answers Use() {
        Answers answers;
        hostsim::OpenedPrinter printer(printerName.c_str());
        EXPECT_TRUE(printer);
        answers.record = hostsim::NewRecord();
        EXPECT_EQ(host::kSOk, hostsim::CallDevMode(plugIn, host::kOemDmDefault, printer.get(),
                                                   nullptr, answers.record.data())
                                  .result);
        LONG pairs[3][2] = {{150, 150}, {300, 300}, {600, 600}};
        host::DWORD result = 0;
        plugIn->DeviceCapabilities(nullptr, printer.get(), nullptr, host::kDcEnumResolutions, pairs,
                                   nullptr, nullptr, 3, &result);
        answers.resolutions.assign(&pairs[0][0], &pairs[0][0] + 6);
        for (bool document : {true, false}) {
            hostsim::SheetHost sheet(plugIn, printer.get(), printerName.c_str(), document);
            EXPECT_EQ(host::kSOk, sheet.Initialise());
            if (document) {
                answers.pageTitles = sheet.pageTitles();
                for (std::size_t i = 0; i < sheet.pages().size(); ++i) {
                    EXPECT_TRUE(sheet.ShowPage(i, [](HWND window, HWND) {
                        RedrawWindow(window, nullptr, nullptr,
                                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                    }));
                }
            }
            host::OEMUIOBJ uiObject = {};
            hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject,
                                           document ? hostsim::DocumentTreeHost::Kind::kDocument
                                                    : hostsim::DocumentTreeHost::Kind::kPrinter);
            EXPECT_EQ(host::kSOk, tree.Build());
            tree.Callback(host::kCpsuicbReasonSetActive);
            sheet.Destroy();
        }
        return answers;
    }

    hostsim::PluginLibrary library;
    hostsim::HostDriverUI driver;
    host::IPrintOemUI* plugIn = nullptr;
    int installs = 0;
    std::wstring base;
    std::wstring printerName;
    std::wstring driverName;
    std::wstring dataFile;
};

TEST_F(HostileModelFiles, TheContentCountsNotTheEncodingSizeOrJunk) {
    Install(Unchanged);
    const Answers sample = Use();
    ASSERT_EQ(1u, sample.pageTitles.size());
    EXPECT_EQ(L"Troubleshooting", sample.pageTitles[0]);
    Install(Empty);
    const Answers none = Use();
    EXPECT_NE(sample.record, none.record);
    EXPECT_TRUE(none.pageTitles.empty()) << "brand 0: no Troubleshooting page";

    struct Case {
        const char* name;
        Change change;
        bool drop;
        const Answers& expected;
    };
    const Case cases[] = {
        {"UTF-16LE with a byte-order mark", Utf16, false, sample},
        {"UTF-8 with a byte-order mark", Utf8Mark, false, sample},
        {"NUL bytes", NulBytes, false, sample},
        // Parsed, more than the plug-in keeps of all files together: read as empty files.
        {"10 MB", TenMegabytes, false, none},
        {"no section headers", NoSections, false, none},
        {"no text files", Unchanged, true, none},
    };
    // Only the use is counted: Wine's spooler keeps two handles for every printer added.
    int gdiChange = 0;
    int handlesChange = 0;
    auto check = [&](const Case& c) {
        SCOPED_TRACE(c.name);
        Install(c.change, c.drop);
        const int gdiBefore = hostsim::GdiObjectsAlive();
        const int handlesBefore = hostsim::HandlesOpen();
        const Answers answers = Use();
        gdiChange += hostsim::GdiObjectsAlive() - gdiBefore;
        handlesChange += hostsim::HandlesOpen() - handlesBefore;
        EXPECT_EQ(hostsim::DescribeRecord(c.expected.record.data()),
                  hostsim::DescribeRecord(answers.record.data()));
        EXPECT_EQ(c.expected.resolutions, answers.resolutions);
        EXPECT_EQ(c.expected.pageTitles, answers.pageTitles);
    };
    for (const Case& c : cases) check(c);

    // Once more, now that the system's own objects for all of it exist: nothing stays.
    ASSERT_GT(hostsim::GdiObjectsAlive(), 0);
    ASSERT_GT(hostsim::HandlesOpen(), 0);
    gdiChange = 0;
    handlesChange = 0;
    for (const Case& c : cases) check(c);
    EXPECT_EQ(0, gdiChange);
    EXPECT_EQ(0, handlesChange);
}

}  // namespace
