#include "gallery.h"

#include <windows.h>

#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "dialog_robot.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "tree_host.h"
#include "ui/dialog_ids.h"
#include "ui/print_hold_dialog.h"

namespace hostsim {
namespace {

// How long the robot waits for a window that a press should open.
constexpr DWORD kWaitMs = 5000;

// The rows of the index, in the order a user meets them: the document settings' dialogs,
// the printer settings' dialog, then the page and what its buttons open.
struct Row {
    const char* key;
    const char* label;
};
constexpr Row kRows[] = {
    {"print-and-hold-normal", "Print and Hold: Normal"},
    {"print-and-hold-proof", "Print and Hold: Proof"},
    {"print-and-hold-confidential", "Print and Hold: Confidential"},
    {"print-and-hold-store", "Print and Hold: Store"},
    {"print-and-hold-spool", "Print and Hold: Spool"},
    {"print-and-hold-delay", "Print and Hold: Delay (print at a time)"},
    {"print-and-hold-passcode-message", "Print and Hold: message on a wrong passcode"},
    {"copies-setting", "Copies Setting"},
    {"copies-warning", "Copies changed while they are split: warning"},
    {"job-accounting", "Job Accounting (printer settings)"},
    {"job-accounting-password-message", "Job Accounting: message on a wrong password"},
    {"troubleshooting", "Troubleshooting page"},
    {"lookout-settings", "Job Lookout settings (from the page's Settings button)"},
    {"about", "About (from the page's About button)"},
};

// The rows taken on a right-to-left system, where the dialogs load their mirrored forms.
constexpr const char* kMirroredSuffix = "-rtl";

// The row of each print mode, by the mode's number.
constexpr const char* kModeRows[ui::kModeCount] = {
    "print-and-hold-normal", "print-and-hold-proof", "print-and-hold-confidential",
    "print-and-hold-store",  "print-and-hold-spool", "print-and-hold-delay"};

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring WindowTitle(HWND window) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return title;
}

// Waits until `window` is gone; false when it is still there after the wait.
bool WaitClosed(HWND window) {
    for (int i = 0; i < 250 && IsWindow(window); ++i) Sleep(20);
    return !IsWindow(window);
}

// Ends a modal window with `answer` as if its button were pressed, from any thread.
void Answer(HWND window, int answer) {
    if (window == nullptr || !IsWindow(window)) return;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, answer)));
    if (!WaitClosed(window)) PostMessageW(window, WM_CLOSE, 0, 0);
}

// Takes the pictures of one column into the gallery folder.
class Camera {
  public:
    Camera(const std::wstring& folder, GalleryColumnResult& result, bool mirrored)
        : folder_(folder), result_(result), suffix_(mirrored ? kMirroredSuffix : "") {}

    bool Shoot(HWND window, const std::string& row) {
        const std::string key = row + suffix_;
        const std::wstring file = result_.column.Label() + L"-" + Widen(key) + L".png";
        if (window == nullptr || !CaptureWindow(window, folder_ + L"\\" + file)) {
            Missed(row);
            return false;
        }
        result_.pictures[key] = {file, WindowTitle(window)};
        return true;
    }
    void Missed(const std::string& row) { result_.failed.push_back(row + suffix_); }

  private:
    const std::wstring& folder_;
    GalleryColumnResult& result_;
    std::string suffix_;
};

// Runs `open` on this thread, where it opens a modal window and returns once the window is
// closed; meanwhile a robot thread waits for the window and hands it to `play`, which takes
// its pictures. The window is cancelled after the play, should the play leave it open.
// `play` gets the robot and the window, or null when none came.
template <class Open, class Play>
void WithModal(Open&& open, Play&& play) {
    DialogRobot robot(GetCurrentThreadId());
    while (robot.Wait(nullptr, 0) != nullptr) {
        // The windows already open (a sheet) are not the one looked for.
    }
    std::thread user([&] {
        HWND window = robot.Wait(nullptr, kWaitMs);
        play(robot, window);
        Answer(window, IDCANCEL);
    });
    open();
    user.join();
}

