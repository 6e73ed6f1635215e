// Runs the DevMode operations many times against the counting fakes and prints, per
// operation, how often the driver information was read from the spooler (and how many
// spooler calls that took) and how long one operation took. Reports only; asserts nothing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "devmode/devmode_handler.h"
#include "devmode/oem_devmode.h"
#include "fakes/fake_platform.h"

namespace {

// A model profile with every key the record reads.
class BenchProfiles final : public platform::ProfileFiles {
  public:
    std::uint32_t GetInt(std::u16string_view, std::u16string_view key, std::int32_t defaultValue,
                         std::u16string_view) override {
        const auto it = values_.find(std::u16string(key));
        return it == values_.end() ? static_cast<std::uint32_t>(defaultValue) : it->second;
    }
    std::uint32_t GetString(std::u16string_view, std::u16string_view, std::u16string_view,
                            char16_t* buffer, std::uint32_t units, std::u16string_view) override {
        if (buffer != nullptr && units > 0) buffer[0] = u'\0';
        return 0;
    }

  private:
    std::map<std::u16string, std::uint32_t> values_ = {
        {u"PrinterInstalledHDD", 1}, {u"iResolution", 600},        {u"GraphicsCopiesSetting", 1},
        {u"PrinterHDD", 1},          {u"PrinterJobAccounting", 1}, {u"CriticalMemorySize", 128},
        {u"PrinterMemory", 256},     {u"RAMCollate", 1},           {u"DuplexOptions", 2}};
};

struct Case {
    const char* name;
    host::DWORD mode;
    bool foreignInput;
};

}  // namespace

int main(int argc, char** argv) {
    const long iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 20000;
    if (iterations <= 0) {
        std::fprintf(stderr, "usage: devmode_bench [iterations]\n");
        return 2;
    }

    const Case cases[] = {{"default", host::kOemDmDefault, false},
                          {"convert (own record)", host::kOemDmConvert, false},
                          {"convert (foreign record)", host::kOemDmConvert, true},
                          {"merge (own record)", host::kOemDmMerge, false},
                          {"merge (foreign record)", host::kOemDmMerge, true}};

    // A driver-information query is one read of the information; the spooler is called
    // twice for it (once for the size, once for the data).
    std::printf("%-26s %14s %14s %12s\n", "operation", "queries/op", "spooler calls", "ns/op");
    for (const Case& c : cases) {
        fakes::FakePlatform fakes;
        BenchProfiles profiles;
        platform::Platform ports = fakes.ports();
        ports.profiles = &profiles;

        std::vector<unsigned char> in(devmode::kSize), out(devmode::kSize);
        devmode::Set(out.data(), devmode::kDwSignature, devmode::kSignature);
        devmode::Set(in.data(), devmode::kDwSize, devmode::kSize);
        devmode::Set(in.data(), devmode::kDwSignature,
                     c.foreignInput ? 0x12345678u : devmode::kSignature);

        host::OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.hPrinter = reinterpret_cast<void*>(0x1);
        param.pOEMDMIn = in.data();
        param.pOEMDMOut = out.data();

        const auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < iterations; ++i) {
            param.cbBufSize = devmode::kSize;
            devmode::HandleDevMode(ports, c.mode, param);
            // Keep the output's signature what the case compares against.
            devmode::Set(out.data(), devmode::kDwSignature, devmode::kSignature);
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const double ns =
            static_cast<double>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()) /
            static_cast<double>(iterations);
        const double reads =
            static_cast<double>(fakes.spooler.driverAnswers) / static_cast<double>(iterations);
        const double calls =
            static_cast<double>(fakes.spooler.driverQueries) / static_cast<double>(iterations);
        std::printf("%-26s %14.2f %14.2f %12.0f\n", c.name, reads, calls, ns);
    }
    return 0;
}
