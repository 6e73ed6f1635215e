// What the stand-in HTML Help control records of the calls it receives, shared by the
// stand-in (fakehelp.dll) and the tests that read the record through its FakeHelpCalls.
#pragma once

#include <windows.h>

namespace fakehelp {

// The answer of the stand-in's help entry, so that a test sees the call came back from it.
inline HWND Answer() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x4C50)); }

struct Record {
    LONG calls = 0;
    HWND owner = nullptr;
    UINT command = 0;
    DWORD_PTR data = 0;
    wchar_t address[260] = {};  // the last address, cut to 259 characters
};

// Copies the record into *out.
using CallsFn = void(__cdecl*)(Record* out);

}  // namespace fakehelp