// In an open dialog, provokes the message that a refused entry shows by pressing OK (posted:
// the message box runs inside the press), pictures it and answers it.
void ShootRefusal(Camera& camera, DialogRobot& robot, HWND dialog, const std::string& row) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    HWND box = robot.Wait(nullptr, kWaitMs);
    camera.Shoot(box, row);
    Answer(box, IDOK);
}

// What the column's text file calls each print mode in Print and Hold, as the dialog lists
// it: the value of the mode's key in "Hold Dialog", or the key itself when it has none.
struct ModeLabel {
    std::wstring label;
    int mode;
};
std::vector<ModeLabel> ModeLabels(const GalleryColumn& column) {
    const std::wstring textFile = ModelsFolder() + L"\\" + column.base + column.language + L".DAT";
    std::vector<ModeLabel> labels;
    auto add = [&](const char16_t* key, int mode) {
        const auto* name = reinterpret_cast<const wchar_t*>(key);
        wchar_t value[256] = {};
        GetPrivateProfileStringW(L"Hold Dialog", name, name, value, 256, textFile.c_str());
        labels.push_back({value, mode});
    };
    for (int mode = 0; mode < ui::kModeCount; ++mode) add(ui::kPrintModeNames[mode], mode);
    // The label of encrypted confidential jobs.
    add(u"Confidentional1", ui::kModeConfidentional);
    return labels;
}

std::wstring ComboEntry(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    wchar_t text[256] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) < 256) {
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    }
    return text;
}

// Print and Hold in each mode it offers, and the message on a passcode that does not match
// its confirmation.
void PlayPrintAndHold(Camera& camera, const GalleryColumn& column, DialogRobot& robot,
                      HWND dialog) {
    if (dialog == nullptr) return camera.Missed("print-and-hold-normal");
    const std::vector<ModeLabel> labels = ModeLabels(column);
    const int count =
        static_cast<int>(SendMessageW(GetDlgItem(dialog, IDC_HOLD_MODE), CB_GETCOUNT, 0, 0));
    int withPasscode = -1;
    for (int i = 0; i < count; ++i) {
        DialogRobot::Select(dialog, IDC_HOLD_MODE, i);
        const std::wstring entry = ComboEntry(dialog, IDC_HOLD_MODE, i);
        const auto known = std::find_if(labels.begin(), labels.end(),
                                        [&](const ModeLabel& l) { return l.label == entry; });
        camera.Shoot(dialog, known != labels.end() ? kModeRows[known->mode]
                                                   : "print-and-hold-entry-" + std::to_string(i));
        if (withPasscode < 0 && DialogRobot::IsShown(dialog, IDC_HOLD_PASSCODE)) withPasscode = i;
    }
    if (withPasscode < 0) return;
    DialogRobot::Select(dialog, IDC_HOLD_MODE, withPasscode);
    DialogRobot::SetText(dialog, IDC_HOLD_PASSCODE, L"1234");
    DialogRobot::SetText(dialog, IDC_HOLD_CONFIRM, L"9");
    ShootRefusal(camera, robot, dialog, "print-and-hold-passcode-message");
}

