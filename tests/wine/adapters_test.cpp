// The Win32 adapters in-process under Wine, against the real registry, loader, spooler,
// user32 and common controls: the help service finding and loading its control through the
// class key, raw jobs that always end their document, the module's activation context made
// on first use, the one dialog procedure that turns window messages into presenter events
// and carries the presenters' answers back, presenters played on the DLL's real templates,
// and the templates themselves as Wine's user32 and common controls create them.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <winspool.h>

#include <array>
#include <atomic>
#include <cwchar>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "devmode/oem_devmode.h"
#include "dialog_robot.h"
#include "fake_help/fake_help.h"
#include "model_install.h"
#include "platform/win32/dialog_host.h"
#include "platform/win32/owners.h"
#include "platform/win32/win32_platform.h"
#include "plugin/help_library.h"
#include "plugin_host.h"
#include "profile/ui_session.h"
#include "sheet_host.h"
#include "tree_host.h"
#include "ui/about_dialog.h"
#include "ui/copies_dialog.h"
#include "ui/dialog_ids.h"
#include "ui/layout_direction.h"
#include "ui/lookout_dialog.h"
#include "ui/presenter.h"
#include "wine_test_support.h"

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

using winetest::Narrow;
using winetest::ProgramFolder;

std::wstring Variable(const wchar_t* name) {
    wchar_t value[64] = {};
    GetEnvironmentVariableW(name, value, 64);
    return value;
}

// Scopes that undo what a test set up: an environment variable, a file.
void ClearVariable(const wchar_t* name) { SetEnvironmentVariableW(name, nullptr); }
using VariableScope = win32::UniqueAny<const wchar_t*, &ClearVariable>;
void RemoveFile(const wchar_t* path) { DeleteFileW(path); }
using FileScope = win32::UniqueAny<const wchar_t*, &RemoveFile>;

// --- The help service over the real registry and loader ------------------------------------

constexpr wchar_t kHelpClassKey[] =
    L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

// What the stand-in control has recorded; calls is -1 when the library is not loaded.
fakehelp::Record RecordOf(const std::wstring& path) {
    fakehelp::Record record;
    record.calls = -1;
    HMODULE fake = GetModuleHandleW(path.c_str());
    if (fake == nullptr) return record;
    auto calls = reinterpret_cast<fakehelp::CallsFn>(
        reinterpret_cast<void*>(GetProcAddress(fake, "FakeHelpCalls")));
    if (calls != nullptr) calls(&record);
    return record;
}

// Each test sets the help control's class value; the value found is put back afterwards.
class AdapterHelp : public ::testing::Test {
  protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, kHelpClassKey, 0, nullptr, 0,
                                                 KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
        classKey.reset(key);
        DWORD size = 0;
        had = RegQueryValueExW(key, nullptr, nullptr, &savedType, nullptr, &size) == ERROR_SUCCESS;
        saved.resize(size);
        if (had) RegQueryValueExW(key, nullptr, nullptr, &savedType, saved.data(), &size);
    }

    void TearDown() override {
        if (!classKey) return;
        if (had) {
            RegSetValueExW(classKey.get(), nullptr, 0, savedType, saved.data(),
                           static_cast<DWORD>(saved.size()));
        } else {
            RegDeleteValueW(classKey.get(), nullptr);
        }
    }

    void SetClassValue(DWORD type, const std::wstring& value) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(classKey.get(), nullptr, 0, type,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
    }

    const std::wstring fakePath = ProgramFolder() + L"fakehelp.dll";
    win32::Win32Platform platform;
    win32::UniqueRegKey classKey;
    bool had = false;
    DWORD savedType = REG_NONE;
    std::vector<BYTE> saved;
};

TEST_F(AdapterHelp, AnExpandableClassValueLeadsToTheControlItNames) {
    std::wstring folder = ProgramFolder();
    folder.pop_back();
    ASSERT_TRUE(SetEnvironmentVariableW(L"CVL_HELP_DIR", folder.c_str()));
    VariableScope variable(L"CVL_HELP_DIR");
    SetClassValue(REG_EXPAND_SZ, L"%CVL_HELP_DIR%\\fakehelp.dll");
    ASSERT_EQ(-1, RecordOf(fakePath).calls) << "the stand-in is loaded before the first call";
    {
        plugin::HelpLibrary help(platform.ports());
        auto* owner = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x1234));
        EXPECT_EQ(fakehelp::Answer(),
                  help.HtmlHelp(owner, u"manual.chm::/topic.htm", platform::kHhDisplayTopic, 0x77));
        fakehelp::Record record = RecordOf(fakePath);
        ASSERT_EQ(1, record.calls) << "the stand-in was not loaded from the expanded path";
        EXPECT_EQ(owner, record.owner);
        EXPECT_STREQ(L"manual.chm::/topic.htm", record.address);
        EXPECT_EQ(platform::kHhDisplayTopic, record.command);
        EXPECT_EQ(0x77u, record.data);

        EXPECT_EQ(fakehelp::Answer(), help.HtmlHelp(nullptr, nullptr, platform::kHhCloseAll, 0));
        record = RecordOf(fakePath);
        EXPECT_EQ(2, record.calls) << "the loaded control serves every later call";
        EXPECT_EQ(platform::kHhCloseAll, record.command);
        EXPECT_STREQ(L"", record.address);
    }
    EXPECT_EQ(-1, RecordOf(fakePath).calls) << "the control is freed with the help service";
}

TEST_F(AdapterHelp, AControlWithoutTheEntryIsFreedAndNeverLoadedAgain) {
    const std::wstring path = ProgramFolder() + L"nohelp.dll";
    SetClassValue(REG_SZ, path);
    ASSERT_TRUE(SetEnvironmentVariableW(L"CVL_NOHELP_LOADS", L"0"));
    VariableScope loads(L"CVL_NOHELP_LOADS");

    plugin::HelpLibrary help(platform.ports());
    EXPECT_EQ(nullptr, help.HtmlHelp(nullptr, u"x.chm", platform::kHhDisplayTopic, 0))
        << "nohelp.dll's named HtmlHelpW is not the entry";
    EXPECT_EQ(L"1", Variable(L"CVL_NOHELP_LOADS")) << "the class value's library was loaded";
    EXPECT_EQ(nullptr, GetModuleHandleW(path.c_str())) << "a library without the entry is freed";

    EXPECT_EQ(nullptr, help.HtmlHelp(nullptr, u"x.chm", platform::kHhDisplayTopic, 0));
    EXPECT_EQ(L"1", Variable(L"CVL_NOHELP_LOADS")) << "a second call loaded it again";
    EXPECT_EQ(nullptr, GetModuleHandleW(path.c_str()));
}

TEST_F(AdapterHelp, WithAnEmptyClassValueTheSystemFoldersControlIsLoaded) {
    // A library of the control's name beside the host program, where a bare name would be
    // searched for first.
    const std::wstring planted = ProgramFolder() + L"hhctrl.ocx";
    SetLastError(kSentinel);
    ASSERT_TRUE(CopyFileW(fakePath.c_str(), planted.c_str(), FALSE)) << GetLastError();
    FileScope removePlanted(planted.c_str());
    SetClassValue(REG_SZ, L"");
    ASSERT_EQ(nullptr, GetModuleHandleW(L"hhctrl.ocx"));

    plugin::HelpLibrary help(platform.ports());
    EXPECT_NE(fakehelp::Answer(), help.HtmlHelp(nullptr, nullptr, platform::kHhCloseAll, 0));
    EXPECT_EQ(nullptr, GetModuleHandleW(planted.c_str())) << "the planted library was loaded";
    HMODULE loaded = GetModuleHandleW(L"hhctrl.ocx");
    ASSERT_NE(nullptr, loaded) << "no help control was loaded";
    wchar_t loadedPath[MAX_PATH] = {};
    GetModuleFileNameW(loaded, loadedPath, MAX_PATH);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(0, _wcsicmp((std::wstring(system) + L"\\hhctrl.ocx").c_str(), loadedPath))
        << Narrow(loadedPath);
}

