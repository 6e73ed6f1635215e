// The model checker: reads a model's files the way the plug-in reads them, through the
// plug-in's own session initialisation and parsers, and reports every value the plug-in would
// silently replace by a default or leave unused.
#pragma once

#include <filesystem>
#include <string_view>

#include "modelcheck/report.h"
#include "profile/ini_reader.h"

namespace modelcheck {

// Checks the model whose profile is `profileName` ("<base>u.INI"). `folder` answers the
// paths the plug-in forms in its driver directory (kDriverDir followed by a file name): the
// profile and every other file of the model are read through it.
Report CheckModel(profile::FileSource& folder, std::u16string_view profileName);

// The same for a profile on disk, with the model's other files in its folder.
Report CheckModelFile(const std::filesystem::path& profilePath);

}  // namespace modelcheck