// The host driver's interface as the driver of a printer with every installable option
// answers it: asked whether an option (the hard disk) is installed, it says "True", so that
// Print and Hold lists every mode that a model offers with job storage.
class EquippedDriverUI final : public host::IPrintOemDriverUI {
  public:
    host::HRESULT HOST_CALL QueryInterface(const host::GUID& iid, void** out) override {
        if (out == nullptr) return host::kEPointer;
        if (iid == host::kIidUnknown || iid == host::kIidPrintOemDriverUI) {
            *out = static_cast<host::IPrintOemDriverUI*>(this);
            AddRef();
            return host::kSOk;
        }
        *out = nullptr;
        return host::kENoInterface;
    }
    // The object outlives every plug-in object it is published to.
    host::ULONG HOST_CALL AddRef() override { return 2; }
    host::ULONG HOST_CALL Release() override { return 1; }
    host::HRESULT HOST_CALL DrvGetDriverSetting(void*, const char*, void* output, host::DWORD size,
                                                host::DWORD* needed,
                                                host::DWORD* options) override {
        static constexpr char kInstalled[] = "True";
        if (needed != nullptr) *needed = sizeof kInstalled;
        if (output == nullptr || size < sizeof kInstalled) return host::kEFail;
        std::memcpy(output, kInstalled, sizeof kInstalled);
        if (options != nullptr) *options = 1;
        return host::kSOk;
    }
    host::HRESULT HOST_CALL DrvUpgradeRegistrySetting(host::HANDLE, const char*,
                                                      const char*) override {
        return host::kENotImpl;
    }
    host::HRESULT HOST_CALL DrvUpdateUISetting(void*, void*, host::DWORD, host::DWORD) override {
        return host::kSOk;
    }
};

bool Offered(const host::OPTITEM* item) {
    return item != nullptr && item->pOptType != nullptr && (item->Flags & host::kOptifHide) == 0;
}

// The document settings: the tree's Print and Hold and Copies Setting buttons, and the
// warning when the copies change while they are split.
void DocumentDialogs(host::IPrintOemUI* plugIn, HANDLE printer, const GalleryColumn& column,
                     Camera& camera) {
    SheetHost sheet(plugIn, printer, column.model->printerName, true);
    // Four colour copies, so that Copies Setting has copies to split; the sheet asks the
    // driver which options are installed.
    sheet.publicDevmode().dmCopies = 4;
    sheet.publicDevmode().dmColor = host::kDmColorColor;
    sheet.publicDevmode().dmCollate = host::kDmCollateTrue;
    host::OEMUIOBJ uiObject = {};
    sheet.param().poemuiobj = &uiObject;
    sheet.Initialise();
    DocumentTreeHost tree(plugIn, sheet, &uiObject);
    tree.Build();
    tree.Callback(host::kCpsuicbReasonSetActive);
    if (Offered(tree.Own(0))) {
        WithModal([&] { tree.PressButton(0, nullptr); },
                  [&](DialogRobot& robot, HWND dialog) {
                      PlayPrintAndHold(camera, column, robot, dialog);
                  });
    }
    if (Offered(tree.Own(1))) {
        bool split = false;
        WithModal([&] { tree.PressButton(1, nullptr); },
                  [&](DialogRobot&, HWND dialog) {
                      if (!camera.Shoot(dialog, "copies-setting")) return;
                      DialogRobot::SetText(dialog, IDC_COPIES_GRAYSCALE, L"1");
                      DialogRobot::Click(dialog, IDOK);
                      split = WaitClosed(dialog);
                  });
        if (split) {
            WithModal([&] { tree.Change(tree.ItemById(host::kDmPubCopiesCollate), 2); },
                      [&](DialogRobot&, HWND box) {
                          camera.Shoot(box, "copies-warning");
                          Answer(box, IDNO);
                      });
        } else {
            camera.Missed("copies-warning");
        }
    }
    sheet.Destroy();
}

// The printer settings: the tree's Job Accounting button, and the message on a password
// that does not match its confirmation.
void PrinterDialogs(host::IPrintOemUI* plugIn, HANDLE printer, const GalleryColumn& column,
                    Camera& camera) {
    SheetHost sheet(plugIn, printer, column.model->printerName, false);
    sheet.Initialise();
    host::OEMUIOBJ uiObject = {};
    DocumentTreeHost tree(plugIn, sheet, &uiObject, DocumentTreeHost::Kind::kPrinter);
    tree.Build();
    tree.Callback(host::kCpsuicbReasonSetActive);
    if (Offered(tree.Own(0))) {
        WithModal([&] { tree.PressButton(0, nullptr); },
                  [&](DialogRobot& robot, HWND dialog) {
                      if (!camera.Shoot(dialog, "job-accounting")) return;
                      DialogRobot::SetText(dialog, IDC_ACCOUNT_PASSWORD, L"1234");
                      DialogRobot::SetText(dialog, IDC_ACCOUNT_CONFIRM, L"9");
                      ShootRefusal(camera, robot, dialog, "job-accounting-password-message");
                  });
    }
    sheet.Destroy();
}

