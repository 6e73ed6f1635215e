#include "platform/win32/thread_runtime.h"

namespace win32 {

void ReleaseThreadRuntime(HINSTANCE module) {
    if (module == nullptr) return;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (headers->Signature != IMAGE_NT_SIGNATURE ||
        headers->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_TLS) {
        return;
    }
    const IMAGE_DATA_DIRECTORY& entry =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
    if (entry.VirtualAddress == 0 || entry.Size < sizeof(IMAGE_TLS_DIRECTORY)) return;
    const auto* directory =
        reinterpret_cast<const IMAGE_TLS_DIRECTORY*>(base + entry.VirtualAddress);
    // The callback list holds addresses (already relocated), ending with a null one.
    auto* const* callback = reinterpret_cast<PIMAGE_TLS_CALLBACK const*>(
        static_cast<ULONG_PTR>(directory->AddressOfCallBacks));
    // The callbacks look up thread-local values, which resets the thread's last error; the
    // caller of FreeLibrary may still be about to report an error of its own.
    const DWORD lastError = GetLastError();
    for (; callback != nullptr && *callback != nullptr; ++callback) {
        (*callback)(module, DLL_THREAD_DETACH, nullptr);
    }
    SetLastError(lastError);
}

}  // namespace win32
