// Printer data and registry values the plug-in reads, over-long or of the wrong type, through
// the real DLL: every printer data value, read the way a user reaches it (the printer
// settings' tree and Job Accounting dialog, the document settings' sheet and tree, the
// Troubleshooting page and its Job Lookout dialog); the per-user language code of a printer;
// the port monitors' address values behind the page's links to the printer's own web pages.
// Each value ends as its documented default, as stored or refused; no GDI object or handle
// is left behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dialog_robot.h"
#include "model_install.h"
#include "plugin_host.h"
#include "profile/ui_session.h"
#include "sheet_host.h"
#include "tree_host.h"
#include "ui/dialog_ids.h"
#include "wine_test_support.h"

namespace {

constexpr wchar_t kDriver[] = L"Talen ColorPrint C5 PS";

using winetest::Narrow;

// Runs `work` and checks that it leaves no GDI object and no handle behind.
template <class Work>
void ExpectNothingLeftBehind(Work&& work) {
    const int gdiBefore = hostsim::GdiObjectsAlive();
    const int handlesBefore = hostsim::HandlesOpen();
    work();
    EXPECT_EQ(gdiBefore, hostsim::GdiObjectsAlive());
    EXPECT_EQ(handlesBefore, hostsim::HandlesOpen());
}

struct Value {
    const char* name;
    DWORD type;
    std::vector<BYTE> bytes;
};

Value Text(const char* name, DWORD type, const std::wstring& text) {
    const auto* begin = reinterpret_cast<const BYTE*>(text.c_str());
    return {name, type, std::vector<BYTE>(begin, begin + (text.size() + 1) * sizeof(wchar_t))};
}

// Each holds `text` in some form, so that taking it would show.
std::vector<Value> Hostile(const std::wstring& text) {
    const auto* begin = reinterpret_cast<const BYTE*>(text.c_str());
    const std::vector<BYTE> bare(begin, begin + text.size() * sizeof(wchar_t));
    std::vector<BYTE> multi = Text("", REG_SZ, text).bytes;
    multi.insert(multi.end(), {0, 0});
    return {
        {"the text's bytes as a binary value", REG_BINARY, bare},
        {"the text as several texts", REG_MULTI_SZ, multi},
        {"the text's first four bytes as a number", REG_DWORD, std::vector<BYTE>(begin, begin + 4)},
        {"no bytes", REG_NONE, {}},
        Text("the text after 300 blanks", REG_SZ, std::wstring(300, L' ') + text),
        Text("the text and 1 MB more", REG_SZ, text + std::wstring(1 << 19, L'0')),
    };
}

LONG SetValue(HKEY root, const std::wstring& path, const wchar_t* name, const Value& value) {
    HKEY key = nullptr;
    LONG status =
        RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExW(key, name, 0, value.type, value.bytes.data(),
                            static_cast<DWORD>(value.bytes.size()));
    RegCloseKey(key);
    return status;
}

class HostileRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load());
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
    }
    void TearDown() override {
        if (plugIn != nullptr) plugIn->Release();
    }

    hostsim::PluginLibrary library;
    host::IPrintOemUI* plugIn = nullptr;
};

TEST_F(HostileRegistry, ALanguageCodeThatIsNoShortStringIsReplacedByTheUsersLanguage) {
    const hostsim::ModelSpec* model = hostsim::FindModel(L"Talen ColorPrint C5");
    std::wstring error;
    ASSERT_TRUE(hostsim::InstallModel(*model, &error)) << Narrow(error);
    hostsim::OpenedPrinter printer(model->printerName);
    const std::wstring key = std::wstring(L"Software\\Corvel\\") + model->printerName;
    const char16_t* users = profile::LanguageCode(GetUserDefaultLangID());
    const std::wstring usersCode(users, users + std::char_traits<char16_t>::length(users));
    ASSERT_NE(L"GR", usersCode) << "the German code must stand out";
    // The title of the Troubleshooting page in the language chosen.
    auto title = [&] {
        hostsim::SheetHost sheet(plugIn, printer.get(), model->printerName, true);
        EXPECT_EQ(host::kSOk, sheet.Initialise());
        const std::wstring shown = sheet.pageTitles().empty() ? L"" : sheet.pageTitles()[0];
        sheet.Destroy();
        return shown;
    };
    auto stored = [&] {
        wchar_t code[16] = {};
        DWORD size = sizeof code - sizeof(wchar_t);
        DWORD type = 0;
        RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"DrvCntCode", RRF_RT_ANY | RRF_NOEXPAND,
                     &type, code, &size);
        return type == REG_SZ ? std::wstring(code) : L"type " + std::to_wstring(type);
    };
    ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"GR"));
    const std::wstring german = title();
    ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, usersCode.c_str()));
    const std::wstring own = title();
    ASSERT_NE(german, own);

    auto check = [&](const Value& value) {
        SCOPED_TRACE(value.name);
        ASSERT_EQ(ERROR_SUCCESS, SetValue(HKEY_CURRENT_USER, key, L"DrvCntCode", value));
        EXPECT_EQ(Narrow(own), Narrow(title()));
        EXPECT_EQ(Narrow(usersCode), Narrow(stored())) << "replaced by a string";
    };
    std::vector<Value> values = Hostile(L"GR");
    values.push_back(Text("the German code as an expandable text", REG_EXPAND_SZ, L"GR"));
    values.push_back(Text("an empty text", REG_SZ, L""));
    for (const Value& value : values) check(value);

    ExpectNothingLeftBehind([&] {
        for (const Value& value : values) check(value);
    });
}