TEST_F(AdapterHelp, TwoThreadsAskingDuringTheFirstLoadBothReachTheControl) {
    SetClassValue(REG_SZ, fakePath);
    // The stand-in's DllMain takes this long, so the second thread asks during the load.
    ASSERT_TRUE(SetEnvironmentVariableW(L"CVL_FAKEHELP_DELAY_MS", L"300"));
    VariableScope delay(L"CVL_FAKEHELP_DELAY_MS");
    ASSERT_EQ(-1, RecordOf(fakePath).calls);

    plugin::HelpLibrary help(platform.ports());
    void* answers[2] = {nullptr, nullptr};
    {
        // Both threads are running before either asks: a thread that starts during the load
        // would wait for the loader and ask only after it. (They spin: std::latch of this
        // toolchain's library can lose the wake-up of its last waiter.)
        std::atomic<int> ready{0};
        auto ask = [&](int index) {
            ready.fetch_add(1);
            while (ready.load() < 2) std::this_thread::yield();
            answers[index] = help.HtmlHelp(nullptr, u"x.chm", platform::kHhDisplayTopic, 0);
        };
        std::jthread first(ask, 0);
        std::jthread second(ask, 1);
    }
    EXPECT_EQ(fakehelp::Answer(), answers[0]);
    EXPECT_EQ(fakehelp::Answer(), answers[1]);
    EXPECT_EQ(2, RecordOf(fakePath).calls);
}

TEST_F(AdapterHelp, AClassValueThatIsNoShortTextLeadsToTheSystemsControl) {
    // Each names the stand-in in some form that is no text of at most 260 characters.
    const auto* path = reinterpret_cast<const BYTE*>(fakePath.c_str());
    const std::vector<BYTE> bare(path, path + fakePath.size() * sizeof(wchar_t));
    std::vector<BYTE> multi(path, path + (fakePath.size() + 1) * sizeof(wchar_t));
    multi.insert(multi.end(), {0, 0});
    // Over 260 characters that lead to the stand-in when taken whole.
    std::wstring detour = fakePath.substr(0, 3);
    while (detour.size() < 300) detour += L"x\\..\\";
    detour += fakePath.substr(3);
    auto text = [](const std::wstring& value) {
        const auto* begin = reinterpret_cast<const BYTE*>(value.c_str());
        return std::vector<BYTE>(begin, begin + (value.size() + 1) * sizeof(wchar_t));
    };
    const struct {
        const char* name;
        DWORD type;
        std::vector<BYTE> bytes;
    } values[] = {
        {"the path's bytes as a binary value", REG_BINARY, bare},
        {"the path as several texts", REG_MULTI_SZ, multi},
        {"a number", REG_DWORD, {1, 0, 0, 0}},
        {"no bytes", REG_NONE, {}},
        {"a path of 300 characters", REG_SZ, text(detour)},
        {"the path and 1 MB of blanks", REG_SZ, text(fakePath + std::wstring(1 << 19, L' '))},
    };
    auto check = [&](DWORD type, const std::vector<BYTE>& bytes) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(classKey.get(), nullptr, 0, type, bytes.data(),
                                                static_cast<DWORD>(bytes.size())));
        plugin::HelpLibrary help(platform.ports());
        EXPECT_NE(fakehelp::Answer(), help.HtmlHelp(nullptr, nullptr, platform::kHhCloseAll, 0));
        EXPECT_EQ(-1, RecordOf(fakePath).calls) << "the stand-in was loaded";
        EXPECT_NE(nullptr, GetModuleHandleW(L"hhctrl.ocx")) << "no help control was loaded";
    };
    for (const auto& value : values) {
        SCOPED_TRACE(value.name);
        check(value.type, value.bytes);
    }
    const int handles = hostsim::HandlesOpen();
    for (const auto& value : values) check(value.type, value.bytes);
    EXPECT_EQ(handles, hostsim::HandlesOpen());

    // A variable too long to expand leaves the name unexpanded, which names no library.
    ASSERT_TRUE(SetEnvironmentVariableW(L"CVL_HELP_HUGE", std::wstring(40000, L'h').c_str()));
    VariableScope huge(L"CVL_HELP_HUGE");
    SetClassValue(REG_EXPAND_SZ, L"%CVL_HELP_HUGE%\\fakehelp.dll");
    plugin::HelpLibrary help(platform.ports());
    EXPECT_EQ(nullptr, help.HtmlHelp(nullptr, nullptr, platform::kHhCloseAll, 0));
    EXPECT_EQ(-1, RecordOf(fakePath).calls);
}

// What F1 on a control of a dialog opens: the topic part of the help address, or empty.
std::wstring HelpOn(HWND dialog, int id, const std::wstring& fake) {
    const LONG before = RecordOf(fake).calls;
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = id;
    info.hItemHandle = GetDlgItem(dialog, id);
    SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    const fakehelp::Record after = RecordOf(fake);
    if (after.calls == before) return L"";
    const std::wstring address = after.address;
    const std::size_t start = address.find(L"::/");
    const std::size_t end = address.find(L'#');
    return start == std::wstring::npos ? address : address.substr(start + 3, end - start - 3);
}

// One document settings session of the TALEN sample opens Print and Hold forty times, each
// opening filing its controls' topics again, far past the 200 the session keeps; afterwards
// every dialog still opens its own topics.
TEST_F(AdapterHelp, TopicsFiledPastTheTableStillOpenEachDialogsOwn) {
    // A copy of the stand-in of its own: the plug-in keeps the control it loaded until the
    // process ends, and the other tests want the stand-in unloaded.
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    const std::wstring fake = std::wstring(temp) + L"cvl-flood-help.dll";
    ASSERT_TRUE(CopyFileW(fakePath.c_str(), fake.c_str(), FALSE) ||
                GetModuleHandleW(fake.c_str()) != nullptr);
    SetClassValue(REG_SZ, fake);
    const hostsim::ModelSpec* model = hostsim::FindModel(L"Talen ColorPrint C5");
    std::wstring error;
    ASSERT_TRUE(hostsim::InstallModel(*model, &error)) << Narrow(error);
    ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
    hostsim::OpenedPrinter printer(model->printerName);
    // Jobs may be stored: Print and Hold offers every mode.
    ASSERT_EQ(0u, winetest::SetPrinterDword(printer.get(), L"CURRENT_MEMORY", 512));

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
        // The objects are counted once the system's own objects for the dialog exist. Wine
        // frees some of a dialog's objects late, so a few may still be alive at the end (up
        // to 19 were seen under full parallel runs); a leak of one object or handle per
        // opening would leave at least one per counted opening.
        constexpr int kFirstCounted = 8;
        constexpr int kOpenings = 40;
        constexpr int kCounted = kOpenings - kFirstCounted;
        int gdiBefore = 0;
        int handlesBefore = 0;
        for (int opening = 0; opening < kOpenings; ++opening) {
            if (opening == kFirstCounted) {
                hostsim::PumpMessages();
                gdiBefore = hostsim::GdiObjectsAlive();
                handlesBefore = hostsim::HandlesOpen();
            }
            EXPECT_EQ(L"hold_user_id.htm", helpIn(0, IDC_HOLD_USER_ID)) << "opening " << opening;
        }
        hostsim::PumpMessages();
        EXPECT_LT(hostsim::GdiObjectsAlive() - gdiBefore, kCounted);
        EXPECT_LT(hostsim::HandlesOpen() - handlesBefore, kCounted);
        EXPECT_EQ(L"copies_split.htm", helpIn(1, IDC_COPIES_COLOR)) << "a dialog opened later";
        EXPECT_EQ(L"hold_job_name.htm", helpIn(0, IDC_HOLD_JOB_NAME));
        sheet.Destroy();
    }
    plugIn->Release();
}

