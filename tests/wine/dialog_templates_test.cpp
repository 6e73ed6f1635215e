// The dialog templates in the real DLL's resources, created by Wine's user32 and common
// controls inside the activation context of the DLL's own manifest, as the plug-in
// creates its dialogs: every template loads, carries the controls its dialog drives with
// the window classes and styles that dialog relies on, and the mirrored forms match.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include "plugin_host.h"
#include "ui/dialog_ids.h"

namespace {

struct ControlLayout {
    int id;
    const wchar_t* className;
};

struct DialogLayout {
    int id;                  // the left-to-right template
    const wchar_t* section;  // the dialog's section of the language text file
    std::vector<ControlLayout> controls;
};

constexpr wchar_t kButton[] = L"Button";
constexpr wchar_t kStatic[] = L"Static";
constexpr wchar_t kEdit[] = L"Edit";
constexpr wchar_t kComboBox[] = L"ComboBox";
constexpr wchar_t kDatePicker[] = L"SysDateTimePick32";
constexpr wchar_t kUpDown[] = L"msctls_updown32";

const std::vector<DialogLayout>& Dialogs() {
    static const std::vector<DialogLayout> dialogs = {
        {IDD_PRINT_HOLD,
         L"Hold Dialog",
         {{IDC_HOLD_OPTIONS_GROUP, kButton},
          {IDC_HOLD_MODE_LABEL, kStatic},
          {IDC_HOLD_MODE, kComboBox},
          {IDC_HOLD_STORE_JOB, kButton},
          {IDC_HOLD_STORE_PUBLIC, kButton},
          {IDC_HOLD_PRINT_AT_LABEL, kStatic},
          {IDC_HOLD_PRINT_AT_DATE, kDatePicker},
          {IDC_HOLD_PRINT_AT_TIME, kDatePicker},
          {IDC_HOLD_USER_ID_LABEL, kStatic},
          {IDC_HOLD_USER_ID, kEdit},
          {IDC_HOLD_USER_ID_HINT, kStatic},
          {IDC_HOLD_JOB_NAME_LABEL, kStatic},
          {IDC_HOLD_JOB_NAME, kEdit},
          {IDC_HOLD_JOB_NAME_HINT, kStatic},
          {IDC_HOLD_PASSCODE_LABEL, kStatic},
          {IDC_HOLD_PASSCODE, kEdit},
          {IDC_HOLD_PASSCODE_HINT_FIXED, kStatic},
          {IDC_HOLD_PASSCODE_HINT_RANGE, kStatic},
          {IDC_HOLD_CONFIRM_LABEL, kStatic},
          {IDC_HOLD_CONFIRM, kEdit},
          {IDC_HOLD_CONFIRM_HINT_FIXED, kStatic},
          {IDC_HOLD_CONFIRM_HINT_RANGE, kStatic},
          {IDC_DIALOG_OK, kButton},
          {IDC_DIALOG_CANCEL, kButton},
          {IDC_DIALOG_HELP, kButton}}},
        {IDD_JOB_ACCOUNTING,
         L"Job Accounting Dialog",
         {{IDC_ACCOUNT_OPTIONS_GROUP, kButton},
          {IDC_ACCOUNT_USER_ID_LABEL, kStatic},
          {IDC_ACCOUNT_USER_ID, kEdit},
          {IDC_ACCOUNT_USER_ID_HINT, kStatic},
          {IDC_ACCOUNT_PASSWORD_LABEL, kStatic},
          {IDC_ACCOUNT_PASSWORD, kEdit},
          {IDC_ACCOUNT_PASSWORD_HINT, kStatic},
          {IDC_ACCOUNT_CONFIRM_LABEL, kStatic},
          {IDC_ACCOUNT_CONFIRM, kEdit},
          {IDC_ACCOUNT_CONFIRM_HINT, kStatic},
          {IDC_DIALOG_OK, kButton},
          {IDC_DIALOG_CANCEL, kButton},
          {IDC_DIALOG_HELP, kButton}}},
        {IDD_COPIES_SETTING,
         L"Copies Dialog",
         {{IDC_COPIES_GROUP, kButton},
          {IDC_COPIES_COLOR_LABEL, kStatic},
          {IDC_COPIES_COLOR, kEdit},
          {IDC_COPIES_OF_LABEL, kStatic},
          {IDC_COPIES_TOTAL, kEdit},
          {IDC_COPIES_GRAYSCALE_LABEL, kStatic},
          {IDC_COPIES_GRAYSCALE, kEdit},
          {IDC_COPIES_GRAYSCALE_SPIN, kUpDown},
          {IDC_DIALOG_OK, kButton},
          {IDC_DIALOG_CANCEL, kButton},
          {IDC_DIALOG_HELP, kButton}}},
        {IDD_TROUBLESHOOTING,
         L"Troubleshooting Dialog",
         {{IDC_TROUBLE_LOOKOUT_GROUP, kButton},
          {IDC_TROUBLE_LOOKOUT_INTRO, kStatic},
          {IDC_TROUBLE_LOOKOUT_LAST_TOPIC, kStatic},
          {IDC_TROUBLE_LOOKOUT_SETTINGS, kButton},
          {IDC_TROUBLE_DIAG_GROUP, kButton},
          {IDC_TROUBLE_DIAG_INTRO, kStatic},
          {IDC_TROUBLE_DIAG_LIST, kComboBox},
          {IDC_TROUBLE_DIAG_PRINT, kButton},
          {IDC_TROUBLE_LINKS_GROUP, kButton},
          {IDC_TROUBLE_LINK_1, kStatic},
          {IDC_TROUBLE_LINK_2, kStatic},
          {IDC_TROUBLE_LINK_3, kStatic},
          {IDC_TROUBLE_LINK_4, kStatic},
          {IDC_TROUBLE_LINK_5, kStatic},
          {IDC_TROUBLE_LINK_6, kStatic},
          {IDC_TROUBLE_ABOUT, kButton},
          {IDC_TROUBLE_LOGO, kStatic},
          {IDC_TROUBLE_HELP, kButton}}},
        {IDD_LOOKOUT_SETTINGS,
         L"Lookout Dialog",
         {{IDC_LOOKOUT_ENABLE, kButton},
          {IDC_LOOKOUT_INTERVAL, kEdit},
          {IDC_LOOKOUT_INTERVAL_SPIN, kUpDown},
          {IDC_LOOKOUT_INTERVAL_LABEL, kStatic},
          {IDC_DIALOG_OK, kButton},
          {IDC_DIALOG_CANCEL, kButton}}},
        {IDD_ABOUT, L"About Dialog", {{IDC_DIALOG_OK, kButton}, {IDC_ABOUT_DETAILS, kStatic}}},
    };
    return dialogs;
}

// Every template id, both forms, from the table the plug-in chooses its templates with.
std::vector<int> AllTemplateIds() {
    std::vector<int> ids;
    for (const ui::DialogTemplatePair& pair : ui::kDialogTemplates) {
        ids.push_back(pair.leftToRight);
        if (pair.rightToLeft != 0) ids.push_back(pair.rightToLeft);
    }
    return ids;
}

const DialogLayout* LayoutFor(int leftToRightId) {
    for (const DialogLayout& layout : Dialogs()) {
        if (layout.id == leftToRightId) return &layout;
    }
    return nullptr;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }
LONG ExStyleOf(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE); }