TEST_F(HostileRegistry, APortAddressThatIsNoShortStringLeavesThePrinterPagesDisabled) {
    const std::wstring machine = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\";
    const std::wstring standard = machine + L"Standard TCP/IP Port\\Ports\\CVL_HOSTILE_STD";
    const std::wstring talen = machine + L"Talen Network Printer Port\\CVL_HOSTILE_TNP";
    const hostsim::ModelSpec onStandard = {L"Cvl Hostile Standard Port", L"Talen ColorPrint C5 PS",
                                           L"CVLC5.PPD", L"CVL_HOSTILE_STD"};
    const hostsim::ModelSpec onTalen = {L"Cvl Hostile Talen Port", L"Talen ColorPrint C5 PS",
                                        L"CVLC5.PPD", L"CVL_HOSTILE_TNP"};
    std::wstring error;
    for (const hostsim::ModelSpec* model : {&onStandard, &onTalen}) {
        ASSERT_TRUE(hostsim::InstallModel(*model, &error)) << Narrow(error);
        ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
    }
    const Value none = Text("", REG_SZ, L"");
    // Whether the page's link to the printer's own pages is enabled: it is when an address
    // was found.
    auto linked = [&](const hostsim::ModelSpec& model) {
        hostsim::OpenedPrinter printer(model.printerName);
        hostsim::SheetHost sheet(plugIn, printer.get(), model.printerName, true);
        EXPECT_EQ(host::kSOk, sheet.Initialise());
        bool enabled = false;
        EXPECT_TRUE(sheet.ShowPage(0, [&](HWND, HWND page) {
            enabled = IsWindowEnabled(GetDlgItem(page, IDC_TROUBLE_LINK_3)) != FALSE;
        }));
        sheet.Destroy();
        return enabled;
    };
    auto set = [&](const std::wstring& key, const wchar_t* name, const Value& value) {
        ASSERT_EQ(ERROR_SUCCESS, SetValue(HKEY_LOCAL_MACHINE, key, name, value));
    };
    set(standard, L"IPAddress", Text("", REG_SZ, L"10.1.2.3"));
    set(talen, L"IP", Text("", REG_SZ, L"10.1.2.4"));
    ASSERT_TRUE(linked(onStandard));
    ASSERT_TRUE(linked(onTalen));
    set(standard, L"IPAddress", none);
    set(standard, L"HostName", Text("", REG_SZ, L"localhost"));
    ASSERT_TRUE(linked(onStandard)) << "the host name's address";

    // The address of each monitor, and the host name behind an empty address.
    auto check = [&](const Value& value) {
        SCOPED_TRACE(value.name);
        set(standard, L"HostName", value);
        EXPECT_FALSE(linked(onStandard)) << "HostName";
        set(standard, L"IPAddress", value);
        EXPECT_FALSE(linked(onStandard)) << "IPAddress";
        set(standard, L"IPAddress", none);
        set(talen, L"IP", value);
        EXPECT_FALSE(linked(onTalen)) << "IP";
    };
    const std::vector<Value> values = Hostile(L"127.0.0.1");
    for (const Value& value : values) check(value);

    ExpectNothingLeftBehind([&] {
        for (const Value& value : values) check(value);
    });

    for (const hostsim::ModelSpec* model : {&onStandard, &onTalen}) {
        hostsim::RemovePrinter(model->printerName);
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, standard.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, talen.c_str());
}

// --- Printer data ----------------------------------------------------------------------------

// What a value can hold that its reader does not expect.
std::vector<Value> HostileValues() {
    return {
        Text("a one-character text", REG_SZ, L"7"),  // four bytes, like a number
        Text("a text of 40 characters", REG_SZ, std::wstring(40, L'x')),
        Text("an expandable text", REG_EXPAND_SZ, L"%TEMP%"),
        {"several texts", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
        {"three bytes", REG_BINARY, {0x41, 0x42, 0x43}},
        {"the largest number", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"a 64-bit number", REG_QWORD, {1, 0, 0, 0, 1, 0, 0, 0}},
        {"no bytes", REG_NONE, {}},
        Text("1 MB of text", REG_SZ, std::wstring((1 << 19) - 1, L'y')),
        {"1 MB of bytes", REG_BINARY, std::vector<BYTE>(1 << 20, 0xFF)},
    };
}

struct Stored {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const Stored&) const = default;
};

