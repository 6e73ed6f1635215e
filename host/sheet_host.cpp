#include "sheet_host.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "devmode_calls.h"
#include "plugin_host.h"
#include "png_writer.h"

namespace hostsim {

SheetHost::SheetHost(host::IPrintOemUI* plugIn, HANDLE printer, const wchar_t* printerName,
                     bool document)
    : plugIn_(plugIn), document_(document), heap_(HeapCreate(0, 0, 0)), record_(NewRecord(0)) {
    devmode_.dmSize = sizeof devmode_;
    devmode_.dmCopies = 1;
    if (document_) {
        CallDevMode(plugIn_, host::kOemDmDefault, printer, nullptr, record_.data());
    }
    param_.cbSize = sizeof param_;
    param_.hPrinter = printer;
    param_.pPrinterName = reinterpret_cast<char16_t*>(const_cast<wchar_t*>(printerName));
    param_.hOEMHeap = heap_;
    param_.pPublicDM = document_ ? &devmode_ : nullptr;
    param_.pOEMDM = document_ ? record_.data() : nullptr;
    info_.cbSize = sizeof info_;
    info_.Version = host::kPropSheetUiInfoVersion;
    info_.hComPropSheet = this;
    info_.pfnComPropSheet = &SheetHost::SheetFunction;
    info_.lParamInit = reinterpret_cast<host::LPARAM>(&param_);
}

SheetHost::~SheetHost() {
    for (HPROPSHEETPAGE page : pages_) DestroyPropertySheetPage(page);
    // The host's heap goes with the sheet, and every block of the plug-in's on it.
    if (heap_ != nullptr) HeapDestroy(heap_);
}

std::vector<HPROPSHEETPAGE> SheetHost::TakePages() {
    titles_.clear();
    return std::exchange(pages_, {});
}

host::HRESULT SheetHost::Call(host::WORD reason, host::LPARAM lParam) {
    info_.Reason = reason;
    return document_ ? plugIn_->DocumentPropertySheets(&info_, lParam)
                     : plugIn_->DevicePropertySheets(&info_, lParam);
}

host::LONG_PTR HOST_CALL SheetHost::SheetFunction(host::HANDLE sheet, host::DWORD function,
                                                  host::LPARAM lParam1, host::LPARAM lParam2) {
    HostCallbackTime timed;
    auto* self = static_cast<SheetHost*>(sheet);
    if (self == nullptr) return 0;
    switch (function) {
        case host::kCpsFuncAddPropSheetPageW: {
            const auto* description = reinterpret_cast<const PROPSHEETPAGEW*>(lParam1);
            if (description == nullptr) return 0;
            HPROPSHEETPAGE page = CreatePropertySheetPageW(description);
            if (page == nullptr) return 0;
            self->pages_.push_back(page);
            PROPSHEETPAGEW copy = {};
            std::memcpy(&copy, description,
                        description->dwSize < sizeof copy ? description->dwSize : sizeof copy);
            self->descriptions_.push_back(copy);
            self->titles_.push_back(description->pszTitle != nullptr ? description->pszTitle : L"");
            return reinterpret_cast<host::LONG_PTR>(page);
        }
        case host::kCpsFuncSetResult:
            ++self->setResultCalls_;
            return lParam2 == host::kCpsuiOk ? 1 : 0;
        default:
            return 0;
    }
}

HWND SheetHost::OpenSheet(std::size_t index) {
    if (index >= pages_.size()) return nullptr;
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
    header.pszCaption = L"Document Properties";
    header.nPages = 1;
    HPROPSHEETPAGE page = pages_[index];
    header.phpage = &page;
    const INT_PTR sheet = PropertySheetW(&header);
    // The sheet owns the page from now on.
    pages_.erase(pages_.begin() + static_cast<std::ptrdiff_t>(index));
    titles_.erase(titles_.begin() + static_cast<std::ptrdiff_t>(index));
    return sheet > 0 ? reinterpret_cast<HWND>(sheet) : nullptr;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool CaptureWindow(HWND window, const std::wstring& pngPath) {
    RECT frame;
    if (!GetWindowRect(window, &frame)) return false;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) return false;
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool written = false;
    if (bitmap != nullptr && bits != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        // A mirrored window (right-to-left layout) has a mirrored DC: copied into a DC of
        // the same layout, its picture stays as the screen shows it.
        SetLayout(memory, GetLayout(source));
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
        const auto* pixels = static_cast<const std::uint8_t*>(bits);
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
            rgb[i * 3] = pixels[i * 4 + 2];
            rgb[i * 3 + 1] = pixels[i * 4 + 1];
            rgb[i * 3 + 2] = pixels[i * 4];
        }
        written = WritePng(pngPath, width, height, rgb);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(window, source);
    return written;
}

int GdiObjectsAlive() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) return static_cast<int>(counted);
    // One entry of the handle table, as Wine lays it out for 32-bit and 64-bit processes.
    struct Entry {
        std::uint64_t object;
        std::uint32_t owner;
        std::uint16_t unique;
        std::uint8_t type;  // 0: a free entry
        std::uint8_t flags;
        std::uint64_t user;
    };
    static_assert(sizeof(Entry) == 24);
    constexpr std::size_t kTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
    constexpr int kEntries = 0x10000;
    using GetPeb = void*(WINAPI*)();
    const auto getPeb = reinterpret_cast<GetPeb>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
    if (getPeb == nullptr) return -1;
    const auto* peb = static_cast<const unsigned char*>(getPeb());
    const Entry* table = nullptr;
    std::memcpy(&table, peb + kTableOffset, sizeof table);
    if (table == nullptr) return -1;
    int alive = 0;
    for (int i = 0; i < kEntries; ++i) alive += table[i].type != 0 ? 1 : 0;
    return alive;
}

int HandlesOpen() {
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted != 0) {
        return static_cast<int>(counted);
    }
    // SystemHandleInformation (16): a count, then one entry per handle of every process.
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        void* object;
        ULONG access;
    };
    struct List {
        ULONG count;
        Entry entries[1];
    };
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    std::vector<unsigned char> buffer(1 << 16);
    LONG status = 0;
    for (;;) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                       &needed);
        if (status != kInfoLengthMismatch || buffer.size() >= (1u << 26)) break;
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return -1;
    const auto* list = reinterpret_cast<const List*>(buffer.data());
    const std::size_t room = (buffer.size() - offsetof(List, entries)) / sizeof(Entry);
    const DWORD self = GetCurrentProcessId();
    int mine = 0;
    for (ULONG i = 0; i < list->count && i < room; ++i) {
        mine += list->entries[i].ownerPid == self ? 1 : 0;
    }
    return mine;
}

}  // namespace hostsim
