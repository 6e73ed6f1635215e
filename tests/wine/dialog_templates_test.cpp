// The dialog templates in the real DLL's resources, created by Wine's user32 and common
// controls inside the activation context of the DLL's own manifest, as the plug-in creates
// its dialogs. The checks are those a faulty template breaks: a template that does not load,
// a mirrored form that differs from its left-to-right form, a control that the code drives
// by id but that is of another class, a passcode field too narrow for the longest passcode,
// a template text that the sample language file has no key for.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/owners.h"
#include "platform/win32/win32_platform.h"
#include "plugin_host.h"
#include "ui/dialog_ids.h"

namespace {

void Deactivate(ULONG_PTR cookie) { DeactivateActCtx(0, cookie); }
void Destroy(HWND window) { DestroyWindow(window); }
void Free(HMODULE module) { FreeLibrary(module); }
using UniqueActivation = win32::UniqueAny<ULONG_PTR, &Deactivate>;
using UniqueWindow = win32::UniqueAny<HWND, &Destroy>;
using UniqueModule = win32::UniqueAny<HMODULE, &Free>;

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

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

// Loads the DLL, enters the activation context of its manifest (common controls 6) and
// creates dialogs from its templates under a hidden owner window.
class DialogTemplates : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load()) << "error " << GetLastError();
        module.Attach(library.module());
        SetLastError(0xDEADBEEF);
        ASSERT_TRUE(ActivateActCtx(module.ActivationContext(), activation.put()))
            << "error " << GetLastError();

        // The common controls of the context, as the plug-in's dialogs get them.
        commonControls.reset(LoadLibraryW(L"comctl32.dll"));
        ASSERT_TRUE(commonControls);
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = reinterpret_cast<InitFn>(
            reinterpret_cast<void*>(GetProcAddress(commonControls.get(), "InitCommonControlsEx")));
        ASSERT_NE(nullptr, init);
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
        ASSERT_TRUE(init(&classes));

        SetLastError(0xDEADBEEF);
        owner.reset(CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                    nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(owner) << "error " << GetLastError();
    }

    // The dialog of template `id`, or null with a test failure.
    HWND Create(int id) {
        SetLastError(0xDEADBEEF);
        HWND dialog = CreateDialogParamW(library.module(), MAKEINTRESOURCEW(id), owner.get(),
                                         QuietDialogProc, 0);
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

    // Released in reverse order: dialogs, owner, activation, context, common controls, DLL.
    hostsim::PluginLibrary library;
    UniqueModule commonControls;
    win32::Win32Module module;
    UniqueActivation activation;
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
