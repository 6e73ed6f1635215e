// A stand-in for the HTML Help control: its help entry is exported by ordinal 15 only (as the
// real control's wide-character entry is) and records every call; FakeHelpCalls reads the
// record. When CVL_FAKEHELP_DELAY_MS is set, loading the library takes that many
// milliseconds (DllMain sleeps), so that a test can keep a first load in progress.
#include <windows.h>

#include "fake_help.h"

namespace {

fakehelp::Record record;
SRWLOCK lock = SRWLOCK_INIT;

DWORD DelayMilliseconds() {
    wchar_t text[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"CVL_FAKEHELP_DELAY_MS", text, 16);
    if (length == 0 || length >= 16) return 0;
    DWORD value = 0;
    for (const wchar_t* c = text; *c >= L'0' && *c <= L'9'; ++c) value = value * 10 + (*c - L'0');
    return value;
}

}  // namespace

extern "C" HWND WINAPI Entry(HWND owner, LPCWSTR address, UINT command, DWORD_PTR data) {
    AcquireSRWLockExclusive(&lock);
    ++record.calls;
    record.owner = owner;
    record.command = command;
    record.data = data;
    lstrcpynW(record.address, address != nullptr ? address : L"",
              static_cast<int>(sizeof record.address / sizeof record.address[0]));
    ReleaseSRWLockExclusive(&lock);
    return fakehelp::Answer();
}

extern "C" void __cdecl FakeHelpCalls(fakehelp::Record* out) {
    AcquireSRWLockShared(&lock);
    *out = record;
    ReleaseSRWLockShared(&lock);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (const DWORD delay = DelayMilliseconds()) Sleep(delay);
    }
    return TRUE;
}
