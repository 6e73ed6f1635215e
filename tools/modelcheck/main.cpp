// modelcheck PROFILE [--json]: checks a printer model's files the way the plug-in reads them
// and reports, with file, section and key, every value it would silently replace by a
// default or leave unused. Exit status 0 when clean, 1 with findings, 2 when the profile
// cannot be read (or the command line is wrong).
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "modelcheck/model_check.h"
#include "modelcheck/report.h"

namespace {

constexpr char kUsage[] =
    "usage: modelcheck PROFILE [--json]\n"
    "  PROFILE  the model profile <base>u.INI; the model's other files lie in its folder\n"
    "  --json   one JSON object instead of lines\n";

int Run(const std::vector<std::filesystem::path>& args) {
    bool json = false;
    std::filesystem::path profile;
    int profiles = 0;
    for (const std::filesystem::path& arg : args) {
        if (arg == "--json") {
            json = true;
        } else {
            profile = arg;
            ++profiles;
        }
    }
    if (profiles != 1) {
        std::fputs(kUsage, stderr);
        return modelcheck::kExitUnreadable;
    }
    const modelcheck::Report report = modelcheck::CheckModelFile(profile);
    const std::string out = json ? modelcheck::RenderJson(report) : modelcheck::RenderText(report);
    std::fputs(out.c_str(), json || report.unreadable.empty() ? stdout : stderr);
    return modelcheck::ExitStatus(report);
}

}  // namespace

// Paths arrive as the system spells them: UTF-16 on Windows, bytes elsewhere.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    try {
        return Run(std::vector<std::filesystem::path>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "modelcheck: %s\n", e.what());
        return modelcheck::kExitUnreadable;
    }
}
