#include "ui/diagnostic_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"

namespace {

// The 48 bytes that make the printer print its configuration page.
constexpr std::string_view kConfigJob =
    "\x1B%-12345X@PJL\r\n@PJL TEST PRINT=CONFIG\r\n\x1B%-12345X";

TEST(DiagnosticPages, TheListKeepsPagesOfTheTableOnlyAndTheJobIsExact) {
    EXPECT_EQ((std::vector<int>{9, 1, 3, 9, 10}),
              ui::DiagnosticPageNumbers(u"9, 1,x,0,11,-2,+3,9,10abc,,99999999999"));
    EXPECT_TRUE(ui::DiagnosticPageNumbers(u"TestPages").empty()) << "a missing list";
    EXPECT_EQ(kConfigJob, ui::DiagnosticJob("@PJL TEST PRINT=CONFIG"));
    EXPECT_EQ(48u, ui::DiagnosticJob("@PJL TEST PRINT=CONFIG").size());
    const std::string longest = ui::DiagnosticJob(std::string(400, 'A'));
    EXPECT_EQ(259u, longest.size()) << "the job keeps within its buffer, terminator aside";
    EXPECT_EQ("\r\n\x1B%-12345X", longest.substr(259 - 11)) << "and always ends its PJL";
}

TEST(DiagnosticPages, AJobIsWrittenToTheEndOrEndedBeforeItsFailureIsReported) {
    fakes::FakePlatform fake;
    const platform::Platform ports = fake.ports();
    void* printer = reinterpret_cast<void*>(0x50);
    fake.rawJobs.chunk = 5;  // the spooler takes a few bytes at a time
    ASSERT_TRUE(ui::SendDiagnosticJob(ports, printer, kConfigJob.data(), kConfigJob.size()));
    ASSERT_EQ(1u, fake.rawJobs.jobs.size());
    EXPECT_EQ(kConfigJob, fake.rawJobs.jobs[0].bytes);
    EXPECT_EQ(u"Printer Diagnostic Pages", fake.rawJobs.jobs[0].document);
    EXPECT_EQ(u"", fake.rawJobs.jobs[0].outputFile);
    EXPECT_TRUE(fake.rawJobs.jobs[0].ended);

    // A failing write that still reports a count is a write of nothing; ending the job may
    // set a code of its own, and the write fault is what the caller reads.
    fake.rawJobs.lastError = &fake.lastError;
    fake.rawJobs.failWriteAt = fake.rawJobs.writes + 2;
    fake.rawJobs.failedWriteCount = 5;
    EXPECT_FALSE(ui::SendDiagnosticJob(ports, printer, kConfigJob.data(), kConfigJob.size()));
    EXPECT_EQ(platform::kErrorWriteFault, fake.lastError.Get());
    EXPECT_TRUE(fake.rawJobs.jobs[1].ended);
    EXPECT_EQ(5u, fake.rawJobs.jobs[1].bytes.size());

    fake.rawJobs.startError = 5;
    EXPECT_FALSE(ui::SendDiagnosticJob(ports, printer, kConfigJob.data(), kConfigJob.size()));
    EXPECT_EQ(platform::kErrorSpoolerStartDoc, fake.lastError.Get());
    EXPECT_FALSE(ui::SendDiagnosticJob(ports, printer, kConfigJob.data(), 0));
    EXPECT_EQ(platform::kErrorInvalidParameter, fake.lastError.Get());
    fake.lastError.Set(0);
    EXPECT_FALSE(ui::SendDiagnosticJob(ports, nullptr, kConfigJob.data(), kConfigJob.size()));
    EXPECT_EQ(0u, fake.lastError.Get());
    EXPECT_EQ(2u, fake.rawJobs.jobs.size());
}

}  // namespace
