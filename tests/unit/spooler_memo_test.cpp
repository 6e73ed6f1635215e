#include "plugin/spooler_memo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_platform.h"
#include "profile/driver_info.h"

namespace {

using plugin::PrinterScope;
using plugin::SpoolerMemo;

// Printers behind handles, each a FakeSpooler of its own with its own driver and data. A
// handle can be closed and opened again for another printer, as the spooler reuses handles.
// Calls are serialised, as the real spooler's are safe on any thread.
class Printers final : public platform::Spooler {
  public:
    fakes::FakeSpooler& Add(std::u16string name, std::u16string dataFile) {
        auto& printer = printers_[name];
        printer = std::make_unique<fakes::FakeSpooler>();
        printer->dataFile = std::move(dataFile);
        return *printer;
    }
    void Open(void* handle, std::u16string name) { handles_[handle] = std::move(name); }

    std::uint32_t ReadDriverInfo(void* printer, std::uint32_t level, void* buffer,
                                 std::uint32_t bytes, std::uint32_t* needed) override {
        ++driverQueries;
        std::lock_guard<std::mutex> lock(mutex_);
        if (handles_.count(printer) == 0) return 6;  // ERROR_INVALID_HANDLE
        if (oversized && buffer == nullptr) {
            if (needed != nullptr) *needed = 2u << 20;
            return platform::kErrorInsufficientBuffer;
        }
        const std::uint32_t status =
            Of(printer).ReadDriverInfo(printer, level, buffer, bytes, needed);
        if (status == 0 && stray) {  // the data file just past the block
            host::DRIVER_INFO_2W info;
            std::memcpy(&info, buffer, sizeof info);
            info.pDataFile = reinterpret_cast<host::WCHAR*>(static_cast<char*>(buffer) + bytes + 2);
            std::memcpy(buffer, &info, sizeof info);
        }
        return status;
    }
    std::uint32_t DriverDirectory(char16_t* buffer, std::uint32_t units) override {
        ++directoryQueries;
        std::lock_guard<std::mutex> lock(mutex_);
        return printers_.begin()->second->DriverDirectory(buffer, units);
    }
    std::uint32_t ReadPrinterData(void* printer, std::u16string_view name, std::uint32_t* type,
                                  void* data, std::uint32_t bytes, std::uint32_t* needed) override {
        ++dataReads;
        std::lock_guard<std::mutex> lock(mutex_);
        return Of(printer).ReadPrinterData(printer, name, type, data, bytes, needed);
    }
    std::uint32_t WritePrinterData(void* printer, std::u16string_view name, std::uint32_t type,
                                   const void* data, std::uint32_t bytes) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return Of(printer).WritePrinterData(printer, name, type, data, bytes);
    }
    std::uint32_t PortName(void* printer, std::u16string* port) override {
        ++portQueries;
        std::lock_guard<std::mutex> lock(mutex_);
        return Of(printer).PortName(printer, port);
    }
    std::uint32_t ReadForm(void* printer, std::u16string_view name, std::uint32_t* flags,
                           std::uint32_t* width, std::uint32_t* height) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return Of(printer).ReadForm(printer, name, flags, width, height);
    }
    std::uint32_t PrinterName(void* printer, std::u16string* name) override {
        ++nameQueries;
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = handles_.find(printer);
        if (it == handles_.end() || nameless) return 6;  // ERROR_INVALID_HANDLE
        *name = it->second;
        return 0;
    }

    std::atomic<int> driverQueries{0}, directoryQueries{0}, dataReads{0}, portQueries{0},
        nameQueries{0};
    std::atomic<bool> nameless{false};  // no handle can be named
    std::atomic<bool> oversized{false}, stray{false};

  private:
    fakes::FakeSpooler& Of(void* handle) { return *printers_.at(handles_.at(handle)); }

    std::mutex mutex_;
    std::map<std::u16string, std::unique_ptr<fakes::FakeSpooler>> printers_;
    std::map<void*, std::u16string> handles_;
};

void* const kFirst = reinterpret_cast<void*>(0x1);
void* const kSecond = reinterpret_cast<void*>(0x2);

class MemoTest : public ::testing::Test {
  protected:
    MemoTest() {
        talen = &printers.Add(u"Talen C5", u"C:\\D\\3\\CVLC5.PPD");
        vantora = &printers.Add(u"Vantora M2", u"C:\\D\\3\\CVLM2.PPD");
        printers.Open(kFirst, u"Talen C5");
        printers.Open(kSecond, u"Vantora M2");
    }