// The template a page was added with, or 0.
int PageTemplate(const PROPSHEETPAGEW& page) {
    if ((page.dwFlags & PSP_DLGINDIRECT) != 0 || !IS_INTRESOURCE(page.pszTemplate)) return 0;
    return static_cast<int>(reinterpret_cast<ULONG_PTR>(page.pszTemplate));
}

// Presses a button of a page that opens a modal dialog, when the page shows it enabled.
void ShootPageDialog(Camera& camera, HWND page, int button, const std::string& row) {
    HWND control = GetDlgItem(page, button);
    if (control == nullptr || !IsWindowVisible(control) || !IsWindowEnabled(control)) return;
    WithModal(
        [&] {
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(control));
        },
        [&](DialogRobot&, HWND dialog) { camera.Shoot(dialog, row); });
}

// The pages the document sheet adds, in a sheet of their own, and the dialogs the
// Troubleshooting page's buttons open.
void SheetPages(host::IPrintOemUI* plugIn, HANDLE printer, const GalleryColumn& column,
                Camera& camera) {
    SheetHost sheet(plugIn, printer, column.model->printerName, true);
    sheet.Initialise();
    std::vector<int> templates;
    for (const PROPSHEETPAGEW& page : sheet.pageDescriptions()) {
        templates.push_back(PageTemplate(page));
    }
    for (int id : templates) {
        const bool trouble = ui::MirroredTemplate(id, false) == IDD_TROUBLESHOOTING;
        const std::string row = trouble ? "troubleshooting" : "page-" + std::to_string(id);
        const bool shown = sheet.ShowPage(0, [&](HWND window, HWND page) {
            camera.Shoot(window, row);
            if (!trouble) return;
            ShootPageDialog(camera, page, IDC_TROUBLE_LOOKOUT_SETTINGS, "lookout-settings");
            ShootPageDialog(camera, page, IDC_TROUBLE_ABOUT, "about");
        });
        if (!shown) camera.Missed(row);
    }
    sheet.Destroy();
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t') {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back().push_back(c);
        }
    }
    return fields;
}

std::string Html(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string Html(const std::wstring& text) { return Html(Utf8(text)); }

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

bool GalleryOnRightToLeftSystem() {
    const unsigned primary = PRIMARYLANGID(GetSystemDefaultLangID());
    return primary == LANG_ARABIC || primary == LANG_HEBREW;
}

std::vector<GalleryColumn> SampleGalleryColumns() {
    std::vector<GalleryColumn> columns;
    const std::wstring folder = ModelsFolder() + L"\\";
    for (const ModelSpec& model : SampleModels()) {
        std::wstring base = model.dataFile;
        base = base.substr(0, base.find(L'.'));
        const std::wstring version = folder + base + L".VER";
        if (GetPrivateProfileIntW(L"Version", L"LanguageDependent", 0, version.c_str()) != 1) {
            columns.push_back({&model, base, L""});
            continue;
        }
        std::vector<std::wstring> codes;
        WIN32_FIND_DATAW found;
        const std::wstring pattern = folder + base + L"??.DAT";
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name.size() == base.size() + 6) codes.push_back(name.substr(base.size(), 2));
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        std::sort(codes.begin(), codes.end());
        for (const std::wstring& code : codes) columns.push_back({&model, base, code});
    }
    return columns;
}

