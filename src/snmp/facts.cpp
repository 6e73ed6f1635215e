#include "snmp/facts.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace snmp {
namespace {

// Host Resources MIB (RFC 2790).
const Oid kHrMemorySize0{1, 3, 6, 1, 2, 1, 25, 2, 2, 0};
const Oid kHrDeviceType{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2};
const Oid kHrDeviceDiskStorage{1, 3, 6, 1, 2, 1, 25, 3, 1, 6};
// Printer MIB (RFC 3805).
const Oid kPrtInputEntry{1, 3, 6, 1, 2, 1, 43, 8, 2, 1};
constexpr std::uint32_t kPrtInputType = 2;
constexpr std::uint32_t kPrtInputMaxCapacity = 9;
const Oid kPrtOutputType{1, 3, 6, 1, 2, 1, 43, 9, 2, 1, 2};
const Oid kPrtMediaPathType{1, 3, 6, 1, 2, 1, 43, 13, 4, 1, 9};
// PrtMediaPathTypeTC: longEdgeBindingDuplex(3), shortEdgeBindingDuplex(4); simplex is 5.
constexpr std::int64_t kLongEdgeDuplex = 3;
constexpr std::int64_t kShortEdgeDuplex = 4;
// Printer Finishing MIB (RFC 3806): finDeviceType, the first readable column of its table.
const Oid kFinDeviceType{1, 3, 6, 1, 2, 1, 43, 30, 1, 1, 2};

std::int16_t Field(std::span<const std::uint8_t, autoconfig::kBlockBytes> block,
                   std::size_t offset) {
    return static_cast<std::int16_t>(block[offset] | (block[offset + 1] << 8));
}

void SetField(Block block, std::size_t offset, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    block[offset] = static_cast<std::uint8_t>(bits & 0xFF);
    block[offset + 1] = static_cast<std::uint8_t>(bits >> 8);
}

std::int16_t Optional(std::size_t rows, std::int32_t standard) {
    const std::size_t base = static_cast<std::size_t>(std::max(standard, 0));
    return static_cast<std::int16_t>(rows > base ? std::min<std::size_t>(rows - base, 0x7FFF) : 0);
}

// The rows of a column: the index part of each name under it.
struct Rows {
    std::vector<Oid> indexes;
    std::vector<std::int64_t> integers;  // each row's value when it is an integer, else -2
};

std::optional<Rows> WalkColumn(Client& client, const Oid& column) {
    Rows rows;
    const bool answered = client.Walk(column, kMaxRows, [&](const Answer& answer) {
        Oid index;
        for (std::size_t i = column.size(); i < answer.name.size(); ++i) {
            index.Append(answer.name[i]);
        }
        rows.indexes.push_back(index);
        rows.integers.push_back(answer.value.kind == Value::Kind::kInteger ? answer.value.integer
                                                                           : -2);
    });
    if (!answered) return std::nullopt;
    return rows;
}

}  // namespace

Asked AskedOf(std::span<const std::uint8_t, autoconfig::kBlockBytes> block) {
    Asked asked;
    asked.trays = Field(block, autoconfig::kTrayCodeOffset) == 0;
    asked.duplex = Field(block, autoconfig::kDuplexOffset) == 0;
    asked.hardDisk = Field(block, autoconfig::kHardDiskOffset) == 0;
    asked.finisher = Field(block, autoconfig::kFinisherOffset) == 0;
    asked.memory = Field(block, autoconfig::kMemoryOffset) == 0;
    asked.outputBin = Field(block, autoconfig::kOutputBinOffset) == 0;
    return asked;
}

std::int16_t TrayCode(std::size_t inputRows, std::span<const std::int64_t> optionalCapacities,
                      const Settings& settings) {
    const std::int16_t optional = Optional(inputRows, settings.standardInputs);
    // The codes stand for trays 2 to 4 in order; a large tray can only be the last of them.
    if (settings.largeTrayCapacity > 0 && optional >= 1 && optional <= 3 &&
        optionalCapacities.size() == static_cast<std::size_t>(optional) &&
        optionalCapacities.back() >= settings.largeTrayCapacity) {
        return static_cast<std::int16_t>(9 + optional);
    }
    constexpr std::int16_t kCodes[] = {0, 1, 3, 4};
    return kCodes[std::min<std::int16_t>(optional, 3)];
}

