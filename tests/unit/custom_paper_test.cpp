#include "tree/custom_paper.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "fakes/fake_host_driver.h"
#include "fakes/fake_platform.h"
#include "profile/bounded_text.h"

namespace {

using tree::FormKind;

// A text pointer the host gives as a resource number (MAKEINTRESOURCE(400)).
host::WCHAR* Resource400() { return reinterpret_cast<host::WCHAR*>(std::uintptr_t{400}); }

TEST(SizeFits, LimitsAreInclusiveAndTheEmptyRangeTakesEverySize) {
    const profile::TrayLimits range{100000, 215900, 148000, 355600};
    EXPECT_TRUE(tree::SizeFits(range, 100000, 148000)) << "minimum width equal to the paper's";
    EXPECT_TRUE(tree::SizeFits(range, 215900, 355600));
    EXPECT_FALSE(tree::SizeFits(range, 99999, 200000));
    EXPECT_FALSE(tree::SizeFits(range, 215901, 200000));
    EXPECT_FALSE(tree::SizeFits(range, 150000, 147999));
    EXPECT_FALSE(tree::SizeFits(range, 150000, 355601));
    EXPECT_TRUE(tree::SizeFits({}, 0xFFFFFFFF, 0));
}

std::vector<bool> Hidden(const host::OPTITEM& item) {
    std::vector<bool> hidden;
    for (std::size_t i = 0; i < item.pOptType->Count; ++i) {
        hidden.push_back((item.pOptType->pOptParam[i].Flags & host::kOptpfHide) != 0);
    }
    return hidden;
}
void HideAll(host::OPTITEM& item) {
    for (std::size_t i = 0; i < item.pOptType->Count; ++i) {
        item.pOptType->pOptParam[i].Flags = host::kOptpfHide;
    }
}

const std::vector<const char16_t*> kForms{u"A4", u"A3", u"Mine", u"Big", u"Custom"};
const std::vector<const char16_t*> kSources{u"Auto", u"Tray 1", u"Tray 2", u"Multipurpose Tray"};
constexpr std::size_t kHostPart = 221;  // an odd dmSize: the custom size lies unaligned

// A document sheet's session with two trays, the spooler's forms and the sheet's public
// settings followed by the host's private part, which holds a custom size of 80 x 120 mm.
class Paper : public ::testing::Test {
  protected:
    Paper() {
        fake.spooler.forms = {{u"A4", {1, 210000, 297000}},
                              {u"A3", {1, 297000, 420000}},
                              {u"Mine", {0, 100000, 150000}},
                              {u"Big", {0, 300000, 400000}}};
        dm = new (block.data()) host::DEVMODEW{};
        dm->dmSize = kHostPart;
        dm->dmDriverExtra = 160;
        const std::uint32_t custom[2] = {80000, 120000};
        std::memcpy(block.data() + kHostPart + 152, custom, sizeof custom);
        sheet.pPublicDM = dm;
        sheet.poemuiobj = &uiObject;
        session.hostParams = &sheet;
        session.printerHandle = reinterpret_cast<void*>(0x50);
        session.driverHelper = &driver;
        session.trayCount = 2;
        session.trayList[0] = {1, u"Tray 1"};
        session.trayLimits[0] = {100000, 215900, 148000, 355600};
        session.trayList[1] = {3, u"Multipurpose Tray"};
        session.trayLimits[1] = {200000, 300000, 200000, 400000};
    }
    void Check() {
        host::CPSUICBPARAM callback{};
        callback.pOptItem = items.items.data();
        callback.cOptItem = static_cast<host::WORD>(items.items.size());
        tree::CheckPaperAndSource(state, callback, param, session, nullptr);
    }

