// A stand-in of a model family's SNMP module for the tests: it answers from a small file
// beside it and records what it was asked in another, so that a test can drive every fact
// and failure of auto-configuration without a printer.
//
// <its folder>\CVLN.answers (an INI file), section [Answer]:
//   Result=<n>      the call's result (default 1; 0 is a failure)
//   <offset>=<n>    the 16-bit value written at that byte offset of the block
// <its folder>\CVLN.asked: "port=<name>", "block=<32 bytes in hex as received>",
// "flag=<n>", "reserved=<n>", one line each, rewritten at every call.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::wstring Beside(HMODULE self, const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return L"";
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + name;
}

HMODULE Self() {
    HMODULE self = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&Self), &self);
    return self;
}

}  // namespace

extern "C" unsigned short WINAPI SNMP_AutoUpdate(const char* portName, unsigned char* block,
                                                 int* flag, void* reserved) {
    const HMODULE self = Self();
    const std::wstring asked = Beside(self, L"CVLN.asked");
    if (FILE* out = _wfopen(asked.c_str(), L"w")) {
        std::fprintf(out, "port=%s\nblock=", portName != nullptr ? portName : "(null)");
        for (int i = 0; i < 32 && block != nullptr; ++i) std::fprintf(out, "%02X", block[i]);
        std::fprintf(out, "\nflag=%d\nreserved=%p\n", flag != nullptr ? *flag : -99, reserved);
        std::fclose(out);
    }
    const std::wstring answers = Beside(self, L"CVLN.answers");
    if (block != nullptr) {
        for (int offset = 0; offset < 32; offset += 2) {
            wchar_t key[8];
            swprintf(key, 8, L"%d", offset);
            const int value = static_cast<int>(
                GetPrivateProfileIntW(L"Answer", key, 0x7FFF0000, answers.c_str()));
            if (value == 0x7FFF0000) continue;
            const auto field = static_cast<short>(value);
            std::memcpy(block + offset, &field, 2);
        }
    }
    return static_cast<unsigned short>(
        GetPrivateProfileIntW(L"Answer", L"Result", 1, answers.c_str()));
}