std::int16_t MemoryMegabytes(const Value& kilobytes) {
    if (kilobytes.kind != Value::Kind::kInteger || kilobytes.integer <= 0) return 0;
    return static_cast<std::int16_t>(std::min<std::int64_t>(kilobytes.integer / 1024, 0x7FFF));
}

std::optional<Facts> ReadFacts(Client& client, const Asked& asked, const Settings& settings) {
    Facts facts;
    if (asked.memory) {
        const std::optional<Answer> answer = client.Get(kHrMemorySize0);
        if (!answer) return std::nullopt;
        // An error status (SNMPv1's noSuchName) or an exception: no such object, 0.
        facts.memoryMb = answer->errorStatus == 0 ? MemoryMegabytes(answer->value) : 0;
    }
    if (asked.hardDisk) {
        std::int16_t disk = 0;
        const bool answered = client.Walk(kHrDeviceType, kMaxRows, [&](const Answer& answer) {
            if (answer.value.kind == Value::Kind::kObjectId &&
                answer.value.oid == kHrDeviceDiskStorage) {
                disk = 1;
            }
        });
        if (!answered) return std::nullopt;
        facts.hardDisk = disk;
    }
    if (asked.duplex) {
        const std::optional<Rows> paths = WalkColumn(client, kPrtMediaPathType);
        if (!paths) return std::nullopt;
        facts.duplex = std::any_of(paths->integers.begin(), paths->integers.end(),
                                   [](std::int64_t type) {
                                       return type == kLongEdgeDuplex || type == kShortEdgeDuplex;
                                   })
                           ? 1
                           : 0;
    }
    if (asked.trays) {
        const std::optional<Rows> inputs = WalkColumn(client, kPrtInputEntry.Child(kPrtInputType));
        if (!inputs) return std::nullopt;
        const std::size_t rows = inputs->indexes.size();
        const std::int16_t optional = Optional(rows, settings.standardInputs);
        std::vector<std::int64_t> capacities;
        // Capacities matter only where a large tray can be reported.
        if (settings.largeTrayCapacity > 0 && optional >= 1 && optional <= 3) {
            for (std::size_t row = rows - static_cast<std::size_t>(optional); row < rows; ++row) {
                Oid name = kPrtInputEntry.Child(kPrtInputMaxCapacity);
                for (std::uint32_t arc : inputs->indexes[row]) name.Append(arc);
                const std::optional<Answer> answer = client.Get(name);
                if (!answer) return std::nullopt;
                capacities.push_back(answer->errorStatus == 0 &&
                                             answer->value.kind == Value::Kind::kInteger
                                         ? answer->value.integer
                                         : -2);
            }
        }
        facts.trayCode = TrayCode(rows, capacities, settings);
    }
    if (asked.outputBin) {
        const std::optional<Rows> outputs = WalkColumn(client, kPrtOutputType);
        if (!outputs) return std::nullopt;
        facts.outputBins = Optional(outputs->indexes.size(), settings.standardOutputs);
    }
    if (asked.finisher) {
        // One row is enough to know that a finisher is there.
        std::int16_t finisher = 0;
        if (!client.Walk(kFinDeviceType, 1, [&](const Answer&) { finisher = 1; })) {
            return std::nullopt;
        }
        facts.finisher = finisher;
    }
    return facts;
}

void WriteFacts(const Facts& facts, Block block) {
    const std::pair<const std::optional<std::int16_t>*, std::size_t> fields[] = {
        {&facts.trayCode, autoconfig::kTrayCodeOffset},
        {&facts.duplex, autoconfig::kDuplexOffset},
        {&facts.hardDisk, autoconfig::kHardDiskOffset},
        {&facts.finisher, autoconfig::kFinisherOffset},
        {&facts.memoryMb, autoconfig::kMemoryOffset},
        {&facts.outputBins, autoconfig::kOutputBinOffset},
    };
    for (const auto& [fact, offset] : fields) {
        if (fact->has_value()) SetField(block, offset, **fact);
    }
}

}  // namespace snmp
