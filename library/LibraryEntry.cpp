// The library's entry routine: the loader calls it at load and unload.

#include "parameters/ChangeTimer.h"
#include "resources/ResourceLoader.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    // Resources are looked up in this library, not in the host program that loaded it.
    if (reason == DLL_PROCESS_ATTACH) {
        quorlin::moduleInstance = instance;
    }
    // A timer still running at unload would dispatch its next tick into unmapped code.
    if (reason == DLL_PROCESS_DETACH) {
        quorlin::killChangeTimerAtUnload();
    }
    return TRUE;
}
