// The About dialog's details lines: an arbitrary line with its placeholder replaced by a value
// of an arbitrary version file, for either brand. Input: the brand byte, then the line and
// the version file, split by the separator. Checked: at most 259 characters, never cut in
// the middle of a surrogate pair, lines without a placeholder kept (or emptied for TALEN),
// and a value's "%" shown as text: never read as a format.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "profile/profile_reader.h"
#include "ui/about_dialog.h"

namespace {

constexpr char16_t kVersionPath[] = u"C:\\Drivers\\3\\CVL.VER";

std::size_t Percents(std::u16string_view s) { return std::count(s.begin(), s.end(), u'%'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const bool talen = (input.Byte() & 1) != 0;
    const std::vector<std::string_view> parts = fuzz::Split(input.Rest(), 2);
    const std::u16string line = fuzz::Text(parts[0]);

    struct OneFile final : profile::FileSource {
        std::string bytes;
        std::optional<std::string> Read(std::u16string_view) override { return bytes; }
    } file;
    file.bytes = std::string(parts[1]);
    profile::IniProfileFiles files(file);
    profile::ProfileReader version(&files, kVersionPath);
    version.SetSection(u"Version");

    const std::u16string versionText = fuzz::Text(parts[1]);
    const std::u16string shown = ui::FillDetailsLine(line, version, talen);
    FUZZ_CHECK(shown.size() <= 259);
    // A cut never leaves half a pair; an uncut line ends where the line or a value ends.
    if (fuzz::EndsInHighSurrogate(shown)) {
        FUZZ_CHECK(fuzz::EndsInHighSurrogate(line) ||
                   std::any_of(versionText.begin(), versionText.end(),
                               [](char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }));
    }
    const bool marked = line.find(u'$') != std::u16string::npos ||
                        (talen && line.find(u"%s") != std::u16string::npos);
    if (!marked) {
        std::u16string kept = talen ? std::u16string() : line.substr(0, 259);
        if (line.size() > 259 && fuzz::EndsInHighSurrogate(kept)) kept.pop_back();
        FUZZ_CHECK(shown == kept);
    }
    // Placeholders are replaced by text: every "%" of the result comes from the line or from
    // the version file, where a TALEN "%s" is the placeholder itself.
    FUZZ_CHECK(Percents(shown) <= Percents(line) + Percents(versionText));
    return 0;
}