Stored Read(HANDLE printer, const wchar_t* name) {
    Stored stored;
    DWORD needed = 0;
    GetPrinterDataW(printer, const_cast<wchar_t*>(name), &stored.type, nullptr, 0, &needed);
    stored.bytes.resize(needed);
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(name), &stored.type, stored.bytes.data(),
                        needed, &needed) != ERROR_SUCCESS) {
        return {};
    }
    return stored;
}

Stored Number(DWORD value) {
    Stored stored{REG_DWORD, std::vector<BYTE>(4)};
    std::memcpy(stored.bytes.data(), &value, 4);
    return stored;
}

std::string Show(const Stored& stored) {
    std::string text = "type " + std::to_string(stored.type) + ", " +
                       std::to_string(stored.bytes.size()) + " bytes";
    if (stored.bytes.size() == 4) {
        DWORD value = 0;
        std::memcpy(&value, stored.bytes.data(), 4);
        text += ", value " + std::to_string(value);
    }
    return text;
}

// What the user is shown on the way.
struct Seen {
    bool accountDialog = false;
    std::wstring accountId;
    std::wstring accountPassword;
    bool lastTopicLink = false;
    bool lookoutDialog = false;
};

class HostilePrinterData : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load());
        plugIn = library.CreatePlugIn();
        ASSERT_NE(nullptr, plugIn);
        ASSERT_EQ(host::kSOk, plugIn->PublishDriverInterface(&driver));
    }
    void TearDown() override {
        printer.reset();
        if (plugIn != nullptr) plugIn->Release();
        hostsim::RemovePrinter(printerName.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\Corvel\\" + printerName).c_str());
    }
    // A new printer of the TALEN sample, without any printer data. Each has a name of its
    // own: the plug-in remembers what the spooler answered about a printer for half a second.
    void FreshPrinter() {
        printer.reset();
        ASSERT_TRUE(hostsim::RemovePrinter(printerName.c_str())) << GetLastError();
        RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\Corvel\\" + printerName).c_str());
        printerName = L"Cvl Hostile Data " + std::to_wstring(++printers);
        const hostsim::ModelSpec model = {printerName.c_str(), kDriver, L"CVLC5.PPD"};
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(model, &error)) << Narrow(error);
        ASSERT_TRUE(hostsim::StoreLanguageCode(printerName.c_str(), L"EN"));
        printer = std::make_unique<hostsim::OpenedPrinter>(printerName.c_str());
        ASSERT_TRUE(*printer);
    }

    // Every value the plug-in reads holds the same hostile bytes.
    void Store(const Value& value) {
        for (const wchar_t* name :
             {L"JOBACCOUNT_ID", L"JOBACCOUNT_PW", L"HDD_SETTING", L"CURRENT_MEMORY", L"OEMUI_VALUE",
              L"JLook_Enable", L"JLook_Timeout", L"JLook_LastInfo"}) {
            EXPECT_EQ(0u, SetPrinterDataW(printer->get(), const_cast<wchar_t*>(name), value.type,
                                          const_cast<BYTE*>(value.bytes.data()),
                                          static_cast<DWORD>(value.bytes.size())));
        }
    }

    // The printer settings (tree, auto-configuration, Job Accounting dialog), then the
    // document settings (sheet, tree, Troubleshooting page, Job Lookout dialog).
    Seen Walk() {
        Seen seen;
        {
            hostsim::SheetHost sheet(plugIn, printer->get(), printerName.c_str(), false);
            EXPECT_EQ(host::kSOk, sheet.Initialise());
            host::OEMUIOBJ uiObject = {};
            hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject,
                                           hostsim::DocumentTreeHost::Kind::kPrinter);
            EXPECT_EQ(host::kSOk, tree.Build());
            tree.Callback(host::kCpsuicbReasonSetActive);
            hostsim::DialogRobot robot(GetCurrentThreadId());
            std::thread user([&] {
                if (HWND dialog = robot.Wait(nullptr, 5000)) {
                    seen.accountDialog = true;
                    seen.accountId = hostsim::DialogRobot::Text(dialog, IDC_ACCOUNT_USER_ID);
                    seen.accountPassword = hostsim::DialogRobot::Text(dialog, IDC_ACCOUNT_PASSWORD);
                }
                robot.CancelAll();
            });
            tree.PressButton(0, nullptr);
            user.join();
            sheet.Destroy();
        }
        hostsim::SheetHost sheet(plugIn, printer->get(), printerName.c_str(), true);
        EXPECT_EQ(host::kSOk, sheet.Initialise());
        host::OEMUIOBJ uiObject = {};
        hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject);
        EXPECT_EQ(host::kSOk, tree.Build());
        EXPECT_TRUE(sheet.ShowPage(0, [&](HWND, HWND page) {
            seen.lastTopicLink =
                IsWindowEnabled(GetDlgItem(page, IDC_TROUBLE_LOOKOUT_LAST_TOPIC)) != FALSE;
            hostsim::DialogRobot robot(GetCurrentThreadId());
            while (robot.Wait(nullptr, 0) != nullptr) {
                // the sheet itself is not the dialog looked for
            }
            std::thread user([&] {
                if (HWND dialog = robot.Wait(nullptr, 5000)) {
                    seen.lookoutDialog = true;
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                }
            });
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_TROUBLE_LOOKOUT_SETTINGS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_TROUBLE_LOOKOUT_SETTINGS)));
            user.join();
        }));
        sheet.Destroy();
        return seen;
    }

    hostsim::PluginLibrary library;
    hostsim::HostDriverUI driver;
    host::IPrintOemUI* plugIn = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    std::wstring printerName = L"Cvl Hostile Data 0";
    int printers = 0;
};

