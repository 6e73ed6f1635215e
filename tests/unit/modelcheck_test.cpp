#include "modelcheck/model_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "modelcheck/report.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// "FILE [SECTION] KEY" of every finding, sorted: what a model author is pointed at.
std::vector<std::string> Keys(const std::vector<modelcheck::Finding>& findings) {
    std::vector<std::string> keys;
    for (const modelcheck::Finding& f : findings) {
        keys.push_back(modelcheck::ToUtf8(f.file + u" [" + f.section + u"] " + f.key));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// A temporary folder of its own, removed with the object; optionally a copy of the sample
// family.
class ModelFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "modelcheck-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(name.data()));
        folder = name;
    }
    void TearDown() override { fs::remove_all(folder); }

    void CopySamples() {
        for (const fs::directory_entry& entry : fs::directory_iterator(MODELS_DIR)) {
            fs::copy_file(entry.path(), folder / entry.path().filename());
        }
    }
    // Replaces the one occurrence of `from` in a file of the folder.
    void Edit(const std::string& file, const std::string& from, const std::string& to) {
        std::string bytes = Read(folder / file);
        const std::size_t at = bytes.find(from);
        ASSERT_NE(std::string::npos, at) << file << ": " << from;
        bytes.replace(at, from.size(), to);
        Write(folder / file, bytes);
    }
    modelcheck::Report Check(const std::string& profile) {
        return modelcheck::CheckModelFile(folder / profile);
    }

    fs::path folder;
};

TEST_F(ModelFolder, ProfileValuesThePlugInWouldDefaultAreFoundByKey) {
    CopySamples();
    const std::string p = "CVLC5u.INI";
    Edit(p, "JobSettingHDDOn=1,2,3,4,5,6", "JobSettingHDDOn=1,2,3,3,7,4,5,6");
    Edit(p, "JobSettingHDDOff=1,5,6", "JobSettingHDDOff=0");
    Edit(p, "ExtrasMinPassLen=4", "ExtrasMinPassLen=9");
    Edit(p, "PrinterMaxPassLen=32", "PrinterMaxPassLen=40");
    Edit(p, "GraphicsSmartCMS2=1,12:0", "GraphicsSmartCMS2=1,19:0");
    Edit(p, "GraphicsSmartCMS4=0,13:33", "GraphicsSmartCMS4=0,99:99");  // not offered: unused
    Edit(p, "Tray1Customs=1000,2159,1480,3556", "Tray1Customs=1000,2159,1480");
    Edit(p, "TabNumber=1", "TabNumber=3");
    Edit(p, "EncryptionKey=TLNC5-7F3A9C21", "EncryptionKey=");
    Edit(p, "TestPages=1,2,3,5,6,8,9", "TestPages=1,2,3,4,5,6,7,8,9,10,1,13");
    const modelcheck::Report report = Check(p);
    EXPECT_EQ((std::vector<std::string>{
                  "CVLC5u.INI [Common] ExtrasMinPassLen",
                  "CVLC5u.INI [Common] GraphicsSmartCMS2",
                  "CVLC5u.INI [Common] JobSettingHDDOff",  // no mode
                  "CVLC5u.INI [Common] JobSettingHDDOff",  // 0 is none
                  "CVLC5u.INI [Common] JobSettingHDDOn",   // 7 is none
                  "CVLC5u.INI [Common] JobSettingHDDOn",   // 3 twice
                  "CVLC5u.INI [Common] JobSettingHDDOn",   // seven modes
                  "CVLC5u.INI [Common] PrinterMaxPassLen",
                  "CVLC5u.INI [Common] TestPages",  // 13 is none
                  "CVLC5u.INI [Common] TestPages",  // eleven pages
                  "CVLC5u.INI [Common] Tray1Customs",
                  "CVLC5u.INI [FUNCTION] EncryptionKey",
                  "CVLC5u.INI [TABNUMBER] TabNumber",
              }),
              Keys(report.findings));
    EXPECT_EQ(modelcheck::kExitFindings, modelcheck::ExitStatus(report));
}