    // What the session and the DevMode code make of the driver information: the real reader
    // (size query, then the information in a block of the heap, freed after).
    std::u16string DataFile(void* printer, fakes::FakeHeap* on = nullptr) {
        profile::DriverInfo info(on != nullptr ? on : &heap, nullptr);
        if (!info.Read(memo, printer, 2)) return u"<none>";
        return std::u16string(info.DataFile());
    }
    std::uint32_t Dword(void* printer, std::u16string_view name) {
        std::uint32_t value = 0, type = 0, needed = 0;
        const std::uint32_t status =
            memo.ReadPrinterData(printer, name, &type, &value, sizeof value, &needed);
        return status == 0 ? value : 1000 + status;
    }

    Printers printers;
    fakes::FakeSpooler* talen;
    fakes::FakeSpooler* vantora;
    fakes::FakeHeap heap;
    std::atomic<std::uint64_t> clock{5000};
    SpoolerMemo memo{printers, [this] { return clock.load(); }, 500};
};

TEST_F(MemoTest, AnswersArePerPrinterAndRelocatedIntoEachNewBuffer) {
    EXPECT_EQ(u"C:\\D\\3\\CVLC5.PPD", DataFile(kFirst));
    EXPECT_EQ(u"C:\\D\\3\\CVLM2.PPD", DataFile(kSecond));
    EXPECT_EQ(4, printers.driverQueries.load()) << "a size query and a read per printer";
    // The first blocks are freed; the remembered answers point into each new block.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(u"C:\\D\\3\\CVLC5.PPD", DataFile(kFirst));
        EXPECT_EQ(u"C:\\D\\3\\CVLM2.PPD", DataFile(kSecond));
    }
    EXPECT_EQ(4, printers.driverQueries.load());
    EXPECT_EQ(0u, heap.live());

    // Without a scope the name is asked each time; a host call that names its printer needs
    // no question, and one that does not asks once for the whole call.
    const int asked = printers.nameQueries.load();
    {
        const PrinterScope named(kFirst, u"TALEN c5");
        EXPECT_EQ(u"C:\\D\\3\\CVLC5.PPD", DataFile(kFirst)) << "names compare without case";
        EXPECT_EQ(asked, printers.nameQueries.load());
    }
    {
        const PrinterScope unnamed(kSecond);
        EXPECT_EQ(u"C:\\D\\3\\CVLM2.PPD", DataFile(kSecond));
        EXPECT_EQ(u"C:\\D\\3\\CVLM2.PPD", DataFile(kSecond));
        EXPECT_EQ(asked + 1, printers.nameQueries.load());
    }
    EXPECT_EQ(4, printers.driverQueries.load());

    // Once the window has passed the spooler is asked again.
    talen->dataFile = u"C:\\D\\3\\CVLC6.PPD";
    clock += 499;
    EXPECT_EQ(u"C:\\D\\3\\CVLC5.PPD", DataFile(kFirst));
    clock += 1;
    EXPECT_EQ(u"C:\\D\\3\\CVLC6.PPD", DataFile(kFirst));
    EXPECT_EQ(6, printers.driverQueries.load());

    // A printer the spooler cannot name is never remembered; nor is a failure.
    EXPECT_EQ(u"<none>", DataFile(reinterpret_cast<void*>(0x77)));
    vantora->driverMissing = true;
    clock += 500;
    EXPECT_EQ(u"<none>", DataFile(kSecond));
    const int failed = printers.driverQueries.load();
    vantora->driverMissing = false;
    EXPECT_EQ(u"C:\\D\\3\\CVLM2.PPD", DataFile(kSecond));
    EXPECT_EQ(failed + 2, printers.driverQueries.load());
}

TEST_F(MemoTest, DriverInformationBeyondItsBoundsGivesNoDataFile) {
    printers.oversized = true;
    EXPECT_EQ(u"<none>", DataFile(kFirst)) << "two megabytes are never allocated";
    printers.oversized = false;
    printers.stray = true;
    EXPECT_EQ(u"", DataFile(kSecond));
}

TEST_F(MemoTest, AHandleReusedForAnotherPrinterGetsThatPrintersAnswers) {
    EXPECT_EQ(u"C:\\D\\3\\CVLC5.PPD", DataFile(kFirst));
    talen->SetDword(u"HDD_SETTING", 1);
    vantora->SetDword(u"HDD_SETTING", 0);
    EXPECT_EQ(1u, Dword(kFirst, u"HDD_SETTING"));
    std::u16string port;
    ASSERT_EQ(0u, memo.PortName(kFirst, &port));

    // The host closes the handle; the spooler gives the same value to the next printer
    // opened, a moment later.
    printers.Open(kFirst, u"Vantora M2");
    vantora->portName = u"IP_10.0.0.9";
    EXPECT_EQ(u"C:\\D\\3\\CVLM2.PPD", DataFile(kFirst));
    EXPECT_EQ(0u, Dword(kFirst, u"HDD_SETTING"));
    ASSERT_EQ(0u, memo.PortName(kFirst, &port));
    EXPECT_EQ(u"IP_10.0.0.9", port);
    {
        const PrinterScope named(kFirst, u"Talen C5");
        EXPECT_EQ(u"C:\\D\\3\\CVLC5.PPD", DataFile(kFirst)) << "the host named its printer";
    }
}

