#include "modelcheck/model_folder.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/errors.h"
#include "plugin/host_interface.h"

namespace modelcheck {
namespace {

std::u16string Fold(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
}

bool StartsWithFolded(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && Fold(s.substr(0, prefix.size())) == Fold(prefix);
}

// The whole file, or nothing when it cannot be opened or holds more than kMaxFileBytes.
std::optional<std::string> ReadBounded(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    while (in) {
        in.read(chunk, sizeof chunk);
        const auto got = static_cast<std::size_t>(in.gcount());
        if (bytes.size() + got > kMaxFileBytes) return std::nullopt;
        bytes.append(chunk, got);
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

std::u16string_view ModelFileName(std::u16string_view path) {
    return StartsWithFolded(path, kDriverDir) ? path.substr(kDriverDir.size()) : path;
}

void FolderFiles::List() {
    listed_ = true;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        try {
            const std::u16string name = it->path().filename().u16string();
            exact_.emplace(name, it->path());
            folded_.emplace(Fold(name), it->path());
        } catch (const std::exception&) {
            // A name that is no text in the system's encoding cannot be one the plug-in forms.
        }
    }
}

std::optional<std::string> FolderFiles::Read(std::u16string_view path) {
    if (!StartsWithFolded(path, kDriverDir)) return std::nullopt;
    const std::u16string_view name = path.substr(kDriverDir.size());
    if (name.empty() || name.find_first_of(u"\\/") != std::u16string_view::npos) {
        return std::nullopt;
    }
    if (!listed_) List();
    auto found = exact_.find(std::u16string(name));
    if (found == exact_.end()) {
        found = folded_.find(Fold(name));
        if (found == folded_.end()) return std::nullopt;
    }
    return ReadBounded(found->second);
}

// Blocks of the C heap, zero-filled when they are made.
class ModelPorts::Heap final : public platform::Heap {
  public:
    void* Alloc(void*, std::size_t bytes) override { return std::calloc(1, bytes); }
    void* ReAlloc(void*, void* block, std::size_t bytes) override {
        return std::realloc(block, bytes);
    }
    void Free(void*, void* block) override { std::free(block); }
};

// One printer whose driver's data file is given, in a driver directory of kDriverRoot.
class ModelPorts::Spooler final : public platform::Spooler {
  public:
    explicit Spooler(std::u16string_view dataFile) : dataFile_(dataFile) {}

    std::uint32_t ReadDriverInfo(void*, std::uint32_t level, void* buffer, std::uint32_t bytes,
                                 std::uint32_t* needed) override {
        if (level != 2) return platform::kErrorInvalidLevel;
        // The structure, then the data file's name with its terminator.
        const std::size_t size =
            sizeof(host::DRIVER_INFO_2W) + (dataFile_.size() + 1) * sizeof(char16_t);
        if (needed != nullptr) *needed = static_cast<std::uint32_t>(size);
        if (buffer == nullptr || bytes < size) return platform::kErrorInsufficientBuffer;
        auto* block = static_cast<unsigned char*>(buffer);
        std::memset(block, 0, size);
        auto* name = reinterpret_cast<char16_t*>(block + sizeof(host::DRIVER_INFO_2W));
        std::memcpy(name, dataFile_.data(), dataFile_.size() * sizeof(char16_t));
        host::DRIVER_INFO_2W info{};
        info.cVersion = 3;
        info.pDataFile = name;
        std::memcpy(block, &info, sizeof info);
        return platform::kErrorSuccess;
    }
    std::uint32_t DriverDirectory(char16_t* buffer, std::uint32_t units) override {
        if (buffer == nullptr || units <= kDriverRoot.size()) {
            return platform::kErrorInsufficientBuffer;
        }
        std::memcpy(buffer, kDriverRoot.data(), kDriverRoot.size() * sizeof(char16_t));
        buffer[kDriverRoot.size()] = u'\0';
        return platform::kErrorSuccess;
    }
    std::uint32_t ReadPrinterData(void*, std::u16string_view, std::uint32_t*, void*, std::uint32_t,
                                  std::uint32_t*) override {
        return platform::kErrorFileNotFound;
    }
    std::uint32_t WritePrinterData(void*, std::u16string_view, std::uint32_t, const void*,
                                   std::uint32_t) override {
        return platform::kErrorNotSupported;
    }
    std::uint32_t PortName(void*, std::u16string*) override { return platform::kErrorNotSupported; }
    std::uint32_t ReadForm(void*, std::u16string_view, std::uint32_t*, std::uint32_t*,
                           std::uint32_t*) override {
        return platform::kErrorNotSupported;
    }

  private:
    std::u16string dataFile_;
};

// A per-user registry in which every printer's key holds the same DrvCntCode; nothing can be
// written.
class ModelPorts::Registry final : public platform::Registry {
  public:
    std::unique_ptr<platform::RegistryKey> OpenHive(platform::Hive hive, std::uint32_t) override {
        if (hive != platform::Hive::kCurrentUser) return nullptr;
        return std::make_unique<Key>(code_);
    }
    void SetCode(std::u16string_view code) { code_ = code; }

  private:
    class Key final : public platform::RegistryKey {
      public:
        explicit Key(const std::u16string& code) : code_(code) {}
        std::unique_ptr<platform::RegistryKey> Open(std::u16string_view, std::uint32_t) override {
            return std::make_unique<Key>(code_);
        }
        std::unique_ptr<platform::RegistryKey> Create(std::u16string_view, std::uint32_t) override {
            return nullptr;
        }
        long DeleteKey(std::u16string_view) override { return platform::kRegFileNotFound; }
        long DeleteEmptyKey(std::u16string_view) override { return platform::kRegFileNotFound; }
        long QueryValue(std::u16string_view name, std::uint32_t* type, void* data,
                        std::uint32_t* size) override {
            if (name != u"DrvCntCode" || size == nullptr) return platform::kRegFileNotFound;
            const auto bytes = static_cast<std::uint32_t>((code_.size() + 1) * sizeof(char16_t));
            if (type != nullptr) *type = platform::kRegSz;
            const std::uint32_t room = *size;
            *size = bytes;
            if (data == nullptr) return platform::kRegSuccess;
            if (room < bytes) return platform::kRegMoreData;
            std::memcpy(data, code_.c_str(), bytes);
            return platform::kRegSuccess;
        }
        long SetValue(std::u16string_view, std::uint32_t, const void*, std::uint32_t) override {
            return platform::kRegFileNotFound;
        }

      private:
        const std::u16string& code_;
    };

    std::u16string code_ = u"EN";
};

ModelPorts::ModelPorts(platform::ProfileFiles& profiles, std::u16string_view dataFile)
    : heap_(std::make_unique<Heap>()),
      spooler_(std::make_unique<Spooler>(dataFile)),
      registry_(std::make_unique<Registry>()) {
    platform_.heap = heap_.get();
    platform_.spooler = spooler_.get();
    platform_.registry = registry_.get();
    platform_.profiles = &profiles;
}

ModelPorts::~ModelPorts() = default;

void ModelPorts::SetLanguageCode(std::u16string_view code) { registry_->SetCode(code); }

}  // namespace modelcheck
