#include "package_check.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <set>
#include <utility>

#include "inf_file.h"

namespace pkgcheck {

void PackageTree::Add(std::string path, std::string content) {
    files_[inf::Lower(path)] = std::move(content);
}

void PackageTree::Remove(std::string_view path) { files_.erase(inf::Lower(path)); }

const std::string* PackageTree::Find(std::string_view path) const {
    const auto found = files_.find(inf::Lower(path));
    return found == files_.end() ? nullptr : &found->second;
}

namespace {

constexpr std::string_view kPrinterClassGuid = "{4D36E979-E325-11CE-BFC1-08002BE10318}";
constexpr std::string_view kDriverDirectory = "66000";  // GetPrinterDriverDirectory
constexpr std::size_t kMostFilesPerModel = 64;          // dependent files of one printer model

// The data sections that the system's NTPRINT.INF gives to the INFs that include it, with the
// driver files they name.
struct NtprintData {
    std::string_view section;
    std::string_view driverFile;
    std::string_view configFile;
};
constexpr NtprintData kNtprintData[] = {
    {"PSCRIPT_DATA", "PSCRIPT5.DLL", "PS5UI.DLL"},
    {"UNIDRV_DATA", "UNIDRV.DLL", "UNIDRVUI.DLL"},
    {"UNIDRV_BIDI_DATA", "UNIDRV.DLL", "UNIDRVUI.DLL"},
};
// Its install sections for Needs.
constexpr std::string_view kNtprintInstall[] = {"PSCRIPT.OEM", "UNIDRV.OEM",      "UNIDRV_BIDI.OEM",
                                                "TTFSUB.OEM",  "sRGBPROFILE.OEM", "LOCALE.OEM"};

const NtprintData* NtprintDataSection(std::string_view name) {
    for (const NtprintData& data : kNtprintData) {
        if (inf::EqualNoCase(data.section, name)) return &data;
    }
    return nullptr;
}

bool IsNtprintInstall(std::string_view name) {
    for (std::string_view section : kNtprintInstall) {
        if (inf::EqualNoCase(section, name)) return true;
    }
    return false;
}

bool StartsWithNoCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && inf::EqualNoCase(text.substr(0, start.size()), start);
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// The platform that SourceDisks sections are decorated with for a Models decoration:
// NTamd64 (or NTamd64.6.0) -> amd64.
std::string Platform(std::string_view decoration) {
    std::string platform = inf::Lower(decoration);
    if (platform.rfind("nt", 0) == 0) platform.erase(0, 2);
    return platform.substr(0, platform.find('.'));
}

int MachineOf(std::string_view platform) {
    if (platform == "x86") return 0x014C;
    if (platform == "amd64") return 0x8664;
    if (platform == "arm64") return 0xAA64;
    if (platform == "arm") return 0x01C4;
    if (platform == "ia64") return 0x0200;
    return 0;
}

std::string MachineName(int machine) {
    switch (machine) {
        case -1:
            return "not a PE file";
        case 0x014C:
            return "an x86 file";
        case 0x8664:
            return "an x64 file";
        case 0xAA64:
            return "an arm64 file";
        default:
            return "a file for machine " + std::to_string(machine);
    }
}

// The machine field of a PE file's header, or -1 when the bytes are not a PE file.
int PeMachine(const std::string& bytes) {
    auto byte = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]));
    };
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return -1;
    const std::size_t header = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
    if (header > bytes.size() || bytes.size() - header < 6) return -1;
    if (bytes.compare(header, 4, std::string("PE\0\0", 4)) != 0) return -1;
    return static_cast<int>(byte(header + 4) | byte(header + 5) << 8);
}

// A package path from INF path pieces ("\x86", "CVLU.DLL"): "/" between folders.
std::string JoinPath(std::initializer_list<std::string_view> pieces) {
    std::string path;
    for (std::string_view piece : pieces) {
        std::size_t start = 0;
        while (start <= piece.size()) {
            std::size_t end = piece.find_first_of("\\/", start);
            if (end == std::string_view::npos) end = piece.size();
            const std::string_view part = piece.substr(start, end - start);
            if (!part.empty() && part != ".") path += (path.empty() ? "" : "/") + std::string(part);
            start = end + 1;
        }
    }
    return path;
}

struct InstallSection {
    std::string name;
    std::string dataFile;
    std::vector<std::string> files;  // what its CopyFiles copy, each once
    std::string ini;                 // its one .INI file, when it has exactly one