    fakes::FakePlatform fake;
    plugin::ProcessState state{fake.ports()};
    fakes::DriverUi driver;
    host::OEMUIOBJ uiObject{};
    std::vector<unsigned char> block = std::vector<unsigned char>(kHostPart + 160);
    host::DEVMODEW* dm = nullptr;
    host::OEMUIPSPARAM sheet{};
    host::OEMCUIPPARAM param{};
    profile::UiSession session{};
    fakes::HostItems items;
};

TEST_F(Paper, FormKindsAndTheHostsCustomSize) {
    const platform::Platform ports = fake.ports();
    EXPECT_EQ(FormKind::kBuiltIn, tree::GetFormSize(ports, session, u"A3").kind);
    const tree::FormSize mine = tree::GetFormSize(ports, session, u"Mine");
    EXPECT_TRUE(mine.kind == FormKind::kUser && mine.sized);
    EXPECT_EQ(100000u, mine.width);
    EXPECT_EQ(150000u, mine.height);
    EXPECT_EQ(session.printerHandle, fake.spooler.lastPrinter);
    const tree::FormSize custom = tree::GetFormSize(ports, session, u"Custom");
    EXPECT_TRUE(custom.kind == FormKind::kHostCustom && custom.sized);
    EXPECT_EQ(80000u, custom.width);
    EXPECT_EQ(120000u, custom.height);

    dm->dmDriverExtra = 159;
    EXPECT_FALSE(tree::GetFormSize(ports, session, u"Custom").sized) << "too short a private part";
    dm->dmDriverExtra = 160;
    session.hostParams = nullptr;
    EXPECT_FALSE(tree::GetFormSize(ports, session, u"Custom").sized) << "no sheet";
}

TEST_F(Paper, TheSelectedTrayHidesSizesAndTheSelectedSizeHidesTrays) {
    host::OPTITEM& form = items.Add(nullptr, host::kDmPubFormName, 2, kForms);       // Mine
    host::OPTITEM& source = items.Add(nullptr, host::kDmPubDefSource, 1, kSources);  // Tray 1
    Check();
    EXPECT_EQ((std::vector<bool>{false, false, false, true, true}), Hidden(form))
        << "A3 is built-in; Mine's width is the minimum; Big and the custom size do not fit";
    EXPECT_EQ((std::vector<bool>{false, false, false, true}), Hidden(source));
    EXPECT_EQ(2, form.Sel);
    EXPECT_EQ(0u, form.Flags & (host::kOptifExtHide | host::kOptifExtDisabled));
    ASSERT_EQ(2u, driver.updates.size());
    EXPECT_EQ(&form, driver.updates[0].item);
    EXPECT_EQ(&source, driver.updates[1].item);
    EXPECT_EQ(&uiObject, driver.updates[1].uiObject);
    EXPECT_EQ(host::kOemCuipDocProp, driver.updates[1].mode);

    Check();
    EXPECT_EQ(2u, driver.updates.size()) << "nothing changed, nothing told";
}

TEST_F(Paper, AHiddenCustomSizeGivesUpTheSelectionAndItsExtension) {
    host::OPTITEM& form = items.Add(nullptr, host::kDmPubFormName, 4, kForms);  // Custom
    host::OPTITEM& source = items.Add(nullptr, host::kDmPubDefSource, 1, kSources);
    HideAll(source);
    Check();
    EXPECT_TRUE(Hidden(form)[4]);
    EXPECT_EQ(0, form.Sel);
    const host::DWORD flags = host::kOptifChanged | host::kOptifExtHide | host::kOptifExtDisabled;
    EXPECT_EQ(flags, form.Flags & flags);
    EXPECT_EQ(std::vector<bool>(4, false), Hidden(source)) << "A4 is built-in: every tray shows";
}

TEST_F(Paper, ATrayWithoutARangeShowsEverySize) {
    host::OPTITEM& form = items.Add(nullptr, host::kDmPubFormName, 3, kForms);       // Big
    host::OPTITEM& source = items.Add(nullptr, host::kDmPubDefSource, 2, kSources);  // Tray 2
    HideAll(form);
    Check();
    EXPECT_EQ(std::vector<bool>(5, false), Hidden(form));
    EXPECT_EQ((std::vector<bool>{false, true, false, false}), Hidden(source));
}

TEST_F(Paper, AHostileHostIsReadOnlyWithinItsCounts) {
    session.trayList[1].index = 4;  // beyond the paper-source list
    host::OPTITEM& form =
        items.Add(nullptr, host::kDmPubFormName, 7, {nullptr, u"Mine", u"Custom"});
    host::OPTITEM& source = items.Add(nullptr, host::kDmPubDefSource, 4, kSources);
    HideAll(source);
    Check();
    EXPECT_EQ(std::vector<bool>(3, false), Hidden(form)) << "no tray at a selection beyond";
    EXPECT_EQ(std::vector<bool>(4, false), Hidden(source)) << "an unknown size restricts none";
    EXPECT_FALSE(tree::MarkSourcesForSize(session, source, 100000, 150000));

    // The custom size cannot be read from a private part of 100 bytes: it stays.
    dm->dmDriverExtra = 100;
    form.Sel = 2;
    source.Sel = 1;
    Check();
    EXPECT_EQ(std::vector<bool>(3, false), Hidden(form));
    EXPECT_EQ(2, form.Sel);
    form.Sel = 3;  // just past the list: no size
    Check();
    EXPECT_EQ(std::vector<bool>(4, false), Hidden(source));

    // A host text longer than the buffer is cut to it.
    char16_t four[4];
    EXPECT_TRUE(tree::ReadHostText(u"Letter", four, 4));
    EXPECT_EQ(std::u16string_view(u"Let"), four);
}

TEST_F(Paper, PrinterSettingsHideOnlyTheUserFormsATrayCannotTake) {
    session.hostParams = nullptr;  // the printer tree's session
    param.poemuiobj = &uiObject;
    const std::u16string longName(31, u'M');
    const std::u16string longer = longName + u"x";
    text::Copy(session.trayList[1].name, profile::kTrayNameUnits, longName);
    items.Add(nullptr, 0, 0, {u"Big"}).pName = Resource400();
    host::OPTITEM& tray1 =
        items.Add(nullptr, 0, 2, {u"A3", u"Big", u"Mine", u"Custom", nullptr}, u"Tray 1");
    host::OPTITEM& cut = items.Add(nullptr, 0, 0, {u"Mine"}, longer.c_str());
    host::OPTITEM& mp = items.Add(nullptr, 0, 1, {u"Mine", u"Big"}, longName.c_str());
    mp.pOptType->pOptParam[1].Flags = host::kOptpfHide;
    host::OPTITEM& after = items.Add(nullptr, 0, 0, {u"Big"}, u"Tray 1");
    param.pDrvOptItems = items.items.data();
    param.cDrvOptItems = static_cast<host::DWORD>(items.items.size());

    tree::MarkTrayForms(state, param, session);
    EXPECT_EQ((std::vector<bool>{false, true, false, false, false}), Hidden(tray1))
        << "A3 is built-in and the custom size no form of the spooler";
    EXPECT_EQ(std::vector<bool>{false}, Hidden(cut)) << "a longer caption is another tray";
    EXPECT_EQ((std::vector<bool>{true, true}), Hidden(mp)) << "nothing is shown again";
    EXPECT_EQ(std::vector<bool>{false}, Hidden(after)) << "the walk ends after two trays";
    ASSERT_EQ(1u, driver.updates.size());
    EXPECT_EQ(&mp, driver.updates[0].item);
    EXPECT_EQ(&uiObject, driver.updates[0].uiObject);
    EXPECT_EQ(host::kOemCuipPrnProp, driver.updates[0].mode);
    EXPECT_EQ(1, mp.Sel);
}

}  // namespace