// --- Raw jobs on the spooler -----------------------------------------------------------------

void EndDocument(HANDLE printer) { EndDocPrinter(printer); }
// A document started directly with StartDocPrinterW, ended with the owner.
using StartedDocument = win32::UniqueAny<HANDLE, &EndDocument>;

// The TALEN sample printer (on FILE:); jobs go to files in the temporary folder.
class AdapterRawJobs : public ::testing::Test {
  protected:
    void SetUp() override {
        const hostsim::ModelSpec* model = hostsim::FindModel(L"Talen ColorPrint C5");
        ASSERT_NE(nullptr, model);
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error)) << Narrow(error);
        printer = std::make_unique<hostsim::OpenedPrinter>(model->printerName);
        ASSERT_TRUE(*printer);
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        const std::wstring stem =
            std::wstring(temp) + L"cvl-rawjob-" + std::to_wstring(GetCurrentProcessId());
        firstFile = stem + L"-1.prn";
        secondFile = stem + L"-2.prn";
        DeleteFileW(firstFile.c_str());
        DeleteFileW(secondFile.c_str());
        removeFirst.reset(firstFile.c_str());
        removeSecond.reset(secondFile.c_str());
    }

    static std::u16string U16(const std::wstring& s) { return {s.begin(), s.end()}; }

    std::unique_ptr<hostsim::OpenedPrinter> printer;
    win32::Win32RawJobs jobs;
    std::wstring firstFile;
    std::wstring secondFile;
    FileScope removeFirst;
    FileScope removeSecond;
};

TEST_F(AdapterRawJobs, TheBytesLandInTheOutputFileAndTheOwnerEndsTheDocument) {
    std::string bytes(48, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA5 ^ i);
    {
        std::uint32_t error = kSentinel;
        auto job = jobs.Start(printer->get(), u"Adapter raw job", U16(firstFile), &error);
        ASSERT_NE(nullptr, job) << "error " << error;

        // While its document is open the printer takes no other: the failure is reported.
        std::uint32_t busy = kSentinel;
        EXPECT_EQ(nullptr, jobs.Start(printer->get(), u"Too early", U16(secondFile), &busy));
        EXPECT_NE(kSentinel, busy);
        EXPECT_NE(0u, busy);

        std::uint32_t written = kSentinel;
        EXPECT_TRUE(job->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written));
        EXPECT_EQ(48u, written);
    }
    EXPECT_EQ(bytes, hostsim::FileBytes(firstFile)) << "the file does not hold exactly the job";

    // An owner gone without writing still ends its document: the printer takes the next.
    {
        std::uint32_t error = kSentinel;
        auto empty = jobs.Start(printer->get(), u"Nothing written", U16(secondFile), &error);
        ASSERT_NE(nullptr, empty) << "error " << error;
    }
    DOC_INFO_1W info = {};
    wchar_t name[] = L"After the empty job";
    wchar_t raw[] = L"RAW";
    info.pDocName = name;
    info.pOutputFile = firstFile.data();
    info.pDatatype = raw;
    SetLastError(kSentinel);
    StartedDocument document;
    if (StartDocPrinterW(printer->get(), 1, reinterpret_cast<BYTE*>(&info)) != 0) {
        document.reset(printer->get());
    }
    EXPECT_TRUE(document) << "the empty job's document is still open: error " << GetLastError();
}

// --- The module's activation context ---------------------------------------------------------

// The activation context that redirects comctl32.dll among those active: the one made from a
// manifest that asks for the common controls 6. Null when none does.
HANDLE CommonControlsContext() {
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof data;
    if (!FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                  ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                  &data)) {
        return nullptr;
    }
    // The search added a reference; only the handle's identity is wanted.
    win32::UniqueActCtx found(data.hActCtx);
    return found.get();
}

TEST(AdapterModule, TheActivationContextIsMadeOnFirstUseFromTheManifest) {
    SetLastError(kSentinel);
    win32::UniqueModule dll(LoadLibraryW((ProgramFolder() + PLUGIN_DLL_NAME).c_str()));
    ASSERT_TRUE(dll) << "error " << GetLastError();
    win32::Win32Module module;
    module.Attach(dll.get());
    EXPECT_EQ(dll.get(), module.Handle());
    EXPECT_FALSE(module.ContextMade()) << "a context was made when the module was attached";

    void* context = module.ActivationContext();
    ASSERT_NE(nullptr, context);
    EXPECT_TRUE(module.ContextMade());
    EXPECT_EQ(context, module.ActivationContext()) << "a second context was made";

    // The context is the one of the DLL's manifest: activated, it brings the common
    // controls 6, which nothing else in this program asks for.
    ASSERT_EQ(nullptr, CommonControlsContext());
    {
        ULONG_PTR cookie = 0;
        SetLastError(kSentinel);
        ASSERT_TRUE(ActivateActCtx(context, &cookie)) << "error " << GetLastError();
        win32::ActivationScope active(cookie);
        EXPECT_EQ(context, CommonControlsContext());
    }

    module.Detach();
    EXPECT_FALSE(module.ContextMade());
    EXPECT_EQ(nullptr, module.Handle());
}

// --- The one dialog procedure ----------------------------------------------------------------

constexpr std::uintptr_t kScriptTimer = 0x51;
constexpr int kNoTimer = 90;         // the dialog's result when the timer could not start
constexpr int kScriptEnded = 91;     // the result when the script did not end the dialog
constexpr int kUnknownCode = -1234;  // a notification code no control sends
constexpr LONG_PTR kMsgResultSentinel = 0x5EA5EA;

// A presenter that records every event and drives its dialog from the first tick of a timer
// it starts in OnInit, once the dialog is visible: it runs the test's script, then ends the
// dialog with kScriptEnded unless the script's OK click ended it with IDOK.
class RecordingPresenter final : public ui::Presenter {
  public:
    using Script = std::function<void(HWND, RecordingPresenter&)>;
    using Answerer = std::function<ui::NotifyAnswer(HWND, const ui::Notification&)>;

    explicit RecordingPresenter(Script script = {}) : script_(std::move(script)) {}

    profile::UiSession* session() const override { return nullptr; }

