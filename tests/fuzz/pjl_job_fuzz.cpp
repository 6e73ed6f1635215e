// The diagnostic PJL job: an arbitrary command (as the system's ANSI code page gives it) in
// its job frame, sent through a spooler whose writes take any number of bytes or fail.
// Input: the command and the spooler's answers, split by the separator; each answer byte
// says how many bytes a write takes (0: none) or, from 0xF0 on, that it fails while still
// reporting a count. Checked: the job keeps within its 260-byte buffer and always ends its
// PJL; a send that reports success delivered exactly the job's bytes in order, a failed one a
// prefix of them, with the write fault as the thread's last error; the job is always ended.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fuzz/fuzz_support.h"
#include "ui/diagnostic_pages.h"

namespace {

constexpr std::string_view kUel = "\x1B%-12345X";

class ScriptedJobs final : public platform::RawJobs {
  public:
    explicit ScriptedJobs(std::string_view script) : script_(script) {}

    std::unique_ptr<platform::RawJob> Start(void*, std::u16string_view document,
                                            std::u16string_view outputFile,
                                            std::uint32_t*) override {
        FUZZ_CHECK(document == ui::kDiagnosticDocumentName && outputFile.empty());
        ++started;
        return std::make_unique<Open>(*this);
    }

    std::string delivered;
    int started = 0;
    int ended = 0;
    int writes = 0;

  private:
    class Open final : public platform::RawJob {
      public:
        explicit Open(ScriptedJobs& owner) : owner_(owner) {}
        ~Open() override { ++owner_.ended; }
        bool Write(const void* bytes, std::uint32_t length, std::uint32_t* written) override {
            FUZZ_CHECK(length > 0);
            ++owner_.writes;
            // Once the script is spent the spooler takes everything.
            const auto answer =
                static_cast<std::uint8_t>(owner_.script_.empty() ? 0xEF : owner_.script_.front());
            if (!owner_.script_.empty()) owner_.script_.remove_prefix(1);
            if (answer >= 0xF0) {
                *written = answer & 0x0F;
                return false;
            }
            // A spooler may even claim more than it was given.
            const std::uint32_t taken = std::min<std::uint32_t>(answer, length);
            owner_.delivered.append(static_cast<const char*>(bytes), taken);
            *written = answer;
            return true;
        }

      private:
        ScriptedJobs& owner_;
    };

    std::string_view script_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts =
        fuzz::Split({reinterpret_cast<const char*>(data), size}, 2);
    const std::string job = ui::DiagnosticJob(parts[0]);
    FUZZ_CHECK(job.size() <= ui::kDiagnosticJobBytes - 1);
    const std::string head = std::string(kUel) + "@PJL\r\n";
    const std::string tail = "\r\n" + std::string(kUel);
    FUZZ_CHECK(job.size() >= head.size() + tail.size());
    FUZZ_CHECK(job.compare(0, head.size(), head) == 0);
    FUZZ_CHECK(job.compare(job.size() - tail.size(), tail.size(), tail) == 0);
    const std::string_view command(job.data() + head.size(),
                                   job.size() - head.size() - tail.size());
    FUZZ_CHECK(parts[0].substr(0, command.size()) == command);

    fakes::FakePlatform fake;
    ScriptedJobs jobs(parts[1]);
    platform::Platform ports = fake.ports();
    ports.rawJobs = &jobs;
    fake.lastError.Set(0);
    const bool sent =
        ui::SendDiagnosticJob(ports, reinterpret_cast<void*>(0x50), job.data(), job.size());
    FUZZ_CHECK(jobs.started == 1 && jobs.ended == 1);
    FUZZ_CHECK(jobs.writes <= static_cast<int>(job.size()));
    if (sent) {
        FUZZ_CHECK(jobs.delivered == job);
    } else {
        FUZZ_CHECK(job.compare(0, jobs.delivered.size(), jobs.delivered) == 0);
        FUZZ_CHECK(fake.lastError.Get() == platform::kErrorWriteFault);
    }
    return 0;
}
