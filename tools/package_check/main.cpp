// package_check: checks an assembled printer driver package folder against its INF.
//
// usage: package_check --inf NAME --arch DECORATION... [--family FILE]... [--models DIR] PACKAGE
//
//   --inf NAME        the INF at the package's root
//   --arch NTx86      a Models decoration the package must install (give each one)
//   --family FILE     a file that every model must install, such as the plug-in
//   --models DIR      the model files' folder: each of its files (but *.md and hidden ones)
//                     must be installed with its model
//
// Prints, per architecture, the files the INF installs and where they lie in the package,
// then every problem found; exits with 1 when there is one.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "inf_file.h"
#include "package_check.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Usage() {
    std::cerr << "usage: package_check --inf NAME --arch DECORATION... [--family FILE]... "
                 "[--models DIR] PACKAGE\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    pkgcheck::Expectations expected;
    std::string packageDir;
    std::string modelsDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--inf" && hasValue) {
            expected.infName = argv[++i];
        } else if (arg == "--arch" && hasValue) {
            expected.architectures.push_back(argv[++i]);
        } else if (arg == "--family" && hasValue) {
            expected.familyFiles.push_back(argv[++i]);
        } else if (arg == "--models" && hasValue) {
            modelsDir = argv[++i];
        } else if (!arg.starts_with("--") && packageDir.empty()) {
            packageDir = arg;
        } else {
            return Usage();
        }
    }
    if (packageDir.empty() || expected.infName.empty() || expected.architectures.empty()) {
        return Usage();
    }

    std::error_code error;
    if (!fs::is_directory(packageDir, error)) {
        std::cout << "FAIL: there is no package at " << packageDir << " (run make package)\n";
        return 1;
    }
    pkgcheck::PackageTree package;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(packageDir)) {
        if (!entry.is_regular_file()) continue;
        package.Add(fs::relative(entry.path(), packageDir).generic_string(),
                    ReadFile(entry.path()));
    }
    if (!modelsDir.empty()) {
        for (const fs::directory_entry& entry : fs::directory_iterator(modelsDir)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && !name.starts_with('.') &&
                !inf::EndsWithNoCase(name, ".md")) {
                expected.modelFiles.push_back(name);
            }
        }
    }

    const pkgcheck::Report report = pkgcheck::CheckPackage(package, expected);
    std::cout << "package " << packageDir << ", " << expected.infName << "\n";
    if (!expected.familyFiles.empty()) {
        std::cout << "every model must install:";
        for (const std::string& file : expected.familyFiles) std::cout << ' ' << file;
        std::cout << "\n";
    }
    for (const auto& [architecture, files] : report.installed) {
        std::cout << architecture << " installs " << files.size() << " files:";
        for (const std::string& file : files) std::cout << ' ' << file;
        std::cout << "\n";
    }
    for (const std::string& problem : report.problems) std::cout << "FAIL: " << problem << "\n";
    std::cout << (report.problems.empty() ? "ok\n"
                                          : std::to_string(report.problems.size()) + " problems\n");
    return report.problems.empty() ? 0 : 1;
}