    bool OnInit(ui::Controls& controls) override {
        ++inits;
        // The timer first: a dialog whose presenter threw is still ended by it.
        if (!controls.StartTimer(kScriptTimer, 1)) controls.EndDialog(kNoTimer);
        if (throwInInit) throw std::runtime_error("init");
        if (onInit) onInit(controls);
        return true;
    }
    bool OnCommand(ui::Controls& controls, int id, int code) override {
        commands.emplace_back(id, code);
        if (id == throwOnCommand) throw std::runtime_error("command");
        if (id != IDOK || code != BN_CLICKED) return false;
        ended_ = true;
        controls.EndDialog(IDOK);
        return true;
    }
    ui::NotifyAnswer OnNotify(ui::Controls& controls, const ui::Notification& n) override {
        notifications.push_back(n);
        return answer ? answer(static_cast<HWND>(controls.Window()), n) : ui::NotifyAnswer{};
    }
    bool OnSetCursor(ui::Controls&, const ui::CursorEvent& event) override {
        cursors.push_back(event);
        return true;
    }
    StaticColours OnControlColour(ui::Controls&, int controlId, ui::Canvas& canvas) override {
        colours.emplace_back(controlId, canvas.Bounds());
        if (fill != 0) canvas.Fill(canvas.Bounds(), fill);
        return StaticColours::kDefault;
    }
    bool OnMouseMove(ui::Controls&, int x, int y) override {
        moves.emplace_back(x, y);
        return true;
    }
    bool OnTimer(ui::Controls& controls, std::uintptr_t timerId) override {
        timers.push_back(timerId);
        HWND dialog = static_cast<HWND>(controls.Window());
        // A modal dialog is shown once its queue is first empty: wait for that.
        if (timerId != kScriptTimer || !IsWindowVisible(dialog)) return true;
        controls.StopTimer(timerId);
        if (Script script = std::exchange(script_, nullptr)) script(dialog, *this);
        if (!ended_) controls.EndDialog(kScriptEnded);
        return true;
    }

    // Set before the dialog runs or by the script.
    bool throwInInit = false;
    int throwOnCommand = -1;
    std::function<void(ui::Controls&)> onInit;
    Answerer answer;
    std::uint32_t fill = 0;

    // What arrived.
    int inits = 0;
    std::vector<std::pair<int, int>> commands;
    std::vector<ui::Notification> notifications;
    std::vector<ui::CursorEvent> cursors;
    std::vector<std::pair<int, ui::Rect>> colours;
    std::vector<std::pair<int, int>> moves;
    std::vector<std::uintptr_t> timers;

  private:
    Script script_;
    bool ended_ = false;
};

bool Contains(const std::vector<std::pair<int, int>>& pairs, int first, int second) {
    for (const auto& pair : pairs) {
        if (pair.first == first && pair.second == second) return true;
    }
    return false;
}

std::vector<ui::Notification> WithCode(const std::vector<ui::Notification>& all, int code) {
    std::vector<ui::Notification> found;
    for (const ui::Notification& n : all) {
        if (n.code == code) found.push_back(n);
    }
    return found;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

ui::DateTime DateTimeOf(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
            t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
}

// A key press on a control, as the keyboard delivers it.
void PressKey(HWND control, WPARAM key) {
    SendMessageW(control, WM_KEYDOWN, key, 1);
    SendMessageW(control, WM_KEYUP, key, 0xC0000001);
}

// Dialogs of the real DLL's templates, made inside the activation context of its manifest.
class AdapterDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLastError(kSentinel);
        dll.reset(LoadLibraryW((ProgramFolder() + PLUGIN_DLL_NAME).c_str()));
        ASSERT_TRUE(dll) << "error " << GetLastError();
        module.Attach(dll.get());
        ASSERT_NE(nullptr, module.ActivationContext());
    }
    void TearDown() override { module.Detach(); }

    INT_PTR Run(int templateId, ui::Presenter& presenter) {
        return win32::RunPresenterDialog(dll.get(), static_cast<HANDLE>(module.ActivationContext()),
                                         templateId, nullptr, presenter);
    }

    win32::UniqueModule dll;
    win32::Win32Module module;
};

void SetCopiesSpin(ui::Controls& controls) {
    controls.SetUpDownRange(IDC_COPIES_GRAYSCALE_SPIN, 0, 10);
    controls.SetUpDownPosition(IDC_COPIES_GRAYSCALE_SPIN, 3);
}

TEST_F(AdapterDialog, EveryEventReachesThePresenterWithItsData) {
    LRESULT colourAnswer = 0;
    LRESULT defaultColours = 0;
    COLORREF filled = CLR_INVALID;
    RecordingPresenter presenter([&](HWND dialog, RecordingPresenter& self) {
        // A control's notification: WM_COMMAND with its id and code.
        SetDlgItemTextW(dialog, IDC_COPIES_COLOR, L"2");
        // The up-down's arrow key on its buddy: a real UDN_DELTAPOS.
        PressKey(GetDlgItem(dialog, IDC_COPIES_GRAYSCALE), VK_UP);
        // The pointer over a label (the label hands WM_SETCURSOR to its dialog), then over
        // the dialog where a click hits nothing.
        HWND label = GetDlgItem(dialog, IDC_COPIES_COLOR_LABEL);
        SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(TRUE, SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog),
                                     MAKELPARAM(static_cast<WORD>(HTERROR), WM_LBUTTONDOWN)))
            << "the presenter set the cursor: the sender must read TRUE";
        // The presenter draws on the device context the message brings; the default colours
        // are answered.
        win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        BITMAPINFO format = {};
        format.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, 8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        win32::UniqueGdiObject bitmap(
            CreateDIBSection(dc.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
        ASSERT_TRUE(dc && bitmap);
        const HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
        self.fill = RGB(0x20, 0x80, 0x40);
        colourAnswer = SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                    reinterpret_cast<LPARAM>(label));
        self.fill = 0;
        filled = GetPixel(dc.get(), 1, 1);
        defaultColours =
            DefWindowProcW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                           reinterpret_cast<LPARAM>(label));
        SelectObject(dc.get(), previous);
        // The pointer left of the client area, as it is reported while captured.
        SendMessageW(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(-3, 17));
        SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
    });
    presenter.onInit = SetCopiesSpin;

    EXPECT_EQ(IDOK, Run(IDD_COPIES_SETTING, presenter)) << "the OK click did not end the dialog";
    EXPECT_EQ(1, presenter.inits);
    ASSERT_FALSE(presenter.timers.empty());
    EXPECT_EQ(kScriptTimer, presenter.timers.front());

    EXPECT_TRUE(Contains(presenter.commands, IDC_COPIES_COLOR, EN_CHANGE));
    EXPECT_TRUE(Contains(presenter.commands, IDOK, BN_CLICKED));

    const auto deltas = WithCode(presenter.notifications, ui::kUdnDeltaPos);
    ASSERT_EQ(1u, deltas.size());
    EXPECT_EQ(IDC_COPIES_GRAYSCALE_SPIN, deltas[0].id);
    EXPECT_EQ(3, deltas[0].upDownPosition);
    EXPECT_EQ(1, deltas[0].upDownDelta);

    bool overLabel = false;
    bool overDialog = false;
    for (const ui::CursorEvent& event : presenter.cursors) {
        if (event.controlId == IDC_COPIES_COLOR_LABEL) {
            overLabel = true;
            EXPECT_EQ(HTCLIENT, event.hitTest);
            EXPECT_EQ(static_cast<std::uint32_t>(WM_MOUSEMOVE), event.mouseMessage);
        } else if (event.controlId == 0 && event.mouseMessage == WM_LBUTTONDOWN) {
            overDialog = true;
            EXPECT_EQ(HTERROR, event.hitTest);
        }
    }
    EXPECT_TRUE(overLabel) << "WM_SETCURSOR over the label did not name it";
    EXPECT_TRUE(overDialog) << "WM_SETCURSOR over the dialog did not name it with id 0";

    bool labelColoured = false;
    for (const auto& colour : presenter.colours) {
        labelColoured = labelColoured || colour.first == IDC_COPIES_COLOR_LABEL;
    }
    EXPECT_TRUE(labelColoured) << "the label's colours did not reach the presenter";
    EXPECT_EQ(RGB(0x20, 0x80, 0x40), filled) << "the canvas drew elsewhere";
    EXPECT_EQ(defaultColours, colourAnswer) << "the default colours must apply";

    EXPECT_TRUE(Contains(presenter.moves, -3, 17));
}