// The passcode of a stored job holds 8 digits even when confidential jobs take 20.
TEST_F(ModelFolder, PasscodeLimitsAreFittedPerMode) {
    CopySamples();
    Edit("CVLC5u.INI", "ExtrasMaxPassLen=8", "ExtrasMaxPassLen=12");
    const modelcheck::Report withStore = Check("CVLC5u.INI");
    ASSERT_EQ(1u, withStore.findings.size());
    EXPECT_EQ(u"ExtrasMaxPassLen", withStore.findings[0].key);
    EXPECT_NE(std::u16string::npos, withStore.findings[0].message.find(u"stored job"));

    // Without stored jobs only the confidential ones take passcodes, 20 digits when encrypted.
    Edit("CVLC5u.INI", "JobSettingHDDOn=1,2,3,4,5,6", "JobSettingHDDOn=1,2,3,5,6");
    EXPECT_EQ(std::vector<std::string>{}, Keys(Check("CVLC5u.INI").findings))
        << "12 digits fit a confidential job's encrypted passcode";
}

TEST_F(ModelFolder, TextsArePerLanguageFile) {
    CopySamples();
    Edit("CVLC5GR.DAT", "Caption=Drucken und Halten", "Caption=");
    Edit("CVLC5GR.DAT", "(0-9)=(%d-%d", "(0-9)=(%s %d-%d");
    Edit("CVLC5GR.DAT", "TRAY1=Tray 1", "TRAY1=" + std::string(40, 'T'));
    // Print finds a page by the text shown: the configuration page would print the pattern.
    Edit("CVLC5GR.DAT", "Test Print=Testmuster", "Test Print=Konfigurationsseite");
    Edit("CVLC5GR.DAT", "Ref_URL_5=http://%s", "Ref_URL_5=https://%s");
    Edit("CVLC5EN.DAT", "Menu Map=Menu Map\r\n", "");
    Edit("CVLC5GR.DAT", "M_Info6=$COMMENT", "M_Info6=Kommentar");
    // The Troubleshooting page's Help button takes its text from the custom paper section.
    Edit("CVLC5EN.DAT", "Custom Paper Size\r\nHelp=Help\r\n", "Custom Paper Size\r\n");
    fs::remove(folder / "CVLC5JP.DAT");
    fs::remove(folder / "CVLC5Y.bmp");
    Write(folder / "CVLC5l.bmp", "PNG");
    fs::rename(folder / "CVLM2.DAT", folder / "cvlm2.dat");  // Windows finds names in any case
    EXPECT_EQ(
        (std::vector<std::string>{
            "CVLC5EN.DAT [Custom Paper Dialog] Help",
            "CVLC5EN.DAT [Troubleshooting Dialog] Menu Map",
            "CVLC5GR.DAT [About Dialog] M_Info6",  // plain text: a TALEN line shows nothing
            "CVLC5GR.DAT [Hold Dialog] (0-9)", "CVLC5GR.DAT [Hold Dialog] Caption",
            "CVLC5GR.DAT [TRAYNAME] TRAY1", "CVLC5GR.DAT [Troubleshooting Dialog] Config Page",
            "CVLC5GR.DAT [Troubleshooting Dialog] Ref_URL_5",
            "CVLC5u.INI [OEMFiles] OEMPrefix",  // the About picture is missing
            "CVLC5u.INI [OEMFiles] OEMPrefix",  // the logo is no bitmap
        }),
        Keys(Check("CVLC5u.INI").findings));
    EXPECT_EQ(std::vector<std::string>{}, Keys(Check("CVLM2u.INI").findings));

    // JP is one of the codes without a file, a note; without EN every other user is lost.
    fs::remove(folder / "CVLC5EN.DAT");
    const modelcheck::Report report = Check("CVLC5u.INI");
    EXPECT_NE(std::u16string::npos, report.notes.at(0).message.find(u"JP"));
    const std::vector<std::string> keys = Keys(report.findings);
    EXPECT_EQ(1, std::count(keys.begin(), keys.end(), "CVLC5.VER [Version] LanguageDependent"));
    fs::remove(folder / "cvlm2.dat");
    EXPECT_EQ(std::vector<std::string>{"CVLM2u.INI [OEMFiles] OEMPrefix"},
              Keys(Check("CVLM2u.INI").findings));
}