TEST_F(HostilePrinterData, EveryWrongTypeAndAMegabyteEndAsTheDefaultOrAsStored) {
    // A printer without printer data shows the defaults, and creates the numbers it needs.
    FreshPrinter();
    const Seen defaults = Walk();
    ASSERT_TRUE(defaults.accountDialog);
    ASSERT_TRUE(defaults.lookoutDialog);
    EXPECT_EQ(L"", defaults.accountPassword);
    EXPECT_FALSE(defaults.lastTopicLink);
    EXPECT_EQ(Number(0), Read(printer->get(), L"HDD_SETTING"));
    EXPECT_EQ(Number(256), Read(printer->get(), L"CURRENT_MEMORY")) << "the model's default";
    EXPECT_EQ(Number(1), Read(printer->get(), L"JLook_Enable"));
    EXPECT_EQ(Number(5), Read(printer->get(), L"JLook_Timeout"));
    for (const Value& value : HostileValues()) {
        SCOPED_TRACE(value.name);
        FreshPrinter();
        Store(value);
        const Seen seen = Walk();
        const Stored hostile{value.type, value.bytes};
        ASSERT_TRUE(seen.accountDialog);
        ASSERT_TRUE(seen.lookoutDialog);

        // Credentials are strings of at most 32 characters (66 bytes with the terminator);
        // anything else reads as missing: the user name is offered, no password.
        const bool credential = value.type == REG_SZ && value.bytes.size() <= 66;
        const std::wstring text =
            credential ? std::wstring(reinterpret_cast<const wchar_t*>(value.bytes.data())) : L"";
        EXPECT_EQ(Narrow(credential ? text : defaults.accountId), Narrow(seen.accountId));
        EXPECT_EQ(Narrow(text), Narrow(seen.accountPassword));

        // The installed memory and the hard disk are numbers of at most four bytes, taken
        // whatever their type; a larger value is replaced by the default.
        const bool fits = value.bytes.size() <= 4;
        EXPECT_EQ(Show(fits ? hostile : Number(0)), Show(Read(printer->get(), L"HDD_SETTING")));
        EXPECT_EQ(Show(fits ? hostile : Number(256)),
                  Show(Read(printer->get(), L"CURRENT_MEMORY")));
        EXPECT_EQ(Show(hostile), Show(Read(printer->get(), L"OEMUI_VALUE"))) << "only read";

        // The job monitor's settings: exactly four bytes in range, or repaired.
        DWORD number = 0;
        if (value.bytes.size() == 4) std::memcpy(&number, value.bytes.data(), 4);
        const bool four = value.bytes.size() == 4;
        EXPECT_EQ(Show(four && number <= 1 ? hostile : Number(1)),
                  Show(Read(printer->get(), L"JLook_Enable")));
        EXPECT_EQ(Show(four && number >= 1 && number <= 60 ? hostile : Number(5)),
                  Show(Read(printer->get(), L"JLook_Timeout")));

        // The last report's topic: any type up to 520 bytes whose text is not empty.
        const bool topic = value.bytes.size() >= 2 && value.bytes.size() <= 520 &&
                           (value.bytes[0] != 0 || value.bytes[1] != 0);
        EXPECT_EQ(topic, seen.lastTopicLink);
    }

    // A second round, now that the system's own objects for all of it exist: each walk
    // leaves the process as it found it. (Only the walks are counted: Wine's spooler keeps
    // two handles for every printer added.)
    for (const Value& value : HostileValues()) {
        SCOPED_TRACE(value.name);
        FreshPrinter();
        Store(value);
        ExpectNothingLeftBehind([&] { Walk(); });
    }
}

}  // namespace