TEST_F(AdapterDialog, TheNotifyAnswerDecidesWhatTheSenderReads) {
    int refusedPosition = -1;
    std::wstring refusedText;
    int acceptedPosition = -1;
    LRESULT handledAnswer = 0;
    LONG_PTR handledResult = 0;
    LRESULT unhandledAnswer = -1;
    LONG_PTR unhandledResult = 0;
    RecordingPresenter presenter([&](HWND dialog, RecordingPresenter& self) {
        HWND buddy = GetDlgItem(dialog, IDC_COPIES_GRAYSCALE);
        // The up-down reads the answer to UDN_DELTAPOS: non-zero refuses the change.
        self.answer = [](HWND, const ui::Notification&) { return ui::NotifyAnswer{true, 1}; };
        PressKey(buddy, VK_UP);
        refusedPosition = static_cast<int>(
            SendDlgItemMessageW(dialog, IDC_COPIES_GRAYSCALE_SPIN, UDM_GETPOS32, 0, 0));
        refusedText = TextOf(buddy);
        self.answer = nullptr;
        PressKey(buddy, VK_UP);
        acceptedPosition = static_cast<int>(
            SendDlgItemMessageW(dialog, IDC_COPIES_GRAYSCALE_SPIN, UDM_GETPOS32, 0, 0));

        NMHDR header = {buddy, IDC_COPIES_GRAYSCALE, static_cast<UINT>(kUnknownCode)};
        self.answer = [](HWND, const ui::Notification&) { return ui::NotifyAnswer{true, 42}; };
        handledAnswer = SendMessageW(dialog, WM_NOTIFY, IDC_COPIES_GRAYSCALE,
                                     reinterpret_cast<LPARAM>(&header));
        handledResult = GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
        // The dialog manager clears DWLP_MSGRESULT before it calls the dialog procedure, so
        // the sentinel is put there from inside the presenter.
        self.answer = [](HWND window, const ui::Notification&) {
            SetWindowLongPtrW(window, DWLP_MSGRESULT, kMsgResultSentinel);
            return ui::NotifyAnswer{false, 7};
        };
        unhandledAnswer = SendMessageW(dialog, WM_NOTIFY, IDC_COPIES_GRAYSCALE,
                                       reinterpret_cast<LPARAM>(&header));
        unhandledResult = GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
        self.answer = nullptr;
    });
    presenter.onInit = SetCopiesSpin;
    EXPECT_EQ(kScriptEnded, Run(IDD_COPIES_SETTING, presenter));

    EXPECT_EQ(2u, WithCode(presenter.notifications, ui::kUdnDeltaPos).size());
    EXPECT_EQ(3, refusedPosition) << "the up-down did not read the presenter's refusal";
    EXPECT_EQ(L"3", refusedText);
    EXPECT_EQ(4, acceptedPosition) << "an unhandled UDN_DELTAPOS must let the change happen";

    const auto unknown = WithCode(presenter.notifications, kUnknownCode);
    ASSERT_EQ(2u, unknown.size());
    EXPECT_EQ(IDC_COPIES_GRAYSCALE, unknown[0].id);
    EXPECT_EQ(42, handledAnswer);
    EXPECT_EQ(42, handledResult);
    EXPECT_EQ(0, unhandledAnswer);
    EXPECT_EQ(kMsgResultSentinel, unhandledResult) << "an unhandled answer overwrote the result";
}

TEST_F(AdapterDialog, ADatePickersChangeBringsItsDate) {
    const SYSTEMTIME start = {2024, 2, 3, 28, 10, 30, 0, 0};
    SYSTEMTIME shown = {};
    LRESULT shownState = GDT_ERROR;
    std::vector<ui::Notification> changes;
    RecordingPresenter presenter([&](HWND dialog, RecordingPresenter& self) {
        HWND picker = GetDlgItem(dialog, IDC_HOLD_PRINT_AT_DATE);
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&start));
        ShowWindow(picker, SW_SHOW);
        SetFocus(picker);
        self.notifications.clear();
        // The arrow keys select the first field and step it up: a real DTN_DATETIMECHANGE.
        PressKey(picker, VK_RIGHT);
        PressKey(picker, VK_UP);
        shownState = SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
        // A picker that holds no date says so in the same notification.
        NMDATETIMECHANGE none = {};
        none.nmhdr = {picker, IDC_HOLD_PRINT_AT_DATE, static_cast<UINT>(DTN_DATETIMECHANGE)};
        none.dwFlags = GDT_NONE;
        SendMessageW(dialog, WM_NOTIFY, IDC_HOLD_PRINT_AT_DATE, reinterpret_cast<LPARAM>(&none));
        changes = WithCode(self.notifications, ui::kDtnDateTimeChange);
    });
    EXPECT_EQ(kScriptEnded, Run(IDD_PRINT_HOLD, presenter));

    ASSERT_EQ(GDT_VALID, shownState);
    ASSERT_EQ(2u, changes.size()) << "the key press sent no DTN_DATETIMECHANGE";
    const ui::Notification& changed = changes[0];
    EXPECT_EQ(IDC_HOLD_PRINT_AT_DATE, changed.id);
    ASSERT_TRUE(changed.dateTimeValid);
    EXPECT_EQ(DateTimeOf(shown), changed.dateTime) << "the notification's date is not the picker's";
    EXPECT_NE(DateTimeOf(start), DateTimeOf(shown)) << "the key press changed nothing";
    EXPECT_FALSE(changes[1].dateTimeValid);
}

TEST_F(AdapterDialog, AThrowingPresenterNeverTakesTheProcessDown) {
    RecordingPresenter commandThrows([](HWND dialog, RecordingPresenter&) {
        SetDlgItemTextW(dialog, IDC_COPIES_COLOR, L"2");
        SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
    });
    commandThrows.throwOnCommand = IDC_COPIES_COLOR;
    EXPECT_EQ(IDOK, Run(IDD_COPIES_SETTING, commandThrows))
        << "the dialog did not keep running after the presenter threw";
    EXPECT_TRUE(Contains(commandThrows.commands, IDC_COPIES_COLOR, EN_CHANGE));
    EXPECT_TRUE(Contains(commandThrows.commands, IDOK, BN_CLICKED));

    RecordingPresenter initThrows;
    initThrows.throwInInit = true;
    EXPECT_EQ(IDCANCEL, Run(IDD_COPIES_SETTING, initThrows))
        << "a dialog whose presenter could not start must end with IDCANCEL";
    EXPECT_EQ(1, initThrows.inits);
    EXPECT_TRUE(initThrows.timers.empty());
}