// The direct children of a dialog as (id, lower-case class) pairs, sorted.
std::vector<std::pair<int, std::wstring>> ChildrenOf(HWND dialog) {
    std::vector<std::pair<int, std::wstring>> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        std::wstring name = ClassOf(child);
        std::transform(name.begin(), name.end(), name.begin(), std::towlower);
        children.emplace_back(GetDlgCtrlID(child), name);
    }
    std::sort(children.begin(), children.end());
    return children;
}

std::vector<std::pair<int, std::wstring>> Expected(const DialogLayout& layout) {
    std::vector<std::pair<int, std::wstring>> expected;
    for (const ControlLayout& control : layout.controls) {
        std::wstring name = control.className;
        std::transform(name.begin(), name.end(), name.begin(), std::towlower);
        expected.emplace_back(control.id, name);
    }
    std::sort(expected.begin(), expected.end());
    return expected;
}

// Loads the DLL, enters the activation context of its manifest (common controls 6) and
// creates dialogs from its templates under a hidden owner window.
class DialogTemplates : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load()) << "error " << GetLastError();
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(library.module(), path, MAX_PATH);
        ACTCTXW request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.hModule = library.module();
        request.lpResourceName = MAKEINTRESOURCEW(2);
        request.lpSource = path;
        context = CreateActCtxW(&request);
        ASSERT_NE(INVALID_HANDLE_VALUE, context) << "CreateActCtxW error " << GetLastError();
        ASSERT_TRUE(ActivateActCtx(context, &cookie)) << "error " << GetLastError();

        commonControls = LoadLibraryW(L"comctl32.dll");
        ASSERT_NE(nullptr, commonControls);
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = reinterpret_cast<InitFn>(
            reinterpret_cast<void*>(GetProcAddress(commonControls, "InitCommonControlsEx")));
        ASSERT_NE(nullptr, init);
        INITCOMMONCONTROLSEX classes = {sizeof classes, 0xFF};
        ASSERT_TRUE(init(&classes));

        owner = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, owner) << "error " << GetLastError();
    }

    void TearDown() override {
        for (HWND dialog : dialogs) DestroyWindow(dialog);
        if (owner != nullptr) DestroyWindow(owner);
        if (commonControls != nullptr) FreeLibrary(commonControls);
        if (cookie != 0) DeactivateActCtx(0, cookie);
        if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
    }

    // The dialog of template `id`, or null with a test failure.
    HWND Create(int id) {
        HWND dialog =
            CreateDialogParamW(library.module(), MAKEINTRESOURCEW(id), owner, QuietDialogProc, 0);
        EXPECT_NE(nullptr, dialog) << "template " << id << ": error " << GetLastError();
        if (dialog != nullptr) dialogs.push_back(dialog);
        return dialog;
    }

    // The control `id` of `dialog`; fails the test when it is missing.
    HWND Control(HWND dialog, int id) {
        HWND control = GetDlgItem(dialog, id);
        EXPECT_NE(nullptr, control) << "control " << id;
        return control;
    }

    // The style of control `id` of `dialog` (0, and a test failure, when it is missing).
    LONG Style(HWND dialog, int id) {
        HWND control = Control(dialog, id);
        return control != nullptr ? StyleOf(control) : 0;
    }

    // Both forms of a dialog: {left-to-right, mirrored} dialog windows.
    std::vector<HWND> BothForms(int leftToRightId) {
        std::vector<HWND> forms;
        for (bool rightToLeft : {false, true}) {
            HWND dialog = Create(ui::MirroredTemplate(leftToRightId, rightToLeft));
            if (dialog != nullptr) forms.push_back(dialog);
        }
        return forms;
    }

    hostsim::PluginLibrary library;
    HANDLE context = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie = 0;
    HMODULE commonControls = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> dialogs;
};

