#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "inf_file.h"
#include "package_check.h"

namespace {

using pkgcheck::Expectations;
using pkgcheck::PackageTree;

TEST(InfFile, QuotesCommentsContinuationsAndStrings) {
    const inf::InfFile file = inf::InfFile::Parse(
        "[A]\r\n"
        "key = \"a;b\", \"x \"\"y\"\"\" ; comment, \"not a field\"\r\n"
        "long = one,\\\r\n"
        "  two\r\n"
        "M1.PPD\r\n"
        "[a]\n"
        "more=1,,3\n"
        "value=%S%,%%,%66000%,%Nope%\n"
        "[Strings]\n"
        "S=\"s, with a comma\"\n");
    ASSERT_EQ(1u, file.problems().size());
    EXPECT_EQ("line 8: %Nope% is not defined in [Strings]", file.problems()[0]);
    EXPECT_EQ((std::vector<std::string>{"a;b", "x \"y\""}), file.FindKey("a", "KEY")->fields);
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), file.FindKey("A", "long")->fields);
    const inf::Line& fileLine = file.Find("A")->lines[2];
    EXPECT_FALSE(fileLine.hasKey);
    EXPECT_EQ(5, fileLine.number);
    EXPECT_EQ(std::vector<std::string>{"M1.PPD"}, fileLine.fields);
    // [a] continues [A]; empty fields stay in lines and drop out of Values.
    EXPECT_EQ((std::vector<std::string>{"1", "", "3"}), file.FindKey("A", "more")->fields);
    EXPECT_EQ((std::vector<std::string>{"1", "3"}), file.Values("A", "more"));
    EXPECT_EQ((std::vector<std::string>{"s, with a comma", "%", "%66000%", "%Nope%"}),
              file.FindKey("A", "value")->fields);

    const inf::InfFile utf16 =
        inf::InfFile::Parse(std::string("\xFF\xFE[\0B\0]\0\n\0k\0=\0v\0", 16));
    ASSERT_NE(nullptr, utf16.FindKey("B", "k"));
    EXPECT_EQ(std::vector<std::string>{"v"}, utf16.FindKey("B", "k")->fields);
}

// A PE file's first bytes, enough for its machine field.
std::string Pe(int machine) {
    std::string bytes(0x90, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = '\x80';
    bytes.replace(0x80, 4, std::string("PE\0\0", 4));
    bytes[0x84] = static_cast<char>(machine & 0xFF);
    bytes[0x85] = static_cast<char>(machine >> 8);
    return bytes;
}

constexpr int kX86 = 0x014C;
constexpr int kX64 = 0x8664;

// One model, the plug-in and its module per architecture in x86\ and x64\, the rest at
// the root, as the sample package lies.
const char kInf[] = R"([Version]
Signature="$Windows NT$"
Class=Printer
ClassGuid={4D36E979-E325-11CE-BFC1-08002BE10318}
Provider=%Maker%
DriverVer=01/02/2026,1.2.3.4

[Manufacturer]
%Maker%=Maker,NTx86,NTamd64

[Maker]
"Model One PS"=M1.PPD
[Maker.NTx86]
"Model One PS"=M1.PPD
[Maker.NTamd64]
"Model One PS" = M1.PPD ; the same install section

[M1.PPD]
CopyFiles=FAMILY,M1_FILES
DataSection=PSCRIPT_DATA
DataFile=M1.PPD
Include=NTPRINT.INF
Needs=PSCRIPT.OEM

[FAMILY]
PLUGU.DLL
PLUGN.DLL

[M1_FILES]
M1.PPD
M1u.INI
M1EN.DAT

[DestinationDirs]
FAMILY=66000
M1_FILES=66000

[SourceDisksNames]
1=%Disk%

[SourceDisksFiles]
M1.PPD=1
M1u.INI=1
M1EN.DAT=1

[SourceDisksFiles.x86]
PLUGU.DLL=1,\x86
PLUGN.DLL=1,\x86

[SourceDisksFiles.amd64]
PLUGU.DLL=1,\x64
PLUGN.DLL=1,\x64

[Strings]
Maker="Maker, Inc."
Disk="Package"
)";

