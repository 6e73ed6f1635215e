// A model's folder seen the way the plug-in sees its driver directory: the checker hands the
// plug-in's own session initialisation a spooler, registry and heap that place the model's
// files in a driver directory of their own, and a file source that answers the paths the
// plug-in forms there from the folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "profile/ini_reader.h"

namespace modelcheck {

// The driver directory the spooler reports; the plug-in appends "\3\" and looks for every
// model file in kDriverDir.
inline constexpr std::u16string_view kDriverRoot = u"C:\\model";
inline constexpr std::u16string_view kDriverDir = u"C:\\model\\3\\";

// Files larger than this are not read: they read as missing.
inline constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{64} << 20;

// The file name of a path in kDriverDir ("CVLC5EN.DAT"); any other path unchanged.
std::u16string_view ModelFileName(std::u16string_view path);

// The files of one folder by their paths in kDriverDir. Names are matched without regard to
// ASCII letter case, as Windows matches them (an exact match first); paths outside kDriverDir
// or into a sub-folder read nothing. The folder is listed at the first read.
class FolderFiles final : public profile::FileSource {
  public:
    explicit FolderFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

    std::optional<std::string> Read(std::u16string_view path) override;

  private:
    void List();

    std::filesystem::path folder_;
    bool listed_ = false;
    std::map<std::u16string, std::filesystem::path> exact_;
    std::map<std::u16string, std::filesystem::path> folded_;
};

// The ports that the plug-in's session initialisation reads a model through: the spooler
// reports kDriverRoot and a printer whose data file is `dataFile`, the per-user registry holds
// one language code for every printer, printer data is empty and the heap is the C heap.
// Profile files are read through `profiles`.
class ModelPorts {
  public:
    ModelPorts(platform::ProfileFiles& profiles, std::u16string_view dataFile);
    ~ModelPorts();
    ModelPorts(const ModelPorts&) = delete;
    ModelPorts& operator=(const ModelPorts&) = delete;

    // The code the registry answers as the printer's stored DrvCntCode ("EN" at first).
    void SetLanguageCode(std::u16string_view code);
    const platform::Platform& platform() const { return platform_; }

  private:
    class Heap;
    class Spooler;
    class Registry;

    std::unique_ptr<Heap> heap_;
    std::unique_ptr<Spooler> spooler_;
    std::unique_ptr<Registry> registry_;
    platform::Platform platform_;
};

}  // namespace modelcheck