TEST_F(AdapterDialog, EnumeratingChildrenKeepsTheVisitorsExceptionInside) {
    std::vector<ui::ChildControl> children;
    bool complete = false;
    int visited = 0;
    bool completeAfterThrow = true;
    int windows = 0;
    RecordingPresenter presenter([&](HWND dialog, RecordingPresenter&) {
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            ++windows;
        }
        complete = win32::EnumerateChildren(
            dialog, [&](const ui::ChildControl& child) { children.push_back(child); });
        EXPECT_NO_THROW(completeAfterThrow =
                            win32::EnumerateChildren(dialog, [&](const ui::ChildControl&) {
                                if (++visited == 2) throw std::bad_alloc();
                            }));
    });
    EXPECT_EQ(kScriptEnded, Run(IDD_COPIES_SETTING, presenter));

    EXPECT_TRUE(complete);
    EXPECT_EQ(static_cast<std::size_t>(windows), children.size());
    bool spinFound = false;
    for (const ui::ChildControl& child : children) {
        if (child.id != IDC_COPIES_GRAYSCALE_SPIN) continue;
        spinFound = true;
        EXPECT_EQ(u"msctls_updown32", child.className);
        EXPECT_NE(0u, child.style & UDS_ARROWKEYS);
    }
    EXPECT_TRUE(spinFound);
    EXPECT_FALSE(completeAfterThrow) << "a walk ended by an exception must answer false";
    EXPECT_EQ(2, visited) << "the walk went on after the exception";
}

// --- The presenters on the real templates ----------------------------------------------------

// Runs a presenter and, once its dialog is shown, plays the user from a timer inside the
// modal loop; whatever the play did, the dialog is cancelled afterwards.
class PlayedPresenter final : public ui::Presenter {
  public:
    PlayedPresenter(ui::Presenter& inner, std::function<void(HWND)> play)
        : inner_(inner), play_(std::move(play)) {}
    profile::UiSession* session() const override { return inner_.session(); }
    bool OnInit(ui::Controls& controls) override {
        const bool result = inner_.OnInit(controls);
        controls.StartTimer(kScriptTimer, 10);
        return result;
    }
    bool OnCommand(ui::Controls& c, int id, int code) override {
        return inner_.OnCommand(c, id, code);
    }
    bool OnHelp(ui::Controls& c, int id) override { return inner_.OnHelp(c, id); }
    ui::NotifyAnswer OnNotify(ui::Controls& c, const ui::Notification& n) override {
        return inner_.OnNotify(c, n);
    }
    bool OnSetCursor(ui::Controls& c, const ui::CursorEvent& e) override {
        return inner_.OnSetCursor(c, e);
    }
    StaticColours OnControlColour(ui::Controls& c, int id, ui::Canvas& canvas) override {
        return inner_.OnControlColour(c, id, canvas);
    }
    bool Paints() const override { return inner_.Paints(); }
    void OnPaint(ui::Controls& c, ui::Canvas& canvas) override { inner_.OnPaint(c, canvas); }
    bool OnMouseMove(ui::Controls& c, int x, int y) override { return inner_.OnMouseMove(c, x, y); }
    void OnDestroy(ui::Controls& c) override { inner_.OnDestroy(c); }
    bool OnTimer(ui::Controls& controls, std::uintptr_t timerId) override {
        if (timerId != kScriptTimer) return inner_.OnTimer(controls, timerId);
        const HWND dialog = static_cast<HWND>(controls.Window());
        if (!IsWindowVisible(dialog)) return true;
        controls.StopTimer(kScriptTimer);
        play_(dialog);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    }

  private:
    ui::Presenter& inner_;
    std::function<void(HWND)> play_;
};

// The Copies Setting presenter: the arrows of the real up-down control write the grey-scale
// field, the real edit reports every write (also the presenter's own) at once, and the range
// set on the real control stops the arrows at the job's copies.
using CopiesDialog = AdapterDialog;

TEST_F(CopiesDialog, ArrowsAndTypingOnTheRealControlsKeepTheSplitWithinTheTotal) {
    host::DEVMODEW dm{};
    dm.dmCopies = 5;
    dm.dmColor = host::kDmColorColor;
    dm.dmCollate = host::kDmCollateTrue;
    std::array<unsigned char, devmode::kSize> record{};
    host::OEMUIPSPARAM params{};
    params.pPublicDM = &dm;
    params.pOEMDM = record.data();
    profile::UiSession session{};
    session.hostParams = &params;
    session.grayscaleCopies = 2;
    session.colorCopies = 3;
    const platform::Platform ports{};
    ui::CopiesPresenter copies(ports, session);

    // (grey, colour) after each step.
    std::vector<std::pair<std::wstring, std::wstring>> seen;
    PlayedPresenter played(copies, [&](HWND dialog) {
        const HWND grey = GetDlgItem(dialog, IDC_COPIES_GRAYSCALE);
        const auto look = [&] {
            seen.emplace_back(TextOf(grey), TextOf(GetDlgItem(dialog, IDC_COPIES_COLOR)));
        };
        look();
        PressKey(grey, VK_UP);
        look();
        for (int i = 0; i < 3; ++i) PressKey(grey, VK_UP);
        look();
        SendMessageW(grey, EM_SETSEL, 0, -1);
        SendMessageW(grey, WM_CHAR, L'9', 1);
        look();
        PressKey(grey, VK_DOWN);
        look();
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, Run(IDD_COPIES_SETTING, played));

    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"2", L"3"},  // opened
        {L"3", L"2"},  // one arrow up
        {L"5", L"0"},  // three more: the range stops at the total
        {L"5", L"0"},  // 9 typed: put back to the total, colour 0
        {L"4", L"1"},  // an arrow down from the field's text
    };
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(4, session.grayscaleCopies);
    EXPECT_EQ(1, session.colorCopies);
}

// The count every leak check of the Wine tests relies on follows the objects made.
TEST(GdiObjectCount, FollowsObjectsMadeAndDeleted) {
    const int before = hostsim::GdiObjectsAlive();
    const HFONT font =
        CreateFontW(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                    CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, L"Arial");
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(before + 2, hostsim::GdiObjectsAlive());
    DeleteObject(font);
    DeleteObject(brush);
    EXPECT_EQ(before, hostsim::GdiObjectsAlive());
}

using Box = std::array<LONG, 4>;

// The job-monitor settings and About presenters with a session built for the installed
// TALEN sample printer: Wine's spooler keeps the printer data, the model files lie in the
// driver folder.
class InstalledPrinterDialogs : public AdapterDialog {
  protected:
    void SetUp() override {
        AdapterDialog::SetUp();
        if (HasFatalFailure()) return;
        model = hostsim::FindModel(L"Talen ColorPrint C5");
        ASSERT_NE(nullptr, model);
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallModel(*model, &error));
        ASSERT_TRUE(hostsim::StoreLanguageCode(model->printerName, L"EN"));
        printer = std::make_unique<hostsim::OpenedPrinter>(model->printerName);
        ASSERT_TRUE(*printer) << "OpenPrinterW error " << GetLastError();
        ports.registry = &registry;
        ports.heap = &heap;
        ports.spooler = &spooler;
        ports.profiles = &profiles;
        ports.system = &system;
        ASSERT_TRUE(profile::CreateReaders(ports, session));
        session.hostBlock = {printer->get(), reinterpret_cast<const char16_t*>(model->printerName),
                             nullptr};
        session.printerHandle = printer->get();
        profile::InitializeSession(ports, session);
        ASSERT_EQ(profile::kBrandTalen, session.brand);
    }

    INT_PTR Play(int templateId, ui::Presenter& presenter, std::function<void(HWND)> user) {
        PlayedPresenter played(presenter, std::move(user));
        return Run(templateId, played);
    }

    const hostsim::ModelSpec* model = nullptr;
    std::unique_ptr<hostsim::OpenedPrinter> printer;
    win32::Win32Registry registry;
    win32::Win32Heap heap;
    win32::Win32Spooler spooler;
    win32::Win32ProfileFiles profiles;
    win32::Win32SystemInfo system;
    platform::Platform ports;
    profile::UiSession session{};
};

