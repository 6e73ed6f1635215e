// The Win32 adapters in-process under Wine, against the real registry, loader and spooler:
// the help service finding and loading its control through the class key, raw jobs that
// always end their document, and the module's activation context made on first use.
#include <gtest/gtest.h>
#include <windows.h>

#include <winspool.h>

#include <atomic>
#include <cwctype>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fake_help/fake_help.h"
#include "model_install.h"
#include "platform/win32/owners.h"
#include "platform/win32/win32_platform.h"
#include "plugin/help_library.h"

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

// The folder of this program, where the build puts the plug-in DLL and the stand-ins, with
// its trailing "\".
std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L'\\') + 1);
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

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

// A registry value's type and bytes; REG_NONE with no bytes stands for a missing value.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

// False when the value is missing or cannot be read.
bool ReadValue(HKEY key, const wchar_t* name, RegistryValue* value) {
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value->type, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    value->bytes.resize(size);
    if (RegQueryValueExW(key, name, nullptr, &value->type, value->bytes.data(), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    value->bytes.resize(size);
    return true;
}

LONG WriteValue(HKEY key, const wchar_t* name, const RegistryValue& value) {
    return RegSetValueExW(key, name, 0, value.type, value.bytes.data(),
                          static_cast<DWORD>(value.bytes.size()));
}

// Each test sets the help control's class value. The value found is first copied to a value
// of its own beside it and put back from there afterwards; a copy that a run which died left
// behind is kept, so it is always the value from before any test.
constexpr wchar_t kSavedValueName[] = L"CvlAdapterTestSaved";

class AdapterHelp : public ::testing::Test {
  protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, kHelpClassKey, 0, nullptr, 0,
                                                 KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
        classKey.reset(key);
        RegistryValue saved;
        if (!ReadValue(key, kSavedValueName, &saved)) {
            if (!ReadValue(key, nullptr, &saved)) saved = {};
            ASSERT_EQ(ERROR_SUCCESS, WriteValue(key, kSavedValueName, saved));
        }
    }

    void TearDown() override {
        RegistryValue saved;
        if (!classKey || !ReadValue(classKey.get(), kSavedValueName, &saved)) return;
        if (saved.type == REG_NONE) {
            RegDeleteValueW(classKey.get(), nullptr);
        } else {
            WriteValue(classKey.get(), nullptr, saved);
        }
        RegDeleteValueW(classKey.get(), kSavedValueName);
    }

    void SetClassValue(DWORD type, const std::wstring& value) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(classKey.get(), nullptr, 0, type,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
    }

    const std::wstring fakePath = ProgramFolder() + L"fakehelp.dll";
    win32::Win32Platform platform;

  private:
    win32::UniqueRegKey classKey;
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
    EXPECT_EQ(Narrow(Lower(std::wstring(system) + L"\\hhctrl.ocx")), Narrow(Lower(loadedPath)));
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

// --- Raw jobs on the spooler -----------------------------------------------------------------

void EndDocument(HANDLE printer) { EndDocPrinter(printer); }
// A document started directly with StartDocPrinterW, ended with the owner.
using StartedDocument = win32::UniqueAny<HANDLE, &EndDocument>;

void CloseFile(HANDLE file) { CloseHandle(file); }
// An open file, held as null when absent (CreateFileW's INVALID_HANDLE_VALUE is not kept).
using UniqueFile = win32::UniqueAny<HANDLE, &CloseFile>;

std::vector<unsigned char> FileBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return bytes;
    UniqueFile file(opened);
    unsigned char buffer[256];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read != 0) {
        bytes.insert(bytes.end(), buffer, buffer + read);
    }
    return bytes;
}

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
    std::vector<unsigned char> bytes(48);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(0xA5 ^ i);
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
    EXPECT_EQ(bytes, FileBytes(firstFile)) << "the job's file does not hold exactly its bytes";

    std::uint32_t error = kSentinel;
    auto next = jobs.Start(printer->get(), u"Adapter raw job 2", U16(secondFile), &error);
    EXPECT_NE(nullptr, next) << "the first document was not ended: error " << error;
}

TEST_F(AdapterRawJobs, AnOwnerGoneWithoutWritingStillEndsItsDocument) {
    {
        std::uint32_t error = kSentinel;
        auto job = jobs.Start(printer->get(), u"Nothing written", U16(firstFile), &error);
        ASSERT_NE(nullptr, job) << "error " << error;
    }
    DOC_INFO_1W info = {};
    wchar_t name[] = L"After the empty job";
    wchar_t raw[] = L"RAW";
    info.pDocName = name;
    info.pOutputFile = secondFile.data();
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

}  // namespace
