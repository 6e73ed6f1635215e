// The gallery: a picture of every dialog, page and message the plug-in shows, for every
// sample model in every language it has texts for, and an index.html that shows them side
// by side (for translators and model authors). The real DLL opens everything the way the
// driver's calls open it; a robot on a second thread takes each picture and closes it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "model_install.h"

namespace hostsim {

// One column of the gallery: a model in one language. An empty language stands for the
// one text file of a model that is not language-dependent.
struct GalleryColumn {
    const ModelSpec* model = nullptr;
    std::wstring base;      // the model's file prefix, e.g. "CVLC5"
    std::wstring language;  // the language code, e.g. "EN", or empty
    std::wstring Label() const { return language.empty() ? base : base + L"-" + language; }
};

// A picture taken: its file name (relative to the gallery folder) and the window's title.
struct GalleryPicture {
    std::wstring file;
    std::wstring title;
};

struct GalleryColumnResult {
    GalleryColumn column;
    std::map<std::string, GalleryPicture> pictures;  // by row key
    std::vector<std::string> failed;                 // offered, but no picture was written
};

// Every column of the sample models: a language-dependent model has one column per text
// file "<prefix><code>.DAT" beside it, any other model one column.
std::vector<GalleryColumn> SampleGalleryColumns();

// True when the system's default language is written right to left: the plug-in then
// loads the mirrored forms of its dialogs, and the gallery's rows are their mirrored rows.
bool GalleryOnRightToLeftSystem();

// Loads the plug-in beside this program, takes the pictures of `columns` into `folder`
// (which must exist) and reports each. The models are installed first, and their printer
// has every installable option, so that everything a model can offer shows. On a
// right-to-left system every row key ends in "-rtl".
std::vector<GalleryColumnResult> TakeGallery(const std::vector<GalleryColumn>& columns,
                                             const std::wstring& folder);

// The results kept in folder\gallery.tsv by earlier runs (one run per system language),
// merged with `results`, and kept there again: the index shows what every run took.
std::vector<GalleryColumnResult> MergeGalleryRuns(const std::wstring& folder,
                                                  const std::vector<GalleryColumnResult>& results);

// Writes folder\index.html: a row per dialog, a column per model and language, each cell
// the picture or what stands in for it.
bool WriteGalleryIndex(const std::wstring& folder, const std::vector<GalleryColumnResult>& results);

}  // namespace hostsim
