// Checks an assembled printer driver package: its INF, read as the printer class installer
// reads it for each architecture, against the files that lie in the package.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pkgcheck {

// The files of a package by their path below its root, "/" between folders ("x86/CVLU.DLL"),
// with their contents. Paths are matched without regard to case, as Windows matches them.
class PackageTree {
  public:
    void Add(std::string path, std::string content);
    void Remove(std::string_view path);
    // The content of the file, or null when there is none.
    const std::string* Find(std::string_view path) const;

  private:
    std::map<std::string, std::string> files_;  // lower-case path -> content
};

struct Expectations {
    std::string infName;                     // the INF at the package's root
    std::vector<std::string> architectures;  // Models decorations to install for: NTx86, ...
    std::vector<std::string> familyFiles;    // files that every model installs (the plug-in, ...)
    std::vector<std::string> modelFiles;     // the sample model files, each to be installed
};

struct Report {
    std::vector<std::string> problems;  // each once, in the order found
    // Per architecture: the package paths of the files its models install.
    std::map<std::string, std::vector<std::string>> installed;
};

Report CheckPackage(const PackageTree& package, const Expectations& expected);

}  // namespace pkgcheck