// A small model of its own: sixteen and seventeen ranged trays, a name too long for the tray
// table, a page list for a brand without the page.
TEST_F(ModelFolder, TraysPastFifteenAndLongNamesAreFound) {
    // The reader, as Windows, reads the first section of a name only: one Common section.
    std::string profile =
        "[OEMFiles]\nOEMPrefix=M\n[TABNUMBER]\nTabNumber=1\nTab0=12\n[TRAYNAME]\nTrayIndex=AUTO";
    std::string ranges = "[Common]\nCaption=Vantora M\nCheckTraysForCustoms=1\n";
    std::string names = "[TRAYNAME]\n";
    for (int i = 0; i < 17; ++i) {
        const std::string tray = "T" + std::to_string(i);
        profile += "," + tray;
        ranges += tray + "Customs=1,2,3,4\n";
        names += tray + "=" + (i == 3 ? std::string(32, 'n') : "Tray " + std::to_string(i)) + "\n";
    }
    Write(folder / "Mu.INI", profile + "\n" + ranges);
    Write(folder / "M.VER", "[Version]\nLanguageDependent=0\n");
    Write(folder / "M.DAT", names);
    EXPECT_EQ((std::vector<std::string>{"M.DAT [TRAYNAME] T3", "Mu.INI [Common] T15Customs",
                                        "Mu.INI [Common] T16Customs", "Mu.INI [TABNUMBER] Tab0"}),
              Keys(Check("Mu.INI").findings));
}

TEST_F(ModelFolder, AProfileThatCannotBeReadEndsTheCheck) {
    CopySamples();
    fs::create_directory(folder / "Diru.INI");
    for (const char* profile : {"CVLX9u.INI", "CVLC5.VER", "Diru.INI"}) {
        const modelcheck::Report report = Check(profile);
        EXPECT_EQ(modelcheck::kExitUnreadable, modelcheck::ExitStatus(report)) << profile;
        EXPECT_TRUE(report.findings.empty()) << profile;
        EXPECT_NE(std::string::npos, modelcheck::RenderJson(report).find("\"status\":2"));
    }
    // The plug-in forms the profile's name from the data file's name up to its first dot.
    fs::copy_file(folder / "CVLM2u.INI", folder / "CVL.M2u.INI");
    EXPECT_EQ(modelcheck::kExitUnreadable, modelcheck::ExitStatus(Check("CVL.M2u.INI")));
}

// Files of noise with NUL bytes, byte-order marks and broken encodings read as the plug-in
// reads them: a report, never a crash.
TEST_F(ModelFolder, HostileFilesGiveAReport) {
    CopySamples();
    constexpr std::string_view kPieces("[]=\n\r,;:% \0\xFF\xFE\xEF\xBB\xBFTab1", 20);
    std::string noise(1 << 18, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = kPieces[(i * 7919 + i / 13) % kPieces.size()];
    }
    const std::string heads[] = {"", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
    for (const std::string& head : heads) {
        Write(folder / "CVLC5u.INI", head + Read(fs::path(MODELS_DIR) / "CVLC5u.INI") + noise);
        Write(folder / "CVLC5GR.DAT", head + noise);
        const int status = modelcheck::ExitStatus(Check("CVLC5u.INI"));
        EXPECT_TRUE(status == modelcheck::kExitClean || status == modelcheck::kExitFindings)
            << status;
    }
    Write(folder / "CVLC5u.INI",
          "[Common]\nCaption=TALEN\nCheckTraysForCustoms=-1\nJobSettingHDDOn=" +
              std::string(5000, '3') +
              "\n[TABNUMBER]\nTabNumber=2147483647\n[TRAYNAME]\nTrayIndex=" +
              std::string(300, ',') + "\n");
    const std::vector<std::string> keys = Keys(Check("CVLC5u.INI").findings);
    EXPECT_NE(keys.end(), std::find(keys.begin(), keys.end(), "CVLC5u.INI [TABNUMBER] TabNumber"));
}

// The model's texts end up in the output: JSON stays JSON, lines stay lines.
TEST(ModelCheckReport, TheModelsTextIsEscaped) {
    modelcheck::Report report;
    report.profile = u"Xu.INI";
    report.findings.push_back({u"X.DAT", u"Hold Dialog",
                               std::u16string(u"a\"b\\c\nd\x01") + u"\xD83D\xDE00\xD800", u"m"});
    EXPECT_EQ(
        "{\"profile\":\"Xu.INI\",\"status\":1,\"findings\":[{\"file\":\"X.DAT\",\"section\":"
        "\"Hold Dialog\",\"key\":\"a\\\"b\\\\c\\u000ad\\u0001\xF0\x9F\x98\x80\xEF\xBF\xBD\","
        "\"message\":\"m\"}],\"notes\":[]}\n",
        modelcheck::RenderJson(report));
    EXPECT_EQ("X.DAT [Hold Dialog] a\"b\\c?d?\xF0\x9F\x98\x80\xEF\xBF\xBD: m\nXu.INI: 1 finding\n",
              modelcheck::RenderText(report));
}

}  // namespace