const char kIni[] = "[OEMFiles]\r\n; the plug-in\r\nOEMConfigFile1=PLUGU.DLL\r\nOEMPrefix=M1\r\n";

struct Package {
    std::string inf = kInf;
    PackageTree tree;
    Expectations expected{"PKG.INF",
                          {"NTx86", "NTamd64"},
                          {"PLUGU.DLL", "PLUGN.DLL"},
                          {"M1.PPD", "M1u.INI", "M1EN.DAT"}};

    Package() {
        tree.Add("M1.PPD", "*PPD-Adobe: \"4.3\"");
        tree.Add("m1U.ini", kIni);  // names match without case
        tree.Add("M1EN.DAT", "[Print Hold]");
        tree.Add("x86/PLUGU.DLL", Pe(kX86));
        tree.Add("x86/PLUGN.DLL", Pe(kX86));
        tree.Add("x64/PLUGU.DLL", Pe(kX64));
        tree.Add("x64/PLUGN.DLL", Pe(kX64));
    }

    void Replace(const std::string& from, const std::string& to) {
        const std::size_t at = inf.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        inf.replace(at, from.size(), to);
    }

    pkgcheck::Report Check() {
        tree.Add("PKG.INF", inf);
        return pkgcheck::CheckPackage(tree, expected);
    }
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

TEST(PackageCheck, AWholePackageInstallsEachArchitecturesFiles) {
    Package package;
    const pkgcheck::Report report = package.Check();
    EXPECT_TRUE(report.problems.empty()) << Joined(report.problems);
    EXPECT_EQ((std::vector<std::string>{"x86/PLUGU.DLL", "x86/PLUGN.DLL", "M1.PPD", "M1u.INI",
                                        "M1EN.DAT"}),
              report.installed.at("NTx86"));
    EXPECT_EQ((std::vector<std::string>{"x64/PLUGU.DLL", "x64/PLUGN.DLL", "M1.PPD", "M1u.INI",
                                        "M1EN.DAT"}),
              report.installed.at("NTamd64"));
}

TEST(PackageCheck, EachFaultIsReported) {
    struct Fault {
        const char* what;
        std::function<void(Package&)> make;
        const char* problem;  // a part of the problem expected
    };
    const Fault faults[] = {
        {"a model file renamed in the package",
         [](Package& p) {
             p.tree.Remove("M1EN.DAT");
             p.tree.Add("M1GB.DAT", "[Print Hold]");
         },
         "M1EN.DAT of [M1.PPD] for NTx86 should lie at M1EN.DAT in the package"},
        {"the plug-in missing from one architecture's folder",
         [](Package& p) { p.tree.Remove("x64/PLUGU.DLL"); },
         "PLUGU.DLL of [M1.PPD] for NTamd64 should lie at x64/PLUGU.DLL"},
        {"the other architecture's DLL", [](Package& p) { p.tree.Add("x86/PLUGN.DLL", Pe(kX64)); },
         "x86/PLUGN.DLL (for NTx86) is an x64 file; it must be built for x86"},
        {"a copied file list's section missing",
         [](Package& p) { p.Replace("[M1_FILES]", "[M1_LIST]"); },
         "[M1.PPD] copies the file list [M1_FILES], which is missing"},
        {"a model line pointing nowhere",
         [](Package& p) { p.Replace("\"Model One PS\" = M1.PPD", "\"Model One PS\" = M1.PDD"); },
         "model \"Model One PS\" of [Maker.NTamd64] names the install section [M1.PDD], which is "
         "missing"},
        {"an architecture's Models section missing",
         [](Package& p) { p.Replace("[Maker.NTamd64]", "[Maker.NTarm64]"); },
         "[Maker.NTamd64] is missing"},
        {"an architecture left out of [Manufacturer]",
         [](Package& p) { p.Replace("Maker,NTx86,NTamd64", "Maker,NTx86"); },
         "lists no NTamd64 models"},
        {"a copied file that [SourceDisksFiles] does not list",
         [](Package& p) { p.Replace("M1EN.DAT=1\n", ""); },
         "M1EN.DAT is copied, but neither [SourceDisksFiles.x86] nor [SourceDisksFiles] lists it"},
        {"a file list with no destination", [](Package& p) { p.Replace("M1_FILES=66000\n", ""); },
         "[M1_FILES] has no destination in [DestinationDirs]"},
        {"Needs without Include", [](Package& p) { p.Replace("Include=NTPRINT.INF\n", ""); },
         "[M1.PPD] does not include NTPRINT.INF"},
        {"the Universal driver instead of PostScript",
         [](Package& p) { p.Replace("Needs=PSCRIPT.OEM", "Needs=UNIDRV.OEM"); },
         "[M1.PPD] does not need PSCRIPT.OEM"},
        {"the plug-in as the driver's configuration file",
         [](Package& p) {
             p.Replace("DataFile=M1.PPD\n", "DataFile=M1.PPD\nConfigFile=PLUGU.DLL\n");
         },
         "[M1.PPD] names the configuration file \"PLUGU.DLL\", not PS5UI.DLL"},
        {"a family file left out",
         [](Package& p) { p.Replace("PLUGN.DLL\n\n[M1_FILES]", "\n[M1_FILES]"); },
         "[M1.PPD] does not copy PLUGN.DLL"},
        {"a model file the INF forgets",
         [](Package& p) { p.expected.modelFiles.push_back("M1GR.DAT"); },
         "model file M1GR.DAT is not installed with its model [M1.PPD]"},
        {"the .INI naming another plug-in",
         [](Package& p) { p.tree.Add("M1u.INI", "[OEMFiles]\nOEMConfigFile1=PLUGUI.DLL\n"); },
         "M1u.INI line 2 (OEMConfigFile1) names PLUGUI.DLL, which [M1.PPD] does not copy"},
        {"the .INI with blanks around its equals sign",
         [](Package& p) { p.tree.Add("M1u.INI", "[OEMFiles]\nOEMConfigFile1 = PLUGU.DLL\n"); },
         "has blanks around \"=\""},
        {"the .INI naming no plug-in",
         [](Package& p) { p.tree.Add("M1u.INI", "[OEMFiles]\nOEMPrefix=M1\n"); },
         "M1u.INI names no user-interface plug-in (OEMConfigFile1)"},
        {"a second .INI with the model",
         [](Package& p) {
             p.Replace("M1EN.DAT\n\n", "M1EN.DAT\nPLUGN.INI\n\n");
             p.Replace("M1EN.DAT=1\n", "M1EN.DAT=1\nPLUGN.INI=1\n");
             p.tree.Add("PLUGN.INI", "[SNMP]\n");
         },
         "[M1.PPD] copies 2 .INI files (M1u.INI, PLUGN.INI)"},
        {"a %strkey% missing from [Strings]",
         [](Package& p) { p.Replace("Disk=\"Package\"\n", ""); },
         "%Disk% is not defined in [Strings]"},
        {"another device class", [](Package& p) { p.Replace("{4D36E979-", "{4D36E97B-"); },
         "not the printer class {4D36E979-E325-11CE-BFC1-08002BE10318}"},
        {"the INF missing", [](Package& p) { p.expected.infName = "OTHER.INF"; },
         "the package has no OTHER.INF at its root"},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        Package package;
        fault.make(package);
        const pkgcheck::Report report = package.Check();
        EXPECT_NE(std::string::npos, Joined(report.problems).find(fault.problem))
            << "expected: " << fault.problem << "\nfound:\n"
            << Joined(report.problems);
    }
}

}  // namespace
