#include "printer_description.h"

#include <winspool.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace hostsim {
namespace {

std::wstring Widen(const std::string& text) {
    std::wstring out;
    for (char c : text) out.push_back(static_cast<unsigned char>(c));
    return out;
}

// "*Key Option/Translation: value": the option and its translation (the option when none).
bool SplitOption(const std::string& line, const std::string& key, std::string* option,
                 std::string* translation, std::string* value) {
    if (line.compare(0, key.size() + 1, key + " ") != 0) return false;
    const std::size_t colon = line.find(':', key.size() + 1);
    if (colon == std::string::npos) return false;
    std::string name = line.substr(key.size() + 1, colon - key.size() - 1);
    const std::size_t slash = name.find('/');
    *option = name.substr(0, slash);
    *translation = slash == std::string::npos ? *option : name.substr(slash + 1);
    *value = line.substr(colon + 1);
    return !option->empty();
}

std::string MainValue(const std::string& line, const std::string& key) {
    if (line.compare(0, key.size() + 1, key + ":") != 0) return {};
    std::string value = line.substr(key.size() + 1);
    const std::size_t first = value.find_first_not_of(" \t");
    const std::size_t last = value.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

// The platform's paper number of a page size keyword.
short PaperId(const std::string& keyword) {
    static const struct {
        const char* keyword;
        short id;
    } known[] = {{"Letter", DMPAPER_LETTER},
                 {"Legal", DMPAPER_LEGAL},
                 {"A3", DMPAPER_A3},
                 {"A4", DMPAPER_A4},
                 {"A5", DMPAPER_A5},
                 {"B5", DMPAPER_B5},
                 {"Executive", DMPAPER_EXECUTIVE},
                 {"Tabloid", DMPAPER_TABLOID},
                 {"Env10", DMPAPER_ENV_10},
                 {"EnvDL", DMPAPER_ENV_DL}};
    for (const auto& paper : known) {
        if (keyword == paper.keyword) return paper.id;
    }
    return 0;
}

// "[612 792]" in a page size's code: its width and height in points.
void Dimensions(const std::string& code, long* width, long* height) {
    const std::size_t open = code.find('[');
    if (open == std::string::npos) return;
    std::istringstream numbers(code.substr(open + 1));
    numbers >> *width >> *height;
}

}  // namespace

const PaperSize* PrinterDescription::Paper(const std::wstring& keyword) const {
    for (const PaperSize& paper : papers) {
        if (paper.keyword == keyword) return &paper;
    }
    return nullptr;
}

const PaperSize* PrinterDescription::PaperById(short id) const {
    for (const PaperSize& paper : papers) {
        if (paper.id != 0 && paper.id == id) return &paper;
    }
    return nullptr;
}

const PaperSize* PrinterDescription::PaperByName(const std::wstring& name) const {
    for (const PaperSize& paper : papers) {
        if (paper.keyword == name || paper.name == name) return &paper;
    }
    return nullptr;
}

PrinterDescription PrinterDescription::Read(const std::wstring& path) {
    PrinterDescription description;
    std::ifstream file(std::string(path.begin(), path.end()), std::ios::binary);
    std::string line;
    std::string option, translation, value;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (MainValue(line, "*ColorDevice") == "True") description.color = true;
        if (line.compare(0, 16, "*OpenUI *Duplex/") == 0 ||
            line.compare(0, 16, "*OpenUI *Duplex:") == 0) {
            description.duplex = true;
        }
        const std::string defaultPaper = MainValue(line, "*DefaultPageSize");
        if (!defaultPaper.empty()) description.defaultPaper = Widen(defaultPaper);
        const std::string defaultResolution = MainValue(line, "*DefaultResolution");
        if (!defaultResolution.empty()) {
            description.defaultResolution = std::atol(defaultResolution.c_str());
        }
        if (SplitOption(line, "*PageSize", &option, &translation, &value)) {
            PaperSize paper;
            paper.keyword = Widen(option);
            paper.name = Widen(translation);
            paper.id = PaperId(option);
            Dimensions(value, &paper.widthPoints, &paper.heightPoints);
            description.papers.push_back(paper);
        } else if (SplitOption(line, "*InputSlot", &option, &translation, &value)) {
            description.sources.push_back({Widen(option), Widen(translation)});
        } else if (SplitOption(line, "*Resolution", &option, &translation, &value)) {
            const long dpi = std::atol(option.c_str());
            if (dpi > 0) description.resolutions.push_back(dpi);
        }
    }
    return description;
}

PrinterDescription PrinterDescription::ForPrinter(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
    if (needed == 0) return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterDriverW(printer, nullptr, 2, buffer.data(), needed, &needed)) return {};
    const auto* driver = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
    return driver->pDataFile != nullptr ? Read(driver->pDataFile) : PrinterDescription{};
}

}  // namespace hostsim