TEST_F(DialogTemplates, EveryTemplateLoadsWithExactlyItsControlsAndItsLayoutDirection) {
    for (int id : AllTemplateIds()) {
        SCOPED_TRACE("template " + std::to_string(id));
        const int leftToRight = ui::MirroredTemplate(id, false);
        const bool mirrored = id != leftToRight;
        const DialogLayout* layout = LayoutFor(leftToRight);
        ASSERT_NE(nullptr, layout) << "no left-to-right form known for " << id;
        HWND dialog = Create(id);
        if (dialog == nullptr) continue;

        EXPECT_EQ(Expected(*layout), ChildrenOf(dialog)) << "(id, class) of every child window";
        EXPECT_EQ(mirrored, (ExStyleOf(dialog) & WS_EX_LAYOUTRTL) != 0)
            << "extended style 0x" << std::hex << ExStyleOf(dialog);
    }
}

// The child windows come in template order: it is the tab order and the order in which the
// dialog's controls are enumerated and localised. The date picker comes after Help.
TEST_F(DialogTemplates, PrintAndHoldListsTheDatePickerLast) {
    for (HWND dialog : BothForms(IDD_PRINT_HOLD)) {
        HWND last = GetWindow(dialog, GW_CHILD);
        while (last != nullptr && GetWindow(last, GW_HWNDNEXT) != nullptr) {
            last = GetWindow(last, GW_HWNDNEXT);
        }
        EXPECT_EQ(IDC_HOLD_PRINT_AT_DATE, GetDlgCtrlID(last))
            << "template " << (ExStyleOf(dialog) & WS_EX_LAYOUTRTL ? "mirrored" : "left-to-right");
    }
}

TEST_F(DialogTemplates, MirroredFormsAreChosenOnlyForRightToLeftSystems) {
    for (const ui::DialogTemplatePair& pair : ui::kDialogTemplates) {
        SCOPED_TRACE("template " + std::to_string(pair.leftToRight));
        HWND plain = Create(ui::MirroredTemplate(pair.leftToRight, false));
        HWND chosen = Create(ui::MirroredTemplate(pair.leftToRight, true));
        if (plain == nullptr || chosen == nullptr) continue;
        EXPECT_EQ(0, ExStyleOf(plain) & WS_EX_LAYOUTRTL);
        // The About dialog has one template and switches its layout itself at start.
        EXPECT_EQ(pair.rightToLeft != 0, (ExStyleOf(chosen) & WS_EX_LAYOUTRTL) != 0);
    }
}

