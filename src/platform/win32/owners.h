// Owners of the Win32 resources the adapters hold, all made from platform::UniqueAny.
#pragma once

#include <windows.h>

#include "platform/unique_any.h"

namespace win32 {

using platform::UniqueAny;

inline void CloseRegKey(HKEY key) { RegCloseKey(key); }
using UniqueRegKey = UniqueAny<HKEY, &CloseRegKey>;

inline void ReleaseActCtxHandle(HANDLE context) { ReleaseActCtx(context); }
// Held as null when absent; CreateActCtxW failure (INVALID_HANDLE_VALUE) is stored as null.
using UniqueActCtx = UniqueAny<HANDLE, &ReleaseActCtxHandle>;

inline void CloseFileHandle(HANDLE file) { CloseHandle(file); }
// Held as null when absent; CreateFileW's failure value (INVALID_HANDLE_VALUE) is stored as null.
using UniqueFile = UniqueAny<HANDLE, &CloseFileHandle>;

inline void ReleaseLibrary(HMODULE library) { FreeLibrary(library); }
using UniqueModule = UniqueAny<HMODULE, &ReleaseLibrary>;

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
using UniqueGdiObject = UniqueAny<HGDIOBJ, &DeleteGdiObject>;

inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
using UniqueMemoryDc = UniqueAny<HDC, &DeleteMemoryDc>;

// A window's device context from GetDC/GetWindowDC, given back with ReleaseDC.
struct WindowDc {
    HWND window = nullptr;
    HDC dc = nullptr;
    friend constexpr bool operator==(const WindowDc&, const WindowDc&) = default;
};
inline void ReleaseWindowDc(WindowDc held) { ReleaseDC(held.window, held.dc); }
using UniqueWindowDc = UniqueAny<WindowDc, &ReleaseWindowDc>;

// An activated activation context, deactivated when the owner goes.
inline void DeactivateCookie(ULONG_PTR cookie) { DeactivateActCtx(0, cookie); }
using ActivationScope = UniqueAny<ULONG_PTR, &DeactivateCookie>;

}  // namespace win32
