#include "profile/driver_info.h"

#include <cstring>

#include "plugin/host_interface.h"

namespace profile {
namespace {

constexpr int kMaxTries = 5;
// Largest driver information block accepted from the spooler.
constexpr std::uint32_t kMaxDriverInfoBytes = 1u << 20;

}  // namespace

void DriverInfo::Reset() {
    block_.reset();
    size_ = 0;
}

bool DriverInfo::Read(platform::Spooler& spooler, void* printer, std::uint32_t level) {
    Reset();
    if (heapPort_ == nullptr) return false;
    for (int attempt = 0; attempt < kMaxTries; ++attempt) {
        std::uint32_t needed = 0;
        void* block = block_.get().block;
        const std::uint32_t error = spooler.ReadDriverInfo(
            printer, level, block, static_cast<std::uint32_t>(size_), &needed);
        if (error == 0) return block != nullptr;
        if (error != platform::kErrorInsufficientBuffer || needed <= size_ ||
            needed > kMaxDriverInfoBytes) {
            continue;
        }
        void* grown = block == nullptr ? heapPort_->Alloc(heap_, needed)
                                       : heapPort_->ReAlloc(heap_, block, needed);
        if (grown == nullptr) break;
        // A grown block replaces the old one, which the heap has already let go of.
        block_.release();
        block_.reset({heapPort_, heap_, grown});
        size_ = needed;
    }
    Reset();
    return false;
}

std::u16string_view DriverInfo::DataFile() const {
    const void* data = block_.get().block;
    if (data == nullptr || size_ < sizeof(host::DRIVER_INFO_2W)) return {};
    host::DRIVER_INFO_2W info;
    std::memcpy(&info, data, sizeof info);
    const char16_t* file = info.pDataFile;
    if (file == nullptr) return {};
    // The strings lie inside the block; never read past its end.
    const auto* begin = static_cast<const unsigned char*>(data);
    const auto* at = reinterpret_cast<const unsigned char*>(file);
    if (at < begin || at >= begin + size_) return {};
    const std::size_t maxUnits = static_cast<std::size_t>(begin + size_ - at) / sizeof(char16_t);
    std::size_t n = 0;
    while (n < maxUnits && file[n] != u'\0') ++n;
    return std::u16string_view(file, n);
}

std::size_t FileNameStart(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? 0 : slash + 1;
}

std::u16string DataFileBase(std::u16string_view dataFile) {
    const std::size_t dot = dataFile.find(u'.', FileNameStart(dataFile));
    std::u16string base(dataFile.substr(0, dot));
    if (base.size() > kPathUnits - 1) base.resize(kPathUnits - 1);
    return base;
}

const std::u16string& PrinterProfile::Path() {
    if (resolved_) return path_;
    resolved_ = true;
    if (platform_.spooler == nullptr) return path_;
    DriverInfo info(platform_.heap, nullptr);
    if (!info.Read(*platform_.spooler, printer_, 2)) return path_;
    const std::u16string base = DataFileBase(info.DataFile());
    if (!base.empty()) path_ = base + u"u.INI";
    return path_;
}

std::int32_t PrinterProfile::ReadInt(std::u16string_view section, std::u16string_view key) {
    const std::u16string& path = Path();
    if (path.empty() || platform_.profiles == nullptr) return 0;
    return static_cast<std::int32_t>(platform_.profiles->GetInt(section, key, 0, path));
}

}  // namespace profile