    bool Copies(std::string_view file) const {
        for (const std::string& copied : files) {
            if (inf::EqualNoCase(copied, file)) return true;
        }
        return false;
    }
};

class Checker {
  public:
    Checker(const PackageTree& package, const Expectations& expected)
        : package_(package), expected_(expected) {}

    Report Run() {
        const std::string* text = package_.Find(expected_.infName);
        if (text == nullptr) {
            Problem("the package has no " + expected_.infName + " at its root");
            return report_;
        }
        inf_ = inf::InfFile::Parse(*text);
        for (const std::string& problem : inf_.problems()) {
            Problem(expected_.infName + " " + problem);
        }
        CheckVersion();
        CheckOwnSectionNames();
        CheckManufacturers();
        for (InstallSection& install : installs_) CheckInstall(install);
        CheckDestinationDirs();
        for (const std::string& architecture : expected_.architectures) {
            CheckArchitecture(architecture);
        }
        CheckSourceFilesUsed();
        CheckModelFiles();
        return report_;
    }

  private:
    void Problem(std::string text) {
        if (seen_.insert(text).second) report_.problems.push_back(std::move(text));
    }

    std::string VersionValue(std::string_view key) const {
        const inf::Line* line = inf_.FindKey("Version", key);
        return line == nullptr || line->fields.empty() ? "" : line->fields.front();
    }

    void CheckVersion() {
        if (inf_.Find("Version") == nullptr) Problem("[Version] is missing");
        const std::string signature = VersionValue("Signature");
        if (!inf::EqualNoCase(signature, "$Windows NT$") &&
            !inf::EqualNoCase(signature, "$Chicago$")) {
            Problem("[Version] Signature is \"" + signature + "\", not \"$Windows NT$\"");
        }
        if (!inf::EqualNoCase(VersionValue("Class"), "Printer")) {
            Problem("[Version] Class is \"" + VersionValue("Class") + "\", not Printer");
        }
        if (!inf::EqualNoCase(VersionValue("ClassGuid"), kPrinterClassGuid)) {
            Problem("[Version] ClassGuid is \"" + VersionValue("ClassGuid") +
                    "\", not the printer class " + std::string(kPrinterClassGuid));
        }
        if (VersionValue("Provider").empty()) Problem("[Version] names no Provider");
        CheckDriverVer();
        // A catalog named here is a file of the package like any other.
        if (const inf::Section* version = inf_.Find("Version")) {
            for (const inf::Line& line : version->lines) {
                if (!line.hasKey || !StartsWithNoCase(line.key, "CatalogFile")) continue;
                const std::string catalog = line.fields.empty() ? "" : line.fields.front();
                if (package_.Find(catalog) == nullptr) {
                    Problem("[Version] " + line.key + " names " + catalog +
                            ", which is not in the package");
                }
            }
        }
    }

    // DriverVer=mm/dd/yyyy,w.x.y.z
    void CheckDriverVer() {
        const inf::Line* line = inf_.FindKey("Version", "DriverVer");
        bool good = line != nullptr && line->fields.size() == 2;
        if (good) {
            const std::string& date = line->fields[0];
            const std::size_t slash1 = date.find('/');
            const std::size_t slash2 = date.find('/', slash1 == std::string::npos ? 0 : slash1 + 1);
            good = slash1 != std::string::npos && slash2 != std::string::npos;
            if (good) {
                const std::string month = date.substr(0, slash1);
                const std::string day = date.substr(slash1 + 1, slash2 - slash1 - 1);
                const std::string year = date.substr(slash2 + 1);
                good = AllDigits(month) && AllDigits(day) && AllDigits(year) && month.size() <= 2 &&
                       day.size() <= 2 && year.size() == 4 && std::stoi(month) >= 1 &&
                       std::stoi(month) <= 12 && std::stoi(day) >= 1 && std::stoi(day) <= 31;
            }
            std::string_view version = line->fields[1];
            int parts = 0;
            while (good) {
                const std::size_t dot = version.find('.');
                good = AllDigits(version.substr(0, dot)) && version.substr(0, dot).size() <= 5;
                ++parts;
                if (dot == std::string_view::npos) break;
                version.remove_prefix(dot + 1);
            }
            good = good && parts <= 4;
        }
        if (!good) {
            Problem("[Version] DriverVer \"" + (line == nullptr ? "" : line->text) +
                    "\" is not DriverVer=mm/dd/yyyy,w.x.y.z");
        }
    }

