// The installed options of a printer as its agent reports them through the standard MIBs
// (Host Resources MIB, Printer MIB, Printer Finishing MIB), and their place in the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "autoconfig/config_block.h"
#include "snmp/client.h"

namespace snmp {

// The settings file's [SNMP] section, with its defaults.
struct Settings {
    std::uint16_t port = 161;
    std::uint32_t timeoutMs = 1000;
    std::uint32_t retries = 1;
    std::int32_t standardInputs = 1;     // inputs of the base printer, not optional trays
    std::int32_t standardOutputs = 1;    // outputs of the base printer, not optional bins
    std::int64_t largeTrayCapacity = 0;  // an optional input of at least this many sheets is a
                                         // large tray; 0: none is
};

using Block = std::span<std::uint8_t, autoconfig::kBlockBytes>;

// The fields the plug-in asked for: those that hold 0. A field at -1 (or anything else) was
// not asked for and is never written.
struct Asked {
    bool trays = false;
    bool duplex = false;
    bool hardDisk = false;
    bool finisher = false;
    bool memory = false;
    bool outputBin = false;
    bool any() const { return trays || duplex || hardDisk || finisher || memory || outputBin; }
};
Asked AskedOf(std::span<const std::uint8_t, autoconfig::kBlockBytes> block);

// What was learnt, each fact only when asked.
struct Facts {
    std::optional<std::int16_t> trayCode;
    std::optional<std::int16_t> duplex;
    std::optional<std::int16_t> hardDisk;
    std::optional<std::int16_t> finisher;
    std::optional<std::int16_t> memoryMb;
    std::optional<std::int16_t> outputBins;
};

// The most rows read of any table: a printer has a handful; an agent that lists more is not
// asked further.
inline constexpr std::size_t kMaxRows = 64;

// The tray code of the optional inputs (the rows past the standard ones): 0, 1, 3 or 4 for
// 0, 1, 2, 3 or more; 10, 11 or 12 when the last of one to three optional inputs is a large
// tray. `capacities` holds the maximum capacity of each optional input in row order (-1 and
// -2 stand for "other" and "unknown").
std::int16_t TrayCode(std::size_t inputRows, std::span<const std::int64_t> optionalCapacities,
                      const Settings& settings);
// The installed memory in megabytes of hrMemorySize (kilobytes); 0 when absent.
std::int16_t MemoryMegabytes(const Value& kilobytes);

// Asks the agent for the asked facts. Empty when it stopped answering on the way: then
// nothing that was learnt counts.
std::optional<Facts> ReadFacts(Client& client, const Asked& asked, const Settings& settings);

// Writes each learnt fact into its field (little-endian).
void WriteFacts(const Facts& facts, Block block);

}  // namespace snmp
