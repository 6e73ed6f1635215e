#include "ui/diagnostic_pages.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace ui {
namespace {

// The Universal Exit Language sequence: ESC "%-12345X".
constexpr std::string_view kUel = "\x1B%-12345X";
constexpr std::string_view kPjlLine = "@PJL\r\n";
constexpr std::string_view kLineEnd = "\r\n";
// Far above any page number; a longer run of digits stays at it.
constexpr int kNumberCeiling = 1000000;

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The entry's number as the wide "to integer" reads it; 0 when it starts with no digit.
int LeadingNumber(std::u16string_view entry) {
    std::size_t at = 0;
    while (at < entry.size() && IsBlank(entry[at])) ++at;
    bool negative = false;
    if (at < entry.size() && (entry[at] == u'-' || entry[at] == u'+')) {
        negative = entry[at++] == u'-';
    }
    int value = 0;
    for (; at < entry.size() && entry[at] >= u'0' && entry[at] <= u'9'; ++at) {
        value = std::min(value * 10 + (entry[at] - u'0'), kNumberCeiling);
    }
    return negative ? -value : value;
}

}  // namespace

std::vector<int> DiagnosticPageNumbers(std::u16string_view list) {
    std::vector<int> numbers;
    while (true) {
        const std::size_t comma = list.find(u',');
        const int number = LeadingNumber(list.substr(0, comma));
        if (number >= 1 && number <= kDiagnosticPageCount) numbers.push_back(number);
        if (comma == std::u16string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return numbers;
}

std::string DiagnosticJob(std::string_view ansiCommand) {
    constexpr std::size_t kFrame = 2 * kUel.size() + kPjlLine.size() + kLineEnd.size();
    const std::size_t room = kDiagnosticJobBytes - 1 - kFrame;
    std::string job;
    job.reserve(kDiagnosticJobBytes - 1);
    job.append(kUel).append(kPjlLine);
    job.append(ansiCommand.substr(0, room));
    job.append(kLineEnd).append(kUel);
    return job;
}

bool SendDiagnosticJob(const platform::Platform& ports, void* printer, const void* bytes,
                       std::size_t length) {
    if (printer == nullptr) return false;
    const auto setError = [&ports](std::uint32_t code) {
        if (ports.lastError != nullptr) ports.lastError->Set(code);
    };
    if (bytes == nullptr || length == 0) {
        setError(platform::kErrorInvalidParameter);
        return false;
    }
    std::uint32_t startError = 0;
    std::unique_ptr<platform::RawJob> job =
        ports.rawJobs != nullptr
            ? ports.rawJobs->Start(printer, kDiagnosticDocumentName, u"", &startError)
            : nullptr;
    if (job == nullptr) {
        setError(platform::kErrorSpoolerStartDoc);
        return false;
    }
    const auto* next = static_cast<const unsigned char*>(bytes);
    std::size_t left = length;
    while (left > 0) {
        const auto chunk = static_cast<std::uint32_t>(
            std::min<std::size_t>(left, std::numeric_limits<std::uint32_t>::max()));
        std::uint32_t written = 0;
        // A call that fails counts as one that wrote nothing, whatever count it reported.
        if (!job->Write(next, chunk, &written) || written == 0) {
            // The page and the document are ended before the code is set: ending them may
            // set a code of its own.
            job.reset();
            setError(platform::kErrorWriteFault);
            return false;
        }
        written = std::min(written, chunk);
        next += written;
        left -= written;
    }
    job.reset();
    return true;
}

}  // namespace ui