TEST_F(DialogTemplates, ModalDialogsArePopupsAndThoseWithHelpOfferTheTitleBarHelpButton) {
    for (int id : {IDD_PRINT_HOLD, IDD_JOB_ACCOUNTING, IDD_COPIES_SETTING, IDD_LOOKOUT_SETTINGS,
                   IDD_ABOUT}) {
        const bool hasHelpButton = id != IDD_LOOKOUT_SETTINGS && id != IDD_ABOUT;
        for (HWND dialog : BothForms(id)) {
            SCOPED_TRACE("dialog " + std::to_string(id));
            const LONG style = StyleOf(dialog);
            EXPECT_EQ(WS_POPUP | WS_CAPTION | WS_SYSMENU,
                      style & (WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU))
                << "style 0x" << std::hex << style;
            EXPECT_EQ(hasHelpButton, (ExStyleOf(dialog) & WS_EX_CONTEXTHELP) != 0);
            EXPECT_EQ(hasHelpButton, GetDlgItem(dialog, IDC_DIALOG_HELP) != nullptr);
            EXPECT_EQ(BS_DEFPUSHBUTTON, Style(dialog, IDC_DIALOG_OK) & 0x0F) << "Enter means OK";
        }
    }
}

TEST_F(DialogTemplates, PrintAndHoldFieldsHaveTheStylesTheDialogReliesOn) {
    for (HWND dialog : BothForms(IDD_PRINT_HOLD)) {
        const LONG modes = Style(dialog, IDC_HOLD_MODE);
        EXPECT_EQ(CBS_DROPDOWNLIST, modes & 0x03) << "the mode list takes no typing";
        EXPECT_EQ(0, modes & CBS_SORT) << "positions are those of the offered print modes";
        for (int id : {IDC_HOLD_PASSCODE, IDC_HOLD_CONFIRM}) {
            EXPECT_EQ(ES_PASSWORD | ES_NUMBER, Style(dialog, id) & (ES_PASSWORD | ES_NUMBER)) << id;
        }
        for (int id : {IDC_HOLD_USER_ID, IDC_HOLD_JOB_NAME}) {
            EXPECT_EQ(0, Style(dialog, id) & (ES_PASSWORD | ES_NUMBER)) << id;
        }
        // The print-at group appears only for delayed printing.
        for (int id : {IDC_HOLD_PRINT_AT_LABEL, IDC_HOLD_PRINT_AT_DATE, IDC_HOLD_PRINT_AT_TIME}) {
            EXPECT_EQ(0, Style(dialog, id) & WS_VISIBLE) << id;
        }
        EXPECT_NE(DTS_TIMEFORMAT, Style(dialog, IDC_HOLD_PRINT_AT_DATE) & DTS_TIMEFORMAT);
        EXPECT_EQ(DTS_TIMEFORMAT, Style(dialog, IDC_HOLD_PRINT_AT_TIME) & DTS_TIMEFORMAT);

        // The dialog moves the delayed-print time through the two pickers.
        HWND date = GetDlgItem(dialog, IDC_HOLD_PRINT_AT_DATE);
        HWND time = GetDlgItem(dialog, IDC_HOLD_PRINT_AT_TIME);
        SYSTEMTIME when = {2024, 3, 2, 5, 14, 30, 0, 0};
        for (HWND picker : {date, time}) {
            EXPECT_TRUE(SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID,
                                     reinterpret_cast<LPARAM>(&when)));
        }
        SYSTEMTIME day = {};
        SYSTEMTIME hour = {};
        EXPECT_EQ(GDT_VALID,
                  SendMessageW(date, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&day)));
        EXPECT_EQ(GDT_VALID,
                  SendMessageW(time, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&hour)));
        EXPECT_EQ(2024, day.wYear);
        EXPECT_EQ(5, day.wDay);
        EXPECT_EQ(14, hour.wHour);
        EXPECT_EQ(30, hour.wMinute);

        // The passcode hints are looked up under these texts and get the lengths put in.
        EXPECT_EQ(L"(0)", TextOf(GetDlgItem(dialog, IDC_HOLD_PASSCODE_HINT_FIXED)));
        EXPECT_EQ(L"(0)", TextOf(GetDlgItem(dialog, IDC_HOLD_CONFIRM_HINT_FIXED)));
        EXPECT_EQ(L"(0-9)", TextOf(GetDlgItem(dialog, IDC_HOLD_PASSCODE_HINT_RANGE)));
        EXPECT_EQ(L"(0-9)", TextOf(GetDlgItem(dialog, IDC_HOLD_CONFIRM_HINT_RANGE)));
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