    // An INF that includes NTPRINT.INF must not define the sections that NTPRINT.INF defines.
    void CheckOwnSectionNames() {
        std::vector<std::string_view> names(std::begin(kNtprintInstall), std::end(kNtprintInstall));
        for (const NtprintData& data : kNtprintData) names.push_back(data.section);
        for (std::string_view name : names) {
            if (inf_.Find(name) != nullptr) {
                Problem("[" + std::string(name) + "] is a section of NTPRINT.INF; an INF that " +
                        "includes NTPRINT.INF must not define it");
            }
        }
    }

    void CheckManufacturers() {
        const inf::Section* manufacturers = inf_.Find("Manufacturer");
        if (manufacturers == nullptr || manufacturers->lines.empty()) {
            Problem("[Manufacturer] is missing or names no manufacturer");
            return;
        }
        for (const inf::Line& line : manufacturers->lines) {
            const std::string models = line.fields.empty() ? "" : line.fields.front();
            const std::string label =
                "manufacturer \"" + (line.hasKey ? line.key : models) + "\" of [Manufacturer]";
            if (models.empty()) {
                Problem(label + " names no Models section");
                continue;
            }
            // The undecorated section serves systems that know no decorations.
            ReadModels(models, "");
            std::vector<std::string> decorations;
            if (line.hasKey) decorations.assign(line.fields.begin() + 1, line.fields.end());
            for (const std::string& architecture : expected_.architectures) {
                bool listed = false;
                for (const std::string& decoration : decorations) {
                    listed = listed || inf::EqualNoCase(decoration, architecture);
                }
                if (!listed) Problem(label + " lists no " + architecture + " models");
            }
            for (const std::string& decoration : decorations) {
                if (!decoration.empty()) ReadModels(models + "." + decoration, decoration);
            }
        }
        // Every architecture offers the same models.
        std::vector<std::string> kinds = {""};
        for (const std::string& architecture : expected_.architectures) {
            kinds.push_back(inf::Lower(architecture));
        }
        std::set<std::string> all;
        for (const std::string& kind : kinds)
            all.insert(models_[kind].begin(), models_[kind].end());
        for (const std::string& kind : kinds) {
            for (const std::string& model : all) {
                if (models_[kind].count(model) == 0) {
                    Problem("model \"" + model + "\" is missing from the " +
                            (kind.empty() ? "undecorated" : kind) + " Models sections");
                }
            }
        }
    }

    void ReadModels(const std::string& name, const std::string& decoration) {
        const inf::Section* section = inf_.Find(name);
        if (section == nullptr) {
            Problem("[" + name + "] is missing: [Manufacturer] names it as a Models section");
            return;
        }
        if (section->lines.empty()) Problem("[" + name + "] lists no model");
        for (const inf::Line& line : section->lines) {
            if (!line.hasKey || line.fields.empty() || line.fields.front().empty()) {
                Problem("[" + name + "] line " + std::to_string(line.number) +
                        " is not \"model = install section\": " + line.text);
                continue;
            }
            models_[inf::Lower(decoration)].insert(line.key);
            const std::string& install = line.fields.front();
            if (inf_.Find(install) == nullptr) {
                Problem("model \"" + line.key + "\" of [" + name + "] names the install section [" +
                        install + "], which is missing");
                continue;
            }
            std::vector<std::string>& forDecoration = installsOf_[inf::Lower(decoration)];
            if (IndexOf(install) < 0) installs_.push_back(InstallSection{install, "", {}, ""});
            bool known = false;
            for (const std::string& listed : forDecoration) {
                known = known || inf::EqualNoCase(listed, install);
            }
            if (!known) forDecoration.push_back(install);
        }
    }

    int IndexOf(std::string_view install) const {
        for (std::size_t i = 0; i < installs_.size(); ++i) {
            if (inf::EqualNoCase(installs_[i].name, install)) return static_cast<int>(i);
        }
        return -1;
    }

    std::string DestinationOf(std::string_view fileList) const {
        const inf::Line* line = inf_.FindKey("DestinationDirs", fileList);
        if (line == nullptr) line = inf_.FindKey("DestinationDirs", "DefaultDestDir");
        return line == nullptr || line->fields.empty() ? "" : line->fields.front();
    }

