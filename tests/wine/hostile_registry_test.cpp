// Registry values the plug-in reads, over-long or of the wrong type, through the real DLL:
// the per-user language code of a printer, and the port monitors' address values behind the
// Troubleshooting page's links to the printer's own web pages. Each is replaced by its
// default or refused; no GDI object or handle is left behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "model_install.h"
#include "plugin_host.h"
#include "profile/ui_session.h"
#include "sheet_host.h"
#include "ui/dialog_ids.h"
#include "wine_test_support.h"

namespace {

using winetest::Narrow;

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

    const int gdiBefore = hostsim::GdiObjectsAlive();
    const int handlesBefore = hostsim::HandlesOpen();
    for (const Value& value : values) check(value);
    EXPECT_EQ(gdiBefore, hostsim::GdiObjectsAlive());
    EXPECT_EQ(handlesBefore, hostsim::HandlesOpen());
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

    const int gdiBefore = hostsim::GdiObjectsAlive();
    const int handlesBefore = hostsim::HandlesOpen();
    for (const Value& value : values) check(value);
    EXPECT_EQ(gdiBefore, hostsim::GdiObjectsAlive());
    EXPECT_EQ(handlesBefore, hostsim::HandlesOpen());

    for (const hostsim::ModelSpec* model : {&onStandard, &onTalen}) {
        hostsim::RemovePrinter(model->printerName);
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, standard.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, talen.c_str());
}

}  // namespace