TEST_F(DialogTemplates, JobAccountingHidesItsPasswordsButTakesAnyCharacter) {
    for (HWND dialog : BothForms(IDD_JOB_ACCOUNTING)) {
        for (int id : {IDC_ACCOUNT_PASSWORD, IDC_ACCOUNT_CONFIRM}) {
            EXPECT_EQ(ES_PASSWORD, Style(dialog, id) & (ES_PASSWORD | ES_NUMBER)) << id;
        }
        EXPECT_EQ(0, Style(dialog, IDC_ACCOUNT_USER_ID) & ES_PASSWORD);
        // Three hint labels, three distinct language keys.
        EXPECT_EQ(L"(4-32 Alphanumeric)(1)", TextOf(GetDlgItem(dialog, IDC_ACCOUNT_PASSWORD_HINT)));
        EXPECT_EQ(L"(4-32 Alphanumeric)(2)", TextOf(GetDlgItem(dialog, IDC_ACCOUNT_CONFIRM_HINT)));
    }
}

TEST_F(DialogTemplates, UpDownControlsDriveTheirEditFields) {
    struct Pair {
        int dialog, spin, edit;
    };
    for (const Pair& pair :
         {Pair{IDD_COPIES_SETTING, IDC_COPIES_GRAYSCALE_SPIN, IDC_COPIES_GRAYSCALE},
          Pair{IDD_LOOKOUT_SETTINGS, IDC_LOOKOUT_INTERVAL_SPIN, IDC_LOOKOUT_INTERVAL}}) {
        for (HWND dialog : BothForms(pair.dialog)) {
            SCOPED_TRACE("dialog " + std::to_string(pair.dialog));
            HWND spin = Control(dialog, pair.spin);
            HWND edit = Control(dialog, pair.edit);
            if (spin == nullptr || edit == nullptr) continue;
            EXPECT_EQ(edit, reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)))
                << "the up-down control found its field";
            SendMessageW(spin, UDM_SETRANGE32, 0, 60);
            SendMessageW(spin, UDM_SETPOS32, 0, 42);
            EXPECT_EQ(L"42", TextOf(edit)) << "the position shows as the field's number";
        }
    }
}

TEST_F(DialogTemplates, CopiesShowsTotalsReadOnlyAndLetsTheGreyCountBeTyped) {
    for (HWND dialog : BothForms(IDD_COPIES_SETTING)) {
        for (int id : {IDC_COPIES_COLOR, IDC_COPIES_TOTAL}) {
            EXPECT_EQ(ES_READONLY, Style(dialog, id) & (ES_READONLY | WS_TABSTOP)) << id;
        }
        const LONG grey = Style(dialog, IDC_COPIES_GRAYSCALE);
        EXPECT_EQ(WS_TABSTOP, grey & (ES_READONLY | WS_TABSTOP));
        EXPECT_EQ(0, grey & ES_NUMBER) << "the field has no character filter";
    }
}

TEST_F(DialogTemplates, LookoutSettingsTakeACheckAndDigits) {
    for (HWND dialog : BothForms(IDD_LOOKOUT_SETTINGS)) {
        EXPECT_NE(0, Style(dialog, IDC_LOOKOUT_INTERVAL) & ES_NUMBER);
        EXPECT_EQ(BS_AUTOCHECKBOX, Style(dialog, IDC_LOOKOUT_ENABLE) & 0x0F);
    }
}