    void CheckInstall(InstallSection& install) {
        const std::string label = "[" + install.name + "]";
        bool includesNtprint = false;
        for (const std::string& included : inf_.Values(install.name, "Include")) {
            includesNtprint = includesNtprint || inf::EqualNoCase(included, "NTPRINT.INF");
        }
        if (!includesNtprint)
            Problem(label + " does not include NTPRINT.INF (Include=NTPRINT.INF)");
        bool needsPscript = false;
        for (const std::string& needed : inf_.Values(install.name, "Needs")) {
            needsPscript = needsPscript || inf::EqualNoCase(needed, "PSCRIPT.OEM");
            if (inf_.Find(needed) == nullptr && !(includesNtprint && IsNtprintInstall(needed))) {
                Problem(label + " needs [" + needed + "], which neither this INF nor an included " +
                        "NTPRINT.INF defines");
            }
        }
        if (!needsPscript) {
            Problem(label + " does not need PSCRIPT.OEM: the PostScript driver is not installed");
        }

        // The driver's own DLLs: from data sections, then from the section itself.
        std::string driverFile;
        std::string configFile;
        auto take = [&](std::string_view section) {
            if (const inf::Line* line = inf_.FindKey(section, "DriverFile")) {
                if (!line->fields.empty()) driverFile = line->fields.front();
            }
            if (const inf::Line* line = inf_.FindKey(section, "ConfigFile")) {
                if (!line->fields.empty()) configFile = line->fields.front();
            }
        };
        for (const std::string& dataSection : inf_.Values(install.name, "DataSection")) {
            if (const NtprintData* data = NtprintDataSection(dataSection)) {
                if (!includesNtprint) {
                    Problem(label + " takes the data section " + dataSection +
                            " of NTPRINT.INF without including NTPRINT.INF");
                }
                driverFile = data->driverFile;
                configFile = data->configFile;
            } else if (inf_.Find(dataSection) != nullptr) {
                take(dataSection);
            } else {
                Problem(label + " names the data section [" + dataSection + "], which is missing");
            }
        }
        take(install.name);
        if (!inf::EqualNoCase(driverFile, "PSCRIPT5.DLL")) {
            Problem(label + " names the driver file \"" + driverFile +
                    "\", not the PostScript driver's PSCRIPT5.DLL");
        }
        if (!inf::EqualNoCase(configFile, "PS5UI.DLL")) {
            Problem(label + " names the configuration file \"" + configFile +
                    "\", not PS5UI.DLL, the PostScript driver's user interface that loads the "
                    "plug-in");
        }

        for (const std::string& item : inf_.Values(install.name, "CopyFiles")) {
            if (item.front() == '@') {
                AddCopied(install, item.substr(1));
                if (inf_.FindKey("DestinationDirs", "DefaultDestDir") == nullptr) {
                    Problem(label + " copies " + item + " with no DefaultDestDir to copy it to");
                }
                continue;
            }
            const inf::Section* list = inf_.Find(item);
            if (list == nullptr) {
                Problem(label + " copies the file list [" + item + "], which is missing");
                continue;
            }
            const std::string destination = DestinationOf(item);
            if (destination.empty()) {
                Problem("[" + item + "] has no destination in [DestinationDirs]");
            } else if (destination != kDriverDirectory) {
                Problem("[" + item + "] goes to directory " + destination +
                        ", not to the printer-driver directory 66000");
            }
            for (const inf::Line& line : list->lines) {
                if (line.hasKey || line.fields.empty() || line.fields.front().empty()) {
                    Problem("[" + item + "] line " + std::to_string(line.number) +
                            " is not a file name: " + line.text);
                    continue;
                }
                if (line.fields.size() > 1 && !line.fields[1].empty()) {
                    Problem("[" + item + "] line " + std::to_string(line.number) +
                            " names a source file; a printer INF names the destination only");
                }
                AddCopied(install, line.fields.front());
            }
        }

        const inf::Line* dataFile = inf_.FindKey(install.name, "DataFile");
        install.dataFile = dataFile != nullptr && !dataFile->fields.empty()
                               ? dataFile->fields.front()
                               : install.name;
        if (!install.Copies(install.dataFile)) {
            Problem(label + " does not copy its data file " + install.dataFile);
        }
        for (const std::string& family : expected_.familyFiles) {
            if (!install.Copies(family)) Problem(label + " does not copy " + family);
        }
        if (install.files.size() > kMostFilesPerModel) {
            Problem(label + " copies " + std::to_string(install.files.size()) +
                    " files; a printer model takes at most 64");
        }
        std::vector<std::string> inis;
        for (const std::string& file : install.files) {
            if (inf::EndsWithNoCase(file, ".INI")) inis.push_back(file);
        }
        if (inis.size() == 1) {
            install.ini = inis.front();
        } else {
            std::string names;
            for (const std::string& ini : inis) names += (names.empty() ? "" : ", ") + ini;
            Problem(label + " copies " + std::to_string(inis.size()) + " .INI files (" + names +
                    "); the PostScript driver looks for its plug-in in one, so there must be "
                    "exactly one");
        }
    }

