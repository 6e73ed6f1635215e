// Holds a Wine prefix's desktop open for as long as the prefix's server lives (the server
// ends it, see tools/wine-server.sh). Wine closes a desktop one second after its last
// program ends, and the next program starts the desktop process (explorer.exe /desktop)
// anew, which inherits that program's standard error. Under CTest that is the test's output
// pipe, so CTest waited for the desktop to close, about 1 s per test. Started from here, the
// desktop process starts once, with this program's streams.
#include <windows.h>

#include <cstdio>

int main() {
    // The first call on a prefix starts the desktop process and returns once its window is up.
    if (GetDesktopWindow() == nullptr) return 1;
    std::puts("desktop ready");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