TEST_F(DialogTemplates, TroubleshootingTemplatesAreChildPagesWithNotifyingLinks) {
    for (HWND page : BothForms(IDD_TROUBLESHOOTING)) {
        const LONG style = StyleOf(page);
        EXPECT_NE(0, style & WS_CHILD) << "style 0x" << std::hex << style;
        EXPECT_EQ(0, style & (WS_POPUP | WS_CAPTION)) << "style 0x" << std::hex << style;
        EXPECT_NE(0, ExStyleOf(page) & WS_EX_CONTROLPARENT);
        EXPECT_EQ(owner, GetParent(page));

        EXPECT_NE(0, Style(page, IDC_TROUBLE_LOOKOUT_LAST_TOPIC) & SS_NOTIFY) << "reports clicks";
        for (int n = 1; n <= 6; ++n) {
            const int id = IDC_TROUBLE_LINK_1 + n - 1;
            EXPECT_NE(0, Style(page, id) & SS_NOTIFY) << "link " << n << " reports clicks";
            EXPECT_EQ(L"URL_" + std::to_wstring(n), TextOf(GetDlgItem(page, id)));
        }
        const LONG list = Style(page, IDC_TROUBLE_DIAG_LIST);
        EXPECT_EQ(CBS_DROPDOWNLIST, list & 0x03);
        EXPECT_EQ(0, list & CBS_SORT) << "entries keep the model's order";
    }
}

TEST_F(DialogTemplates, TroubleshootingPageFitsIntoARealPropertySheet) {
    using CreatePageFn = HPROPSHEETPAGE(WINAPI*)(const PROPSHEETPAGEW*);
    using SheetFn = INT_PTR(WINAPI*)(const PROPSHEETHEADERW*);
    auto createPage = reinterpret_cast<CreatePageFn>(
        reinterpret_cast<void*>(GetProcAddress(commonControls, "CreatePropertySheetPageW")));
    auto sheet = reinterpret_cast<SheetFn>(
        reinterpret_cast<void*>(GetProcAddress(commonControls, "PropertySheetW")));
    ASSERT_NE(nullptr, createPage);
    ASSERT_NE(nullptr, sheet);

    for (bool rightToLeft : {false, true}) {
        const int id = ui::MirroredTemplate(IDD_TROUBLESHOOTING, rightToLeft);
        SCOPED_TRACE("template " + std::to_string(id));
        PROPSHEETPAGEW pageSpec = {};
        pageSpec.dwSize = sizeof pageSpec;
        pageSpec.dwFlags = PSP_USETITLE;
        pageSpec.hInstance = library.module();
        pageSpec.pszTemplate = MAKEINTRESOURCEW(id);
        pageSpec.pfnDlgProc = QuietDialogProc;
        pageSpec.pszTitle = L"Caption";
        HPROPSHEETPAGE page = createPage(&pageSpec);
        ASSERT_NE(nullptr, page);

        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS;
        header.hwndParent = owner;
        header.pszCaption = L"sheet";
        header.nPages = 1;
        header.phpage = &page;
        HWND frame = reinterpret_cast<HWND>(sheet(&header));
        ASSERT_NE(nullptr, frame) << "error " << GetLastError();
        dialogs.push_back(frame);

        HWND shown = reinterpret_cast<HWND>(SendMessageW(frame, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_NE(nullptr, shown);
        EXPECT_EQ(frame, GetParent(shown));
        EXPECT_NE(0, StyleOf(shown) & WS_CHILD);
        EXPECT_EQ(rightToLeft, (ExStyleOf(shown) & WS_EX_LAYOUTRTL) != 0);
        EXPECT_EQ(CBS_DROPDOWNLIST, Style(shown, IDC_TROUBLE_DIAG_LIST) & 0x03);
    }
}

// Template texts are keys into the dialog's section of the language text file; a text
// that the sample model does not list would stay untranslated.
TEST_F(DialogTemplates, EveryTemplateTextIsAKeyOfTheSampleLanguageFile) {
    const std::wstring file = std::wstring(MODELS_FOLDER) + L"\\CVLC5EN.DAT";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
    for (const DialogLayout& layout : Dialogs()) {
        for (HWND dialog : BothForms(layout.id)) {
            for (const ControlLayout& control : layout.controls) {
                // Edits and pickers show their values, not keys.
                if (wcscmp(control.className, kEdit) == 0) continue;
                if (wcscmp(control.className, kDatePicker) == 0) continue;
                const std::wstring text = TextOf(GetDlgItem(dialog, control.id));
                if (text.empty()) continue;
                wchar_t value[512] = {};
                GetPrivateProfileStringW(layout.section, text.c_str(), L"", value, 512,
                                         file.c_str());
                EXPECT_NE(L'\0', value[0]) << Narrow(layout.section) << ": no key \""
                                           << Narrow(text) << "\" (control " << control.id << ")";
            }
        }
    }
}

}  // namespace
