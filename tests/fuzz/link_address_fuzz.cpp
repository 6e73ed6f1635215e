// The Troubleshooting page's link addresses: an arbitrary link value with the printer's
// address put into its "http://%s" template. Input: the link value and the address, split by
// the separator. Checked: at most 259 characters; a value without the template kept as it
// is; with it, the text before and including "http://" kept and the address put in as text
// in place of that one "%s" only.

#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ui/trouble_page.h"

namespace {

constexpr std::size_t kMost = ui::kPageTextUnits - 1;

std::size_t Percents(std::u16string_view s) { return std::count(s.begin(), s.end(), u'%'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts =
        fuzz::Split({reinterpret_cast<const char*>(data), size}, 2);
    const std::u16string value = fuzz::Text(parts[0]);
    const std::u16string address = fuzz::Text(parts[1]);
    const std::u16string opened = ui::WebLinkAddress(value, address);
    FUZZ_CHECK(opened.size() <= kMost);

    const std::size_t at = value.find(ui::kPrinterPageTemplate);
    if (at == std::u16string::npos) {
        FUZZ_CHECK(opened == value.substr(0, kMost));
        return 0;
    }
    const std::size_t head = at + ui::kPrinterPageTemplate.size() - 2;  // up to "http://"
    FUZZ_CHECK(opened.substr(0, head) == value.substr(0, std::min(head, kMost)));
    FUZZ_CHECK(opened.substr(std::min(head, opened.size()), address.size()) ==
               address.substr(0, kMost - std::min(head, kMost)));
    // The template's "%" is gone; every other one is kept, the address's own included.
    FUZZ_CHECK(Percents(opened) <= Percents(value) - 1 + Percents(address));
    if (value.size() - 2 + address.size() <= kMost) {
        FUZZ_CHECK(Percents(opened) == Percents(value) - 1 + Percents(address));
    }
    return 0;
}
