// The gallery through the real DLL, for the TALEN sample in English and the VANTORA sample:
// every picture is read back by the platform's own PNG decoder (WIC) and must show a
// window, and the index must show each picture and say what a model does not offer.
#include <gtest/gtest.h>
#include <windows.h>

#include <wincodec.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gallery.h"
#include "wine_test_support.h"

namespace {

template <class Interface>
struct ComReleaser {
    void operator()(Interface* object) const { object->Release(); }
};
template <class Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser<Interface>>;

struct Image {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint32_t> pixels;  // 32-bit BGRA, top row first
};

// The picture as WIC decodes it; an empty image when it is no PNG WIC can read.
Image Decode(const std::wstring& path) {
    Image image;
    IWICImagingFactory* rawFactory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&rawFactory)))) {
        return image;
    }
    ComPtr<IWICImagingFactory> factory(rawFactory);
    IWICBitmapDecoder* rawDecoder = nullptr;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &rawDecoder))) {
        return image;
    }
    ComPtr<IWICBitmapDecoder> decoder(rawDecoder);
    GUID format = {};
    IWICBitmapFrameDecode* rawFrame = nullptr;
    if (FAILED(decoder->GetContainerFormat(&format)) || format != GUID_ContainerFormatPng ||
        FAILED(decoder->GetFrame(0, &rawFrame))) {
        return image;
    }
    ComPtr<IWICBitmapFrameDecode> frame(rawFrame);
    IWICFormatConverter* rawConverter = nullptr;
    if (FAILED(factory->CreateFormatConverter(&rawConverter))) return image;
    ComPtr<IWICFormatConverter> converter(rawConverter);
    UINT width = 0, height = 0;
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0) {
        return image;
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    if (FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                     reinterpret_cast<BYTE*>(pixels.data())))) {
        return image;
    }
    image = {width, height, std::move(pixels)};
    return image;
}

// The share of the picture that its commonest colour covers, and how many colours it has.
std::pair<double, std::size_t> Colours(const Image& image) {
    std::map<std::uint32_t, std::size_t> counts;
    for (std::uint32_t pixel : image.pixels) ++counts[pixel];
    std::size_t top = 0;
    for (const auto& [colour, count] : counts) top = count > top ? count : top;
    return {static_cast<double>(top) / static_cast<double>(image.pixels.size()), counts.size()};
}

using winetest::Narrow;

class Gallery : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"cvl-gallery-test";
        CreateDirectoryW(folder_.c_str(), nullptr);
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder_ + L"\\*.*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    }
    void TearDown() override { CoUninitialize(); }

    std::wstring folder_;
};

TEST_F(Gallery, PicturesAreWindowsAndTheIndexShowsEachOrSaysItIsNotOffered) {
    std::vector<hostsim::GalleryColumn> columns;
    for (const hostsim::GalleryColumn& column : hostsim::SampleGalleryColumns()) {
        if ((column.base == L"CVLC5" && column.language == L"EN") || column.base == L"CVLM2") {
            columns.push_back(column);
        }
    }
    ASSERT_EQ(2u, columns.size()) << "the TALEN sample in English and the VANTORA sample";

    const auto results = hostsim::TakeGallery(columns, folder_);
    ASSERT_EQ(2u, results.size());

    // Everything the TALEN model offers, messages included; the VANTORA model has only
    // Print and Hold, in fewer modes.
    const hostsim::GalleryColumnResult& talen = results[0];
    const hostsim::GalleryColumnResult& vantora = results[1];
    for (const auto& result : results) {
        for (const std::string& row : result.failed) {
            ADD_FAILURE() << Narrow(result.column.Label()) << ": no picture of " << row;
        }
    }
    for (const char* row : {"print-and-hold-confidential", "copies-warning", "about"}) {
        EXPECT_EQ(1u, talen.pictures.count(row)) << "CVLC5-EN lacks " << row;
    }
    EXPECT_EQ(1u, vantora.pictures.count("print-and-hold-normal"));
    for (const char* row : {"copies-setting", "job-accounting", "troubleshooting", "about"}) {
        EXPECT_EQ(0u, vantora.pictures.count(row)) << "CVLM2 does not offer " << row;
    }
    EXPECT_LT(vantora.pictures.size(), talen.pictures.size());

    // Each picture is a PNG of a window: the platform decodes it, and it is not one colour
    // (a capture that reads an undrawn window gives a uniform picture).
    std::map<std::string, Image> images;
    for (const auto& result : results) {
        for (const auto& [row, picture] : result.pictures) {
            const Image image = Decode(folder_ + L"\\" + picture.file);
            ASSERT_FALSE(image.pixels.empty()) << Narrow(picture.file) << " does not decode";
            EXPECT_GE(image.width, 100u) << Narrow(picture.file);
            EXPECT_GE(image.height, 60u) << Narrow(picture.file);
            const auto [share, colours] = Colours(image);
            EXPECT_LT(share, 0.97) << Narrow(picture.file) << " is almost one colour";
            EXPECT_GE(colours, 3u) << Narrow(picture.file);
            EXPECT_FALSE(picture.title.empty()) << Narrow(picture.file);
            images[Narrow(picture.file)] = image;
        }
    }
    // The modes of Print and Hold show different fields: each picture is taken after the
    // dialog has redrawn for its mode.
    const Image& normal = images["CVLC5-EN-print-and-hold-normal.png"];
    const Image& confidential = images["CVLC5-EN-print-and-hold-confidential.png"];
    EXPECT_EQ(normal.width, confidential.width);
    EXPECT_NE(normal.pixels, confidential.pixels);

    ASSERT_TRUE(hostsim::WriteGalleryIndex(folder_, results));
    const std::string index = hostsim::FileBytes(folder_ + L"\\index.html");
    EXPECT_EQ(std::string::npos, index.find("<script"));
    for (const auto& [file, image] : images) {
        EXPECT_NE(std::string::npos, index.find("<img src=\"" + file + "\" alt=\""))
            << file << " is not shown with its alt text";
    }
    // Every picture the index names lies beside it.
    std::size_t shown = 0;
    for (std::size_t at = index.find("src=\""); at != std::string::npos;
         at = index.find("src=\"", at + 1)) {
        const std::string file = index.substr(at + 5, index.find('"', at + 5) - at - 5);
        EXPECT_EQ(std::string::npos, file.find_first_of(":/\\")) << file << " is not relative";
        EXPECT_NE(
            INVALID_FILE_ATTRIBUTES,
            GetFileAttributesW((folder_ + L"\\" + std::wstring(file.begin(), file.end())).c_str()))
            << file;
        ++shown;
    }
    EXPECT_EQ(images.size(), shown);
    EXPECT_NE(std::string::npos, index.find("not offered by this model"));
}

}  // namespace