TEST_F(MemoTest, PrinterDataIsAskedAgainAfterAWriteThroughTheMemo) {
    EXPECT_EQ(1000u + 2, Dword(kFirst, u"HDD_SETTING")) << "missing";
    EXPECT_EQ(1000u + 2, Dword(kFirst, u"hdd_setting"));
    const int reads = printers.dataReads.load();
    std::uint32_t one = 1;
    ASSERT_EQ(0u, memo.WritePrinterData(kFirst, u"HDD_SETTING", platform::kRegDword, &one, 4));
    EXPECT_EQ(1u, Dword(kFirst, u"HDD_SETTING"));
    EXPECT_EQ(reads + 1, printers.dataReads.load());
    // A write through a handle that cannot be named may be to any printer.
    printers.nameless = true;
    std::uint32_t two = 2;
    ASSERT_EQ(0u, memo.WritePrinterData(kFirst, u"HDD_SETTING", platform::kRegDword, &two, 4));
    printers.nameless = false;
    EXPECT_EQ(2u, Dword(kFirst, u"HDD_SETTING"));

    // Another buffer size is another question, as the spooler answers it differently.
    talen->SetString(u"JOBACCOUNT_ID", u"a-rather-long-account-identifier");
    char16_t small[4] = {};
    char16_t large[33] = {};
    std::uint32_t type = 0, needed = 0;
    EXPECT_EQ(234u, memo.ReadPrinterData(kFirst, u"JOBACCOUNT_ID", &type, small, 8, &needed));
    EXPECT_EQ(66u, needed);
    EXPECT_EQ(0u, memo.ReadPrinterData(kFirst, u"JOBACCOUNT_ID", &type, large, 66, &needed));
    EXPECT_EQ(u"a-rather-long-account-identifier", std::u16string_view(large));
    std::fill(std::begin(large), std::end(large), u'#');
    EXPECT_EQ(0u, memo.ReadPrinterData(kFirst, u"JOBACCOUNT_ID", &type, large, 66, &needed));
    EXPECT_EQ(u"a-rather-long-account-identifier", std::u16string_view(large));
    EXPECT_EQ(1u, type);

    // A change made elsewhere (another process) shows once the window has passed.
    talen->SetDword(u"HDD_SETTING", 7);
    EXPECT_EQ(2u, Dword(kFirst, u"HDD_SETTING"));
    clock += 500;
    EXPECT_EQ(7u, Dword(kFirst, u"HDD_SETTING"));

    // The driver directory and the port are remembered too; forms are always asked.
    char16_t folder[64];
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(0u, memo.DriverDirectory(folder, 64));
        EXPECT_EQ(u"C:\\Drivers", std::u16string_view(folder));
    }
    EXPECT_EQ(1, printers.directoryQueries.load());
    EXPECT_EQ(122u, memo.DriverDirectory(folder, 4)) << "a buffer too small, as the spooler says";
    std::uint32_t flags = 0, width = 0, height = 0;
    EXPECT_EQ(0u, memo.ReadForm(kFirst, u"A4", &flags, &width, &height));
    EXPECT_EQ(210000u, width);
}

TEST_F(MemoTest, BoundedAndSafeOnSeveralThreads) {
    SpoolerMemo small(
        printers, [this] { return clock.load(); }, 500, 8);
    for (int i = 0; i < 40; ++i) {
        std::uint32_t value = 0, type = 0, needed = 0;
        small.ReadPrinterData(kFirst,
                              u"V" + std::u16string(1, char16_t(u'a' + i % 26)) +
                                  std::u16string(1, char16_t(u'0' + i / 26)),
                              &type, &value, 4, &needed);
        EXPECT_LE(small.AnswersKept(), 8u);
    }

    talen->SetDword(u"CURRENT_MEMORY", 256);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            void* handle = t % 2 == 0 ? kFirst : kSecond;
            const PrinterScope named(handle, t % 2 == 0 ? u"Talen C5" : u"Vantora M2");
            fakes::FakeHeap own;
            for (int i = 0; i < 300; ++i) {
                const std::u16string file = DataFile(handle, &own);
                if (file != (t % 2 == 0 ? u"C:\\D\\3\\CVLC5.PPD" : u"C:\\D\\3\\CVLM2.PPD")) ++wrong;
                if (t == 0 && i % 10 == 0) {
                    std::uint32_t memory = 256;
                    memo.WritePrinterData(handle, u"CURRENT_MEMORY", platform::kRegDword, &memory,
                                          4);
                }
                if (t == 0) Dword(handle, u"CURRENT_MEMORY");
                ++clock;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, wrong.load());
}

}  // namespace
