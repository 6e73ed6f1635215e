// The form kinds of the custom paper checks through the Win32 spooler adapter and Wine's
// real spooler: the buffer sized from the form list, FORM_INFO_1's flags and size as the
// core reads them, and a name the spooler does not know.
#include <gtest/gtest.h>
#include <windows.h>

#include <winspool.h>

#include <string>

#include "model_install.h"
#include "platform/win32/win32_platform.h"
#include "tree/custom_paper.h"

namespace {

constexpr std::uint32_t kSentinel = 0xDEADBEEF;

TEST(CustomPaper, TheSpoolersFormsThroughTheAdapter) {
    const hostsim::ModelSpec* model = hostsim::FindModel(L"Talen ColorPrint C5");
    ASSERT_NE(nullptr, model);
    std::wstring error;
    ASSERT_TRUE(hostsim::InstallModel(*model, &error));
    hostsim::OpenedPrinter printer(model->printerName);
    ASSERT_TRUE(printer);

    win32::Win32Spooler spooler;
    platform::Platform ports;
    ports.spooler = &spooler;
    profile::UiSession session{};
    session.printerHandle = printer.get();

    std::uint32_t flags = kSentinel;
    std::uint32_t width = kSentinel;
    std::uint32_t height = kSentinel;
    ASSERT_EQ(0u, spooler.ReadForm(printer.get(), u"A4", &flags, &width, &height));
    EXPECT_EQ(static_cast<std::uint32_t>(FORM_BUILTIN), flags);
    EXPECT_EQ(210000u, width);
    EXPECT_EQ(297000u, height);
    EXPECT_EQ(tree::FormKind::kBuiltIn, tree::GetFormSize(ports, session, u"A4").kind);

    flags = width = height = kSentinel;
    EXPECT_NE(0u, spooler.ReadForm(printer.get(), u"No Such Form", &flags, &width, &height));
    EXPECT_EQ(kSentinel, width) << "nothing is reported for an unknown form";
    const tree::FormSize unknown = tree::GetFormSize(ports, session, u"No Such Form");
    EXPECT_EQ(tree::FormKind::kHostCustom, unknown.kind);
    EXPECT_FALSE(unknown.sized) << "a session without a sheet has no custom size";
}

}  // namespace
