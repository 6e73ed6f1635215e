#include "bench.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "devmode_calls.h"
#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "tree_host.h"

namespace hostsim {
namespace {

// A stretch after idling starts only once the cache's look-again window (half a second) has
// passed, so that the plug-in looks at each model file once, as in a real opening.
constexpr DWORD kIdleMilliseconds = 600;
constexpr long kIdleOpenings = 3;

long long Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Microseconds(long long ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(ticks) * 1e6 / frequency;
}

// The plug-in's time in one call: the wall time less what the host spent in its own
// functions meanwhile.
template <class Call>
double PlugInTime(Call&& call) {
    const long long host = HostCallbackTime::Total();
    const long long start = Ticks();
    call();
    const long long wall = Ticks() - start;
    return Microseconds(wall - (HostCallbackTime::Total() - host));
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Marks the start of a stretch for traces that count system calls per stretch; "-" starts
// one of the host's own work, which is not counted.
void Mark(const std::string& what) { OutputDebugStringA(("bench case: " + what).c_str()); }

// One opening of Printing Preferences, step by step, in plug-in microseconds.
struct Opening {
    double start = 0;     // DocumentPropertySheets, PROPSHEETUI_REASON_INIT
    double tree = 0;      // CommonUIProp twice: the size query, then the items
    double activate = 0;  // the tree callback, CPSUICB_REASON_SETACTIVE
    double destroy = 0;   // DocumentPropertySheets, PROPSHEETUI_REASON_DESTROY
    double Total() const { return start + tree + activate + destroy; }
};

// With a mark, the opening's plug-in calls are marked as that stretch.
Opening Open(host::IPrintOemUI* plugIn, HANDLE printer, const wchar_t* printerName,
             const std::string& mark = {}) {
    Opening opening;
    // The host's own preparation (its heap, the job's record) is neither timed nor counted.
    if (!mark.empty()) Mark("-");
    SheetHost sheet(plugIn, printer, printerName, true);
    if (!mark.empty()) Mark(mark);
    opening.start = PlugInTime([&] { sheet.Initialise(); });
    host::OEMUIOBJ uiObject = {};
    DocumentTreeHost tree(plugIn, sheet, &uiObject);
    opening.tree = PlugInTime([&] { tree.Build(); });
    opening.activate = PlugInTime([&] { tree.Callback(host::kCpsuicbReasonSetActive); });
    opening.destroy = PlugInTime([&] { sheet.Destroy(); });
    return opening;
}

// One build of the plug-in, loaded and ready.
struct Build {
    const char* label;
    std::wstring path;
    PluginLibrary library;
    HostDriverUI driver;
    host::IPrintOemUI* plugIn = nullptr;
};

// What one build showed on one model.
struct Samples {
    std::string name;  // "<brand>/<build>/", the start of its stretches' names
    Opening first;
    std::vector<double> start, tree, activate, destroy, total, idle;
    std::vector<double> devMode[3];
};

double Best(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Each build makes its openings and operations in a stretch of its own. Taking turns call by
// call spread a shared machine's load over both builds alike, but each build then slowed the
// other: the cached build's operations took up to six times as long right after the
// platform build's profile calls as in a stretch of their own.
std::vector<Samples> Measure(const std::vector<Build*>& builds, const ModelSpec& model,
                             HANDLE printer, long openings, long operations) {
    const std::wstring printerName = model.printerName;
    const std::string brand(printerName.begin(), printerName.begin() + printerName.find(L' '));
    std::vector<Samples> samples(builds.size());
    for (std::size_t b = 0; b < builds.size(); ++b) {
        samples[b].name = brand + "/" + builds[b]->label + "/";
        samples[b].first =
            Open(builds[b]->plugIn, printer, model.printerName, samples[b].name + "first opening");
    }
    for (std::size_t b = 0; b < builds.size(); ++b) {
        for (long i = 0; i < openings; ++i) {
            Samples& s = samples[b];
            const Opening o = Open(builds[b]->plugIn, printer, model.printerName,
                                   i == 0 ? s.name + "opening" : "");
            s.start.push_back(o.start);
            s.tree.push_back(o.tree);
            s.activate.push_back(o.activate);
            s.destroy.push_back(o.destroy);
            s.total.push_back(o.Total());
        }
    }
    // Each build keeps its own files and looks at them again after its own idle time, so
    // each opening here comes after idling for the build that makes it.
    for (long i = 0; i < std::min(openings, kIdleOpenings); ++i) {
        Mark("-");
        Sleep(kIdleMilliseconds);
        for (std::size_t b = 0; b < builds.size(); ++b) {
            Samples& s = samples[(b + static_cast<std::size_t>(i)) % builds.size()];
            const Build& build = *builds[(b + static_cast<std::size_t>(i)) % builds.size()];
            s.idle.push_back(Open(build.plugIn, printer, model.printerName,
                                  i == 0 ? s.name + "opening after idle" : "")
                                 .Total());
        }
    }

    Mark("-");
    auto own = NewRecord(0);
    CallDevMode(builds[0]->plugIn, host::kOemDmDefault, printer, nullptr, own.data());
    auto foreign = NewRecord(0x5A);
    auto out = NewRecord(0);
    struct Operation {
        const char* name;
        host::DWORD mode;
        void* in;
    };
    const Operation kinds[] = {{"default", host::kOemDmDefault, nullptr},
                               {"convert", host::kOemDmConvert, foreign.data()},
                               {"merge", host::kOemDmMerge, own.data()}};
    for (int k = 0; k < 3; ++k) {
        const Operation& op = kinds[k];
        for (std::size_t b = 0; b < builds.size(); ++b) {
            for (long i = 0; i < operations; ++i) {
                if (i == 0) Mark(samples[b].name + op.name);
                std::memcpy(out.data(), own.data(), own.size());
                samples[b].devMode[k].push_back(PlugInTime(
                    [&] { CallDevMode(builds[b]->plugIn, op.mode, printer, op.in, out.data()); }));
                if (i == 0) Mark("-");
            }
        }
    }
    return samples;
}

// Auto-configuration loads the SNMP module beside the plug-in, calls it and releases it on
// every run. This is what loading and releasing it alone cost, the same way, so that the
// opening of a model with auto-configuration on can be read with and without that share.
void ReportModuleLoad(HMODULE plugIn, long times) {
    wchar_t own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(plugIn, own, MAX_PATH);
    if (length < 5 || length >= MAX_PATH) return;
    const std::wstring path = std::wstring(own, length - 5) + L"N.DLL";
    std::vector<double> samples;
    for (long i = 0; i < times; ++i) {
        const long long start = Ticks();
        HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (module == nullptr) {
            std::printf("\n%ls: not loaded (error %lu)\n", path.c_str(), GetLastError());
            return;
        }
        (void)GetProcAddress(module, "SNMP_AutoUpdate");
        FreeLibrary(module);
        samples.push_back(Microseconds(Ticks() - start));
    }
    std::printf(
        "\nThe SNMP module alone, loaded and released as auto-configuration does on each run\n"
        "(LoadLibraryExW, GetProcAddress, FreeLibrary; no call): median %.0f, best %.0f of %ld.\n",
        Median(samples), Best(samples), times);
}

}  // namespace

int RunBench(long openings, long operations) {
    Build builds[] = {
        {"cached", PLUGIN_DLL_NAME, {}, {}, nullptr},
        {"platform", std::wstring(L"platformreads\\") + PLUGIN_DLL_NAME, {}, {}, nullptr}};
    int loaded = 0;
    for (Build& build : builds) {
        if (!build.library.Load(build.path.c_str())) {
            std::printf("%ls: not loaded (error %lu); its rows are left out\n", build.path.c_str(),
                        GetLastError());
            continue;
        }
        build.plugIn = build.library.CreatePlugIn();
        if (build.plugIn == nullptr) continue;
        build.plugIn->PublishDriverInterface(&build.driver);
        ++loaded;
        // Where the build lies in memory, for traces that count only the plug-in's own calls.
        const auto* base = reinterpret_cast<const unsigned char*>(build.library.module());
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        char line[96];
        std::snprintf(line, sizeof line, "bench module: %p %p", static_cast<const void*>(base),
                      static_cast<const void*>(base + nt->OptionalHeader.SizeOfImage));
        OutputDebugStringA(line);
    }
    if (loaded == 0) return 1;

    std::printf(
        "Plug-in time in microseconds (the host's own functions excluded) under Wine, %d-bit %ls.\n"
        "Opening: document sheet start, both document tree calls, activation, destroy. first:\n"
        "the process's first opening; median and best of %ld; idle: median of %ld, each after\n"
        "%lu ms idle; then the median of each step. DevMode: median of %ld operations each\n"
        "(convert of a foreign record, merge of an own). Profile reads: \"cached\" is the\n"
        "shipped DLL, \"platform\" its build that calls GetPrivateProfileStringW/IntW\n"
        "(platformreads\\%ls). Each build measures in a stretch of its own.\n\n",
        static_cast<int>(sizeof(void*) * 8), PLUGIN_DLL_NAME, openings,
        std::min(openings, kIdleOpenings), static_cast<unsigned long>(kIdleMilliseconds),
        operations, PLUGIN_DLL_NAME);
    std::printf("%-20s %-8s %7s %7s %7s %7s | %7s %7s %7s %7s | %7s %7s %7s\n", "model", "profile",
                "first", "median", "best", "idle", "start", "tree", "activate", "destroy",
                "default", "convert", "merge");
    bool any = false;
    for (const ModelSpec& model : SampleModels()) {
        std::wstring error;
        if (!InstallModel(model, &error)) {
            std::printf("%ls: install failed: %ls\n", model.printerName, error.c_str());
            continue;
        }
        StoreLanguageCode(model.printerName, L"EN");
        OpenedPrinter printer(model.printerName);
        if (!printer) continue;
        std::vector<Build*> loadedBuilds;
        for (Build& build : builds) {
            if (build.plugIn != nullptr) loadedBuilds.push_back(&build);
        }
        const std::vector<Samples> samples =
            Measure(loadedBuilds, model, printer.get(), openings, operations);
        for (std::size_t b = 0; b < samples.size(); ++b) {
            const Samples& s = samples[b];
            std::printf(
                "%-20.20ls %-8s %7.0f %7.0f %7.0f %7.0f | %7.0f %7.0f %7.0f %7.0f | %7.1f %7.1f "
                "%7.1f\n",
                b == 0 ? model.printerName : L"", loadedBuilds[b]->label, s.first.Total(),
                Median(s.total), Best(s.total), Median(s.idle), Median(s.start), Median(s.tree),
                Median(s.activate), Median(s.destroy), Median(s.devMode[0]), Median(s.devMode[1]),
                Median(s.devMode[2]));
        }
        std::fflush(stdout);
        any = true;
    }
    Mark("end");
    if (builds[0].plugIn != nullptr) ReportModuleLoad(builds[0].library.module(), openings);
    for (Build& build : builds) {
        if (build.plugIn != nullptr) build.plugIn->Release();
    }
    return any ? 0 : 1;
}

}  // namespace hostsim