std::vector<GalleryColumnResult> TakeGallery(const std::vector<GalleryColumn>& columns,
                                             const std::wstring& folder) {
    const bool mirrored = GalleryOnRightToLeftSystem();
    EquippedDriverUI driver;
    PluginLibrary library;
    host::IPrintOemUI* plugIn = library.Load() ? library.CreatePlugIn() : nullptr;
    if (plugIn != nullptr) plugIn->PublishDriverInterface(&driver);
    std::vector<GalleryColumnResult> results;
    for (const GalleryColumn& column : columns) {
        GalleryColumnResult& result = results.emplace_back();
        result.column = column;
        Camera camera(folder, result, mirrored);
        if (plugIn == nullptr) {
            camera.Missed("plug-in");
            continue;
        }
        std::wstring error;
        if (!InstallModel(*column.model, &error)) {
            camera.Missed("install");
            continue;
        }
        OpenedPrinter printer(column.model->printerName);
        if (!printer) {
            camera.Missed("install");
            continue;
        }
        // A model with one text file reads it whatever the user's language.
        StoreLanguageCode(column.model->printerName,
                          column.language.empty() ? L"EN" : column.language.c_str());
        DocumentDialogs(plugIn, printer.get(), column, camera);
        PrinterDialogs(plugIn, printer.get(), column, camera);
        SheetPages(plugIn, printer.get(), column, camera);
    }
    if (plugIn != nullptr) plugIn->Release();
    return results;
}

std::vector<GalleryColumnResult> MergeGalleryRuns(const std::wstring& folder,
                                                  const std::vector<GalleryColumnResult>& results) {
    // Every sample column in its order, each with what any run took for it.
    const std::vector<GalleryColumn> columns = SampleGalleryColumns();
    std::vector<GalleryColumnResult> all(columns.size());
    std::vector<bool> used(columns.size(), false);
    // The merged result of a sample column, or null for a column that is none.
    auto slot = [&](const std::wstring& base, const std::wstring& language) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].base != base || columns[i].language != language) continue;
            all[i].column = columns[i];
            used[i] = true;
            return &all[i];
        }
        return static_cast<GalleryColumnResult*>(nullptr);
    };
    auto add = [&](GalleryColumnResult* result, const std::string& row,
                   const GalleryPicture* picture) {
        if (result == nullptr) return;
        // What a later run found replaces what an earlier one found.
        std::erase(result->failed, row);
        if (picture != nullptr) {
            result->pictures[row] = *picture;
        } else {
            result->pictures.erase(row);
            result->failed.push_back(row);
        }
    };
    const std::wstring path = folder + L"\\gallery.tsv";
    {
        std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"rb"));
        std::string line;
        for (int c = file != nullptr ? std::fgetc(file.get()) : EOF; c != EOF;
             c = std::fgetc(file.get())) {
            if (c != '\n') {
                line.push_back(static_cast<char>(c));
                continue;
            }
            const std::vector<std::string> f = Fields(line);
            line.clear();
            if (f.size() != 5) continue;
            const GalleryPicture picture = {Wide(f[3]), Wide(f[4])};
            add(slot(Wide(f[0]), Wide(f[1])), f[2], f[3].empty() ? nullptr : &picture);
        }
    }
    for (const GalleryColumnResult& result : results) {
        GalleryColumnResult* merged = slot(result.column.base, result.column.language);
        for (const auto& [row, picture] : result.pictures) add(merged, row, &picture);
        for (const std::string& row : result.failed) add(merged, row, nullptr);
    }
    std::vector<GalleryColumnResult> merged;
    std::string tsv;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!used[i]) continue;
        GalleryColumnResult& result = all[i];
        const std::string column = Utf8(result.column.base) + "\t" + Utf8(result.column.language);
        for (const auto& [row, picture] : result.pictures) {
            tsv +=
                column + "\t" + row + "\t" + Utf8(picture.file) + "\t" + Utf8(picture.title) + "\n";
        }
        for (const std::string& row : result.failed) tsv += column + "\t" + row + "\t\t\n";
        merged.push_back(std::move(result));
    }
    std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"wb"));
    if (file != nullptr) std::fwrite(tsv.data(), 1, tsv.size(), file.get());
    return merged;
}

