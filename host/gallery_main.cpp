// gallery.exe FOLDER [PREFIX [LANGUAGE]]
// Takes the gallery's pictures of the sample models (or only of the model with the file
// prefix PREFIX, and only in LANGUAGE) into FOLDER and writes its index.html there, with
// what earlier runs into FOLDER took. On a system whose default language is written right
// to left it takes the mirrored forms. Prints what it took; fails when a dialog that a
// model offers gave no picture.
#include <windows.h>

#include <cstdio>
#include <string>

#include "gallery.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: gallery.exe FOLDER [PREFIX [LANGUAGE]]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    std::vector<hostsim::GalleryColumn> columns;
    for (const hostsim::GalleryColumn& column : hostsim::SampleGalleryColumns()) {
        if (argc > 2 && column.base != argv[2]) continue;
        if (argc > 3 && column.language != argv[3]) continue;
        columns.push_back(column);
    }
    if (columns.empty()) {
        std::printf("no sample model matches\n");
        return 2;
    }
    CreateDirectoryW(folder.c_str(), nullptr);

    const ULONGLONG start = GetTickCount64();
    const auto taken = hostsim::TakeGallery(columns, folder);

    bool complete = true;
    for (const hostsim::GalleryColumnResult& result : taken) {
        std::printf("  %-12ls %2zu pictures%s", result.column.Label().c_str(),
                    result.pictures.size(),
                    hostsim::GalleryOnRightToLeftSystem() ? " (mirrored)" : "");
        for (const std::string& row : result.failed) std::printf(", MISSING %s", row.c_str());
        std::printf("\n");
        complete = complete && result.failed.empty();
    }
    // The index shows this run's pictures and those of earlier runs into the same folder
    // (the same models on a system of another reading direction).
    const bool indexed =
        hostsim::WriteGalleryIndex(folder, hostsim::MergeGalleryRuns(folder, taken));
    std::printf("  index.html %s; %llu ms\n", indexed ? "written" : "NOT WRITTEN",
                static_cast<unsigned long long>(GetTickCount64() - start));
    return complete && indexed ? 0 : 1;
}