    void AddCopied(InstallSection& install, const std::string& file) {
        copied_.insert(inf::Lower(file));
        if (!install.Copies(file)) install.files.push_back(file);
    }

    void CheckDestinationDirs() {
        const inf::Section* destinations = inf_.Find("DestinationDirs");
        if (destinations == nullptr) return;
        bool includes = false;
        for (const InstallSection& install : installs_) {
            includes = includes || !inf_.Values(install.name, "Include").empty();
        }
        for (const inf::Line& line : destinations->lines) {
            if (!line.hasKey) continue;
            if (inf::EqualNoCase(line.key, "DefaultDestDir")) {
                if (!includes) continue;
                Problem(
                    "[DestinationDirs] has a DefaultDestDir although the INF includes "
                    "another INF, whose files must keep their own destinations");
            } else if (inf_.Find(line.key) == nullptr) {
                Problem("[DestinationDirs] names [" + line.key + "], which is missing");
            }
        }
    }

    // Where the package keeps a file for a platform: [SourceDisksFiles.<platform>] before
    // [SourceDisksFiles], its disk in [SourceDisksNames.<platform>] before
    // [SourceDisksNames]; the disk's path, then the file's folder below it.
    std::string Locate(const std::string& file, const std::string& platform) {
        const inf::Line* entry = inf_.FindKey("SourceDisksFiles." + platform, file);
        if (entry == nullptr) entry = inf_.FindKey("SourceDisksFiles", file);
        if (entry == nullptr || entry->fields.empty()) {
            Problem(file + " is copied, but neither [SourceDisksFiles." + platform +
                    "] nor [SourceDisksFiles] lists it");
            return "";
        }
        const std::string& disk = entry->fields.front();
        const inf::Line* diskLine = inf_.FindKey("SourceDisksNames." + platform, disk);
        if (diskLine == nullptr) diskLine = inf_.FindKey("SourceDisksNames", disk);
        if (diskLine == nullptr) {
            Problem(file + " lies on disk \"" + disk + "\", which [SourceDisksNames] (or its ." +
                    platform + " section) does not name");
            return "";
        }
        const std::string diskPath = diskLine->fields.size() > 3 ? diskLine->fields[3] : "";
        const std::string folder = entry->fields.size() > 1 ? entry->fields[1] : "";
        return JoinPath({diskPath, folder, file});
    }

    void CheckArchitecture(const std::string& architecture) {
        const std::string platform = Platform(architecture);
        std::vector<std::string>& installed = report_.installed[architecture];
        std::set<std::string> listed;
        for (const std::string& name : installsOf_[inf::Lower(architecture)]) {
            const int index = IndexOf(name);
            if (index < 0) continue;
            const InstallSection& install = installs_[static_cast<std::size_t>(index)];
            for (const std::string& file : install.files) {
                const std::string path = Locate(file, platform);
                if (path.empty()) continue;
                if (listed.insert(inf::Lower(path)).second) installed.push_back(path);
                const std::string* content = package_.Find(path);
                if (content == nullptr) {
                    Problem(file + " of [" + install.name + "] for " + architecture +
                            " should lie at " + path + " in the package, and it does not");
                    continue;
                }
                const int machine = MachineOf(platform);
                if (machine != 0 && inf::EndsWithNoCase(file, ".DLL") &&
                    PeMachine(*content) != machine) {
                    Problem(path + " (for " + architecture + ") is " +
                            MachineName(PeMachine(*content)) + "; it must be built for " +
                            platform);
                }
                if (inf::EqualNoCase(file, install.ini)) CheckPluginIni(install, path, *content);
            }
        }
    }