bool WriteGalleryIndex(const std::wstring& folder,
                       const std::vector<GalleryColumnResult>& results) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Dialogs and pages by model and language</title>\n"
        "<style>\n"
        "table { border-collapse: collapse; }\n"
        "th, td { border: 1px solid #bbb; padding: 6px; vertical-align: top; }\n"
        "tbody th { text-align: left; max-width: 14em; }\n"
        "td.none { color: #666; font-style: italic; }\n"
        "td.failed { color: #a00; }\n"
        "figcaption { font-size: small; color: #444; }\n"
        "</style>\n</head>\n<body>\n"
        "<h1>Dialogs and pages of " +
        Html(std::wstring(PLUGIN_DLL_NAME)) +
        "</h1>\n"
        "<p>Each column is a sample model in one of its languages, each row a dialog, page or "
        "message as the plug-in shows it; under each picture, the window's title. Rows marked "
        "<em>mirrored</em> show the forms that a system whose default language is written "
        "right to left (here Hebrew) gets: the mirrored templates with the same texts, read in "
        "that system's code page.</p>\n<table>\n<thead>\n<tr><th rowspan=\"2\">Dialog or page</th>";
    // The model header spans the model's languages.
    for (std::size_t i = 0; i < results.size();) {
        std::size_t span = 1;
        while (i + span < results.size() &&
               results[i + span].column.model == results[i].column.model) {
            ++span;
        }
        html += "<th colspan=\"" + std::to_string(span) + "\">" +
                Html(results[i].column.model->printerName) + " (" + Html(results[i].column.base) +
                ")</th>";
        i += span;
    }
    html += "</tr>\n<tr>";
    for (const GalleryColumnResult& result : results) {
        html += "<th>" +
                (result.column.language.empty() ? std::string("one text file for every language")
                                                : Html(result.column.language)) +
                "</th>";
    }
    html += "</tr>\n</thead>\n<tbody>\n";
    // The known rows, then any that only a model showed (a page of another kind, a mode
    // entry that matches no label).
    auto anyHas = [&](const std::string& key) {
        return std::any_of(results.begin(), results.end(), [&](const GalleryColumnResult& r) {
            return r.pictures.count(key) != 0 ||
                   std::find(r.failed.begin(), r.failed.end(), key) != r.failed.end();
        });
    };
    std::vector<std::pair<std::string, std::string>> rows;
    for (const Row& row : kRows) {
        rows.emplace_back(row.key, row.label);
        const std::string mirrored = std::string(row.key) + kMirroredSuffix;
        if (anyHas(mirrored)) {
            rows.emplace_back(mirrored, std::string(row.label) + ", mirrored");
        }
    }
    for (const GalleryColumnResult& result : results) {
        for (const auto& [key, picture] : result.pictures) {
            const bool listed = std::any_of(rows.begin(), rows.end(),
                                            [&](const auto& row) { return row.first == key; });
            if (!listed) rows.emplace_back(key, key);
        }
    }
    for (const auto& [key, label] : rows) {
        html += "<tr><th scope=\"row\">" + Html(label) + "</th>";
        for (const GalleryColumnResult& result : results) {
            const auto picture = result.pictures.find(key);
            const bool failed =
                std::find(result.failed.begin(), result.failed.end(), key) != result.failed.end();
            if (picture != result.pictures.end()) {
                const std::string where =
                    Html(result.column.model->printerName) +
                    (result.column.language.empty() ? "" : ", " + Html(result.column.language));
                html += "<td><figure><img src=\"" + Html(picture->second.file) + "\" alt=\"" +
                        Html(label) + " (" + where + "): " + Html(picture->second.title) +
                        "\"><figcaption>" + Html(picture->second.title) +
                        "</figcaption></figure></td>";
            } else if (failed) {
                html += "<td class=\"failed\">no picture: it did not open</td>";
            } else {
                html += "<td class=\"none\">not offered by this model</td>";
            }
        }
        html += "</tr>\n";
    }
    html += "</tbody>\n</table>\n</body>\n</html>\n";

    const std::wstring path = folder + L"\\index.html";
    std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"wb"));
    if (file == nullptr) return false;
    const bool written = std::fwrite(html.data(), 1, html.size(), file.get()) == html.size();
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace hostsim