// Typed, then one arrow up from the typed number on the real up-down; OK stores both. (The
// repair of stored values on opening is the hostile printer data test's.)
TEST_F(InstalledPrinterDialogs, LookoutStoresTheTypedAndSteppedInterval) {
    ASSERT_EQ(0u, winetest::SetPrinterDword(printer->get(), L"JLook_Enable", 0));
    ASSERT_EQ(0u, winetest::SetPrinterDword(printer->get(), L"JLook_Timeout", 61));
    ui::LookoutPresenter lookout(ports, session);
    const INT_PTR confirmed =
        Play(ui::DialogTemplate(ports, IDD_LOOKOUT_SETTINGS), lookout, [](HWND dialog) {
            const HWND field = GetDlgItem(dialog, IDC_LOOKOUT_INTERVAL);
            EXPECT_EQ(L"5", TextOf(field)) << "61 is out of range";
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            for (wchar_t c : {L'4', L'2'}) SendMessageW(field, WM_CHAR, c, 1);
            SendMessageW(field, WM_KEYDOWN, VK_UP, 1);
            SendMessageW(field, WM_KEYUP, VK_UP, 0xC0000001);
            EXPECT_EQ(L"43", TextOf(field));
            SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
    EXPECT_EQ(IDOK, confirmed);
    EXPECT_EQ(0, winetest::PrinterDword(printer->get(), L"JLook_Enable"));
    EXPECT_EQ(43, winetest::PrinterDword(printer->get(), L"JLook_Timeout"));
}

TEST_F(InstalledPrinterDialogs, AboutTakesTheSamplePicturesSizeAndPaintsIt) {
    // The sample picture (340 x 180 pixels) as the file holds it, at one point.
    const std::wstring picturePath = hostsim::DriverFolder3() + L"CVLC5Y.bmp";
    const win32::UniqueGdiObject bitmap(
        LoadImageW(nullptr, picturePath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    const win32::UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(bitmap && memory);
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    const COLORREF pictureAt = GetPixel(memory.get(), 30, 150);
    SelectObject(memory.get(), old);

    ui::AboutPresenter about(ports, session);
    COLORREF paintedAt = CLR_INVALID;
    COLORREF belowPicture = CLR_INVALID;
    const INT_PTR result = Play(IDD_ABOUT, about, [&](HWND dialog) {
        EXPECT_EQ(L"About Talen ColorPrint C5", TextOf(dialog));
        RECT client = {};
        GetClientRect(dialog, &client);
        EXPECT_EQ((Box{0, 0, 340, 228}),
                  (Box{client.left, client.top, client.right, client.bottom}));
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const HDC dc = GetDC(dialog);
        paintedAt = GetPixel(dc, 30, 150);
        belowPicture = GetPixel(dc, 5, 220);
        ReleaseDC(dialog, dc);
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(pictureAt, paintedAt) << "the picture at its own place";
    EXPECT_EQ(RGB(255, 255, 255), belowPicture) << "white below the picture";
}

TEST_F(InstalledPrinterDialogs, AboutLeavesNoGdiObjectBehind) {
    // Painted as a brand other than TALEN: the picture and four texts in their own fonts.
    session.brand = profile::kBrandVantora;
    const auto open = [&](int* whileOpen) {
        ui::AboutPresenter about(ports, session);
        return Play(IDD_ABOUT, about, [&](HWND dialog) {
            for (int i = 0; i < 3; ++i) {
                RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            }
            if (whileOpen != nullptr) *whileOpen = hostsim::GdiObjectsAlive();
            SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
    };
    // The first dialog of the process loads what the system keeps for every later one.
    ASSERT_EQ(IDOK, open(nullptr));
    const int before = hostsim::GdiObjectsAlive();
    int whileOpen = 0;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(IDOK, open(&whileOpen));
    EXPECT_GT(before, 0) << "the count is known";
    EXPECT_EQ(before, hostsim::GdiObjectsAlive()) << "while open: " << whileOpen;
}

// --- The dialog templates -------------------------------------------------------------------

// The checks are those a faulty template breaks: a template that does not load, a mirrored
// form that differs from its left-to-right form, a control that the code drives by id but
// that is of another class, a passcode field too narrow for the longest passcode, a template
// text that the sample language file has no key for.

void Destroy(HWND window) { DestroyWindow(window); }
using UniqueWindow = win32::UniqueAny<HWND, &Destroy>;

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool Mirrored(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0; }

// The child windows of a dialog in template order, as (id, class) pairs.
std::vector<std::pair<int, std::wstring>> ChildrenOf(HWND dialog) {
    std::vector<std::pair<int, std::wstring>> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.emplace_back(GetDlgCtrlID(child), ClassOf(child));
    }
    return children;
}

// Enters the activation context of the DLL's manifest (common controls 6), as the plug-in
// does for its dialogs, and creates dialogs from its templates under a hidden owner window.
class DialogTemplates : public AdapterDialog {
  protected:
    void SetUp() override {
        AdapterDialog::SetUp();
        if (HasFatalFailure()) return;
        ULONG_PTR cookie = 0;
        SetLastError(kSentinel);
        ASSERT_TRUE(ActivateActCtx(module.ActivationContext(), &cookie)) << GetLastError();
        activation.reset(cookie);

        // The common controls of the context, as the plug-in's dialogs get them.
        commonControls.reset(LoadLibraryW(L"comctl32.dll"));
        ASSERT_TRUE(commonControls);
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = reinterpret_cast<InitFn>(
            reinterpret_cast<void*>(GetProcAddress(commonControls.get(), "InitCommonControlsEx")));
        ASSERT_NE(nullptr, init);
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
        ASSERT_TRUE(init(&classes));

        owner.reset(CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                    nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(owner) << "error " << GetLastError();
    }

    // The dialog of template `id`, or null with a test failure.
    HWND Create(int id) {
        SetLastError(kSentinel);
        HWND dialog =
            CreateDialogParamW(dll.get(), MAKEINTRESOURCEW(id), owner.get(), QuietDialogProc, 0);
        EXPECT_NE(nullptr, dialog) << "template " << id << ": error " << GetLastError();
        if (dialog != nullptr) dialogs.emplace_back(dialog);
        return dialog;
    }

    // Both forms of a dialog: its left-to-right and its mirrored dialog window.
    std::vector<HWND> BothForms(int leftToRightId) {
        std::vector<HWND> forms;
        for (bool rightToLeft : {false, true}) {
            HWND dialog = Create(ui::MirroredTemplate(leftToRightId, rightToLeft));
            if (dialog != nullptr) forms.push_back(dialog);
        }
        return forms;
    }

    // The control `id` of `dialog`; fails the test when it is missing.
    static HWND Control(HWND dialog, int id) {
        HWND control = GetDlgItem(dialog, id);
        EXPECT_NE(nullptr, control) << "control " << id << (Mirrored(dialog) ? " (mirrored)" : "");
        return control;
    }

    // Released in reverse order: dialogs, owner, common controls, activation.
    win32::ActivationScope activation;
    win32::UniqueModule commonControls;
    UniqueWindow owner;
    std::vector<UniqueWindow> dialogs;
};

// Common controls 6 supply their own buttons, edits, statics and combo boxes; without the
// manifest's dependency the dialogs would get the older ones of user32.
TEST_F(DialogTemplates, EveryTemplateLoadsWithCommonControls6) {
    for (const ui::DialogTemplatePair& pair : ui::kDialogTemplates) {
        for (int id : {pair.leftToRight, pair.rightToLeft}) {
            HWND dialog = id != 0 ? Create(id) : nullptr;
            if (dialog == nullptr) continue;
            std::vector<int> olderControls;
            for (const auto& [child, className] : ChildrenOf(dialog)) {
                const auto procedure = GetWindowLongPtrW(GetDlgItem(dialog, child), GWLP_WNDPROC);
                HMODULE owning = nullptr;
                GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(procedure), &owning);
                if (owning != commonControls.get()) olderControls.push_back(child);
            }
            EXPECT_EQ(std::vector<int>{}, olderControls) << "template " << id;
        }
    }
}

// The mirrored form is the same dialog laid out from the right: same controls, same order.
TEST_F(DialogTemplates, MirroredFormsHaveTheControlsOfTheirLeftToRightForms) {
    for (const ui::DialogTemplatePair& pair : ui::kDialogTemplates) {
        SCOPED_TRACE("template " + std::to_string(pair.leftToRight));
        HWND plain = Create(pair.leftToRight);
        if (plain == nullptr) continue;
        EXPECT_FALSE(Mirrored(plain));
        if (pair.rightToLeft == 0) continue;  // switches its layout itself at start
        HWND mirrored = Create(pair.rightToLeft);
        if (mirrored == nullptr) continue;
        EXPECT_TRUE(Mirrored(mirrored)) << "template " << pair.rightToLeft;
        EXPECT_EQ(ChildrenOf(plain), ChildrenOf(mirrored)) << "(id, class) in child order";
    }
}

// The dialogs fill lists, move dates and count with up-down arrows by control id: a control
// of another class ignores those messages, a sorted list moves the entries away from the
// codes they stand for, an up-down without its buddy counts in no field.
TEST_F(DialogTemplates, ControlsDrivenByIdAreOfTheClassTheCodeExpects) {
    const struct {
        int dialog, id;
        const wchar_t* className;
        int buddy;
    } controls[] = {
        {IDD_PRINT_HOLD, IDC_HOLD_MODE, WC_COMBOBOXW, 0},
        {IDD_TROUBLESHOOTING, IDC_TROUBLE_DIAG_LIST, WC_COMBOBOXW, 0},
        {IDD_PRINT_HOLD, IDC_HOLD_PRINT_AT_DATE, DATETIMEPICK_CLASSW, 0},
        {IDD_PRINT_HOLD, IDC_HOLD_PRINT_AT_TIME, DATETIMEPICK_CLASSW, 0},
        {IDD_COPIES_SETTING, IDC_COPIES_GRAYSCALE_SPIN, UPDOWN_CLASSW, IDC_COPIES_GRAYSCALE},
        {IDD_LOOKOUT_SETTINGS, IDC_LOOKOUT_INTERVAL_SPIN, UPDOWN_CLASSW, IDC_LOOKOUT_INTERVAL},
    };
    for (const auto& c : controls) {
        for (HWND dialog : BothForms(c.dialog)) {
            HWND control = Control(dialog, c.id);
            EXPECT_EQ(Narrow(c.className), Narrow(ClassOf(control))) << c.id;
            if (c.className == std::wstring(WC_COMBOBOXW)) {
                EXPECT_EQ(0, GetWindowLongW(control, GWL_STYLE) & CBS_SORT) << c.id;
            }
            if (c.buddy != 0) {
                EXPECT_EQ(GetDlgItem(dialog, c.buddy),
                          reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0)))
                    << c.id << " drives its field";
            }
        }
    }
    // The date picker is Print and Hold's last child: child order is the tab order and the
    // order in which the dialog enumerates and localises its controls.
    for (HWND dialog : BothForms(IDD_PRINT_HOLD)) {
        EXPECT_EQ(IDC_HOLD_PRINT_AT_DATE,
                  GetDlgCtrlID(GetWindow(GetWindow(dialog, GW_CHILD), GW_HWNDLAST)));
    }
}

// A passcode is at most 20 digits. A single-line edit without horizontal scrolling refuses
// characters once its width is full (under Wine 19 of 20 arrived without ES_AUTOHSCROLL).
TEST_F(DialogTemplates, PasscodeFieldsHideTheirTextAndTakeTwentyDigits) {
    for (HWND dialog : BothForms(IDD_PRINT_HOLD)) {
        for (int id : {IDC_HOLD_PASSCODE, IDC_HOLD_CONFIRM}) {
            HWND edit = Control(dialog, id);
            SendMessageW(edit, EM_LIMITTEXT, 20, 0);
            for (int i = 0; i < 20; ++i) SendMessageW(edit, WM_CHAR, L'0' + i % 10, 0);
            EXPECT_EQ(L"01234567890123456789", TextOf(edit)) << id;
            EXPECT_NE(0, SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0)) << id;
        }
    }
    for (HWND dialog : BothForms(IDD_JOB_ACCOUNTING)) {
        for (int id : {IDC_ACCOUNT_PASSWORD, IDC_ACCOUNT_CONFIRM}) {
            EXPECT_NE(0, SendMessageW(Control(dialog, id), EM_GETPASSWORDCHAR, 0, 0)) << id;
        }
    }
}

// Template texts are keys into the dialog's section of the language text file; a text
// that the sample model does not list would stay untranslated.
TEST_F(DialogTemplates, EveryTemplateTextIsAKeyOfTheSampleLanguageFile) {
    const std::wstring file = std::wstring(MODELS_FOLDER) + L"\\CVLC5EN.DAT";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
    const std::pair<int, const wchar_t*> sections[] = {
        {IDD_PRINT_HOLD, L"Hold Dialog"},          {IDD_JOB_ACCOUNTING, L"Job Accounting Dialog"},
        {IDD_COPIES_SETTING, L"Copies Dialog"},    {IDD_TROUBLESHOOTING, L"Troubleshooting Dialog"},
        {IDD_LOOKOUT_SETTINGS, L"Lookout Dialog"}, {IDD_ABOUT, L"About Dialog"},
    };
    for (auto [dialogId, section] : sections) {
        for (HWND dialog : BothForms(dialogId)) {
            for (const auto& [id, className] : ChildrenOf(dialog)) {
                // A date picker's text is its date.
                if (className == DATETIMEPICK_CLASSW) continue;
                const std::wstring text = TextOf(GetDlgItem(dialog, id));
                if (text.empty()) continue;
                wchar_t value[512] = {};
                GetPrivateProfileStringW(section, text.c_str(), L"", value, 512, file.c_str());
                EXPECT_NE(L'\0', value[0]) << Narrow(section) << ": no key \"" << Narrow(text)
                                           << "\" (control " << id << ")";
            }
        }
    }
}

}  // namespace