    // The model's .INI as the PostScript driver reads it: [OEMFiles] with OEMConfigFile1,
    // 2, ... (user-interface plug-ins) and OEMDriverFile1, 2, ... (rendering plug-ins),
    // no blanks around "=", file names without a path, each copied with the model.
    void CheckPluginIni(const InstallSection& install, const std::string& path,
                        const std::string& content) {
        const inf::InfFile ini = inf::InfFile::Parse(content);
        const inf::Section* files = ini.Find("OEMFiles");
        if (files == nullptr) {
            Problem(path + " has no [OEMFiles] section: the PostScript driver finds no plug-in");
            return;
        }
        std::map<std::string, std::set<int>> numbers;  // kind -> the numbers given
        for (const inf::Line& line : files->lines) {
            if (!line.hasKey) continue;
            for (const char* kind : {"OEMConfigFile", "OEMDriverFile"}) {
                const std::string_view key = line.key;
                const std::string_view kindName = kind;
                if (!StartsWithNoCase(key, kindName) || !AllDigits(key.substr(kindName.size()))) {
                    continue;
                }
                numbers[kind].insert(std::stoi(std::string(key.substr(kindName.size()))));
                const std::string where =
                    path + " line " + std::to_string(line.number) + " (" + line.key + ")";
                const std::size_t equals = line.text.find('=');
                auto blank = [&](std::size_t i) {
                    return i < line.text.size() && (line.text[i] == ' ' || line.text[i] == '\t');
                };
                if (equals != std::string::npos && equals > 0 &&
                    (blank(equals - 1) || blank(equals + 1))) {
                    Problem(where + " has blanks around \"=\", which the driver does not allow");
                }
                const std::string value = line.fields.empty() ? "" : line.fields.front();
                if (value.find_first_of("\\/:") != std::string::npos) {
                    Problem(where + " names a path; the driver takes a file name only");
                } else if (!install.Copies(value)) {
                    Problem(where + " names " + value + ", which [" + install.name +
                            "] does not copy");
                }
            }
        }
        if (numbers["OEMConfigFile"].empty()) {
            Problem(path + " names no user-interface plug-in (OEMConfigFile1)");
        }
        for (const auto& [kind, given] : numbers) {
            int expected = 1;
            for (int number : given) {
                if (number != expected++) {
                    Problem(path + " numbers its " + kind + " entries with a gap; they run 1, " +
                            "2, 3, ...");
                    break;
                }
            }
        }
    }

    void CheckSourceFilesUsed() {
        for (const inf::Section& section : inf_.sections()) {
            const std::string name = inf::Lower(section.name);
            if (name != "sourcedisksfiles" && name.rfind("sourcedisksfiles.", 0) != 0) continue;
            for (const inf::Line& line : section.lines) {
                const std::string file = line.hasKey ? line.key : "";
                if (copied_.count(inf::Lower(file)) == 0) {
                    Problem("[" + section.name + "] lists " + file +
                            ", which no install section copies");
                }
            }
        }
    }

    // Each model file is installed with its model: the install section whose data file's
    // name, up to its first dot, begins the file's name.
    void CheckModelFiles() {
        for (const std::string& file : expected_.modelFiles) {
            const InstallSection* owner = nullptr;
            std::size_t ownerBase = 0;
            for (const InstallSection& install : installs_) {
                const std::string base = install.dataFile.substr(0, install.dataFile.find('.'));
                if (!base.empty() && base.size() > ownerBase && StartsWithNoCase(file, base)) {
                    owner = &install;
                    ownerBase = base.size();
                }
            }
            if (owner != nullptr && !owner->Copies(file)) {
                Problem("model file " + file + " is not installed with its model [" + owner->name +
                        "]");
            } else if (owner == nullptr && copied_.count(inf::Lower(file)) == 0) {
                Problem("model file " + file + " is installed with no model");
            }
        }
    }

    const PackageTree& package_;
    const Expectations& expected_;
    inf::InfFile inf_;
    Report report_;
    std::set<std::string> seen_;
    std::vector<InstallSection> installs_;                        // in the order named
    std::map<std::string, std::vector<std::string>> installsOf_;  // decoration -> sections
    std::map<std::string, std::set<std::string>> models_;         // decoration -> models
    std::set<std::string> copied_;                                // every file copied, lower case
};

}  // namespace

Report CheckPackage(const PackageTree& package, const Expectations& expected) {
    return Checker(package, expected).Run();
}

}  // namespace pkgcheck
