// The printer's driver information and the model files found through it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/ports.h"
#include "platform/unique_any.h"

namespace profile {

inline constexpr std::size_t kPathUnits = 260;

// A block of driver information on a heap (the host's plug-in heap, or the process heap
// for a null handle), freed with the object.
class DriverInfo {
  public:
    DriverInfo(platform::Heap* heapPort, void* heap) : heapPort_(heapPort), heap_(heap) {}

    // GetPrinterDriverW at most five times; after a failure with error 122 the buffer is
    // allocated (or grown) to the reported size and the call tried again. False when no
    // try succeeded; the buffer is then freed.
    bool Read(platform::Spooler& spooler, void* printer, std::uint32_t level);

    const void* data() const { return block_.get().block; }
    std::size_t size() const { return size_; }
    // pDataFile of level-2 information, bounded by the block; empty when absent.
    std::u16string_view DataFile() const;

  private:
    void Reset();

    platform::Heap* heapPort_;
    void* heap_;
    platform::UniqueHeapBlock block_;
    std::size_t size_ = 0;
};

// Where the file name of a path starts: after its last "\" or "/".
std::size_t FileNameStart(std::u16string_view path);

// The data file up to the first "." of its file name (bound 260 units): the base of every
// model file name. A "." in a folder name does not count.
std::u16string DataFileBase(std::u16string_view dataFile);

// Reads integers of the printer's model profile (the data file base followed by "u.INI")
// without a working session. The driver information is asked for once, at the first read,
// and the profile path kept for every later read of the same object; a missing driver,
// file or key reads as 0.
class PrinterProfile {
  public:
    PrinterProfile(const platform::Platform& platform, void* printer)
        : platform_(platform), printer_(printer) {}

    std::int32_t ReadInt(std::u16string_view section, std::u16string_view key);
    // The profile's path, empty when the driver information could not be had.
    const std::u16string& Path();

  private:
    const platform::Platform& platform_;
    void* printer_;
    bool resolved_ = false;
    std::u16string path_;
};

}  // namespace profile
