// A flood of help topics: one document settings session of the TALEN sample opens Print and
// Hold twenty times, each opening filing its controls' topics again, far past the 200 the
// session keeps; afterwards every dialog still opens its own topics. The help control is the
// stand-in that records its calls, named by the control's class key for the real DLL.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include <thread>
#include <vector>

#include "dialog_robot.h"
#include "fake_help/fake_help.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "tree_host.h"
#include "ui/dialog_ids.h"

namespace {

constexpr wchar_t kHelpClassKey[] =
    L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L'\\') + 1);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The help control's class value points at the stand-in for the test's time; the value
// found before is put back afterwards.
class ClassValueScope {
  public:
    explicit ClassValueScope(const std::wstring& library) {
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kHelpClassKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = 0;
        had_ = RegQueryValueExW(key_, nullptr, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
        saved_.resize(size);
        if (had_) RegQueryValueExW(key_, nullptr, nullptr, &type_, saved_.data(), &size);
        RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(library.c_str()),
                       static_cast<DWORD>((library.size() + 1) * sizeof(wchar_t)));
    }
    ClassValueScope(const ClassValueScope&) = delete;
    ClassValueScope& operator=(const ClassValueScope&) = delete;
    ~ClassValueScope() {
        if (key_ == nullptr) return;
        if (had_) {
            RegSetValueExW(key_, nullptr, 0, type_, saved_.data(),
                           static_cast<DWORD>(saved_.size()));
        } else {
            RegDeleteValueW(key_, nullptr);
        }
        RegCloseKey(key_);
    }
    explicit operator bool() const { return key_ != nullptr; }

  private:
    HKEY key_ = nullptr;
    bool had_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> saved_;
};

// The stand-in's record; no call when it is not loaded.
fakehelp::Record HelpRecord(const std::wstring& path) {
    fakehelp::Record record;
    HMODULE fake = GetModuleHandleW(path.c_str());
    if (fake == nullptr) return record;
    auto calls = reinterpret_cast<fakehelp::CallsFn>(
        reinterpret_cast<void*>(GetProcAddress(fake, "FakeHelpCalls")));
    if (calls != nullptr) calls(&record);
    return record;
}

// What F1 on a control of a dialog opens: the topic part of the help address, or empty.
std::wstring HelpOn(HWND dialog, int id, const std::wstring& fake) {
    const LONG before = HelpRecord(fake).calls;
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = id;
    info.hItemHandle = GetDlgItem(dialog, id);
    SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    const fakehelp::Record after = HelpRecord(fake);
    if (after.calls == before) return L"";
    const std::wstring address = after.address;
    const std::size_t start = address.find(L"::/");
    const std::size_t end = address.find(L'#');
    return start == std::wstring::npos ? address : address.substr(start + 3, end - start - 3);
}

TEST(HostileHelp, TopicsFiledPastTheTableStillOpenEachDialogsOwn) {
    // A copy of the stand-in of its own: the plug-in keeps the control it loaded until the
    // process ends, and other tests want the stand-in unloaded.
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    const std::wstring fake = std::wstring(temp) + L"cvl-flood-help.dll";
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"fakehelp.dll").c_str(), fake.c_str(), FALSE) ||
                GetModuleHandleW(fake.c_str()) != nullptr);
    ClassValueScope classValue(fake);
    ASSERT_TRUE(classValue);
    const hostsim::ModelSpec* model = hostsim::FindModel(L"Talen ColorPrint C5");
    std::wstring error;
    ASSERT_TRUE(hostsim::InstallModel(*model, &error)) << Narrow(error);
    ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
    hostsim::OpenedPrinter printer(model->printerName);
    DWORD memory = 512;  // jobs may be stored: Print and Hold offers every mode
    ASSERT_EQ(0u, SetPrinterDataW(printer.get(), const_cast<wchar_t*>(L"CURRENT_MEMORY"), REG_DWORD,
                                  reinterpret_cast<BYTE*>(&memory), sizeof memory));

    hostsim::PluginLibrary library;
    ASSERT_TRUE(library.Load());
    host::IPrintOemUI* plugIn = library.CreatePlugIn();
    ASSERT_NE(nullptr, plugIn);
    hostsim::HostDriverUI driver;
    plugIn->PublishDriverInterface(&driver);
    {
        hostsim::SheetHost sheet(plugIn, printer.get(), model->printerName, true);
        ASSERT_EQ(host::kSOk, sheet.Initialise());
        host::OEMUIOBJ uiObject = {};
        hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject);
        ASSERT_EQ(host::kSOk, tree.Build());
        ASSERT_EQ(1, tree.Callback(host::kCpsuicbReasonSetActive));
        // Opens the tree's dialog `button`, asks help on control `id`, cancels it.
        auto helpIn = [&](std::size_t button, int id) {
            std::wstring topic = L"<no dialog>";
            hostsim::DialogRobot robot(GetCurrentThreadId());
            std::thread user([&] {
                if (HWND dialog = robot.Wait(nullptr, 5000)) topic = HelpOn(dialog, id, fake);
                robot.CancelAll();
            });
            tree.PressButton(button, nullptr);
            user.join();
            return topic;
        };
        // Each opening files the same topics again. The count of objects is taken once the
        // system's own objects for the dialog exist.
        int gdiBefore = 0;
        int handlesBefore = 0;
        for (int opening = 0; opening < 20; ++opening) {
            if (opening == 8) {
                gdiBefore = hostsim::GdiObjectsAlive();
                handlesBefore = hostsim::HandlesOpen();
            }
            EXPECT_EQ(L"hold_user_id.htm", helpIn(0, IDC_HOLD_USER_ID)) << "opening " << opening;
        }
        EXPECT_EQ(gdiBefore, hostsim::GdiObjectsAlive());
        EXPECT_EQ(handlesBefore, hostsim::HandlesOpen());
        EXPECT_EQ(L"copies_split.htm", helpIn(1, IDC_COPIES_COLOR)) << "a dialog opened later";
        EXPECT_EQ(L"hold_job_name.htm", helpIn(0, IDC_HOLD_JOB_NAME));
        sheet.Destroy();
    }
    plugIn->Release();
}

}  // namespace
