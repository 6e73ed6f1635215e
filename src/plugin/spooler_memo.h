// The spooler's answers about printers, remembered for half a second, so that the calls of
// one opening of Printing Preferences and the DevMode calls around it ask the spooler once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports.h"

namespace plugin {

// Tells the calling thread, for as long as the object lives, which printer a handle stands
// for: a host call that names its printer (a settings tree, a property sheet) gives its
// name; one that does not (DevMode) leaves it to be asked of the spooler once, when first
// needed, and kept for the rest of the call. A handle is only ever taken as a printer within
// the host call that handed it over: once closed, the host may get the same handle value for
// another printer. Scopes nest; the innermost one of a handle counts.
class PrinterScope {
  public:
    explicit PrinterScope(void* printer, const char16_t* name = nullptr);
    ~PrinterScope();
    PrinterScope(const PrinterScope&) = delete;
    PrinterScope& operator=(const PrinterScope&) = delete;

    // The innermost scope of this thread that binds `printer`, or null.
    static PrinterScope* Of(void* printer);

    bool known() const { return known_; }
    const std::u16string& name() const { return name_; }
    void Learn(std::u16string name);

  private:
    void* printer_;
    std::u16string name_;
    bool known_;
    PrinterScope* outer_;
};

// A spooler port that remembers the answers of another: the level-2 driver information, the
// printer data, the port name and the driver directory, each exactly as the spooler gave it
// for the same question (the same buffer size), for `windowMilliseconds`. Answers are kept
// by printer name, never by handle: the name comes from the thread's PrinterScope, else from
// the spooler (PrinterName) on every call; without a name nothing is remembered. Printer data
// written through the memo replaces what was remembered of it. Safe on any thread.
class SpoolerMemo final : public platform::Spooler {
  public:
    using Clock = std::function<std::uint64_t()>;  // milliseconds, never going back

    SpoolerMemo(platform::Spooler& spooler, Clock clock, std::uint64_t windowMilliseconds = 500,
                std::size_t maxAnswers = 256);

    std::uint32_t ReadDriverInfo(void* printer, std::uint32_t level, void* buffer,
                                 std::uint32_t bytes, std::uint32_t* needed) override;
    std::uint32_t DriverDirectory(char16_t* buffer, std::uint32_t units) override;
    std::uint32_t ReadPrinterData(void* printer, std::u16string_view name, std::uint32_t* type,
                                  void* data, std::uint32_t bytes, std::uint32_t* needed) override;
    std::uint32_t WritePrinterData(void* printer, std::u16string_view name, std::uint32_t type,
                                   const void* data, std::uint32_t bytes) override;
    std::uint32_t PortName(void* printer, std::u16string* port) override;
    std::uint32_t ReadForm(void* printer, std::u16string_view name, std::uint32_t* flags,
                           std::uint32_t* width, std::uint32_t* height) override;
    std::uint32_t PrinterName(void* printer, std::u16string* name) override;

    std::size_t AnswersKept() const;

  private:
    enum class Kind { kDriverInfo, kDirectory, kPrinterData, kPort };
    struct Key {
        Kind kind;
        std::u16string printer;  // folded
        std::u16string value;    // folded printer-data name
        std::uint32_t bytes;     // the buffer offered
        bool buffer;             // whether one was offered at all
        auto operator<=>(const Key&) const = default;
    };
    struct Answer {
        std::uint32_t status = 0;
        std::uint32_t type = 0;
        std::uint32_t needed = 0;
        std::vector<unsigned char> bytes;  // what the spooler wrote into the buffer
        std::uintptr_t base = 0;           // where that buffer was (driver information)
        std::u16string text;               // port name, driver directory
        std::uint64_t at = 0;
    };

    // The printer's name for the memo's keys (folded); empty when it cannot be had.
    std::u16string NameOf(void* printer);
    // A fresh answer to `key`, copied out; false when there is none.
    bool Recall(const Key& key, Answer* answer);
    void Remember(Key key, Answer answer);

    platform::Spooler& spooler_;
    Clock clock_;
    const std::uint64_t window_;
    const std::size_t maxAnswers_;
    mutable std::mutex mutex_;
    std::map<Key, Answer> answers_;
};

}  // namespace plugin
