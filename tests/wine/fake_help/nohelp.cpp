// A library that is not the HTML Help control: it exports a help entry by name but has no
// ordinal 15. Each time it is loaded into a process, DllMain counts the load in the process
// environment (CVL_NOHELP_LOADS), which outlives the library being freed.
#include <windows.h>

extern "C" HWND WINAPI HtmlHelpW(HWND, LPCWSTR, UINT, DWORD_PTR) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x4E4F));
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t text[16] = {};
        DWORD loads = 0;
        const DWORD length = GetEnvironmentVariableW(L"CVL_NOHELP_LOADS", text, 16);
        for (DWORD i = 0; i < length && i < 16 && text[i] >= L'0' && text[i] <= L'9'; ++i) {
            loads = loads * 10 + (text[i] - L'0');
        }
        // The new count in decimal, written from its last digit backwards.
        wchar_t* digit = text + 15;
        *digit = L'\0';
        for (DWORD value = loads + 1; value != 0; value /= 10) {
            *--digit = static_cast<wchar_t>(L'0' + value % 10);
        }
        SetEnvironmentVariableW(L"CVL_NOHELP_LOADS", digit);
    }
    return TRUE;
}
