// Calls the library entry routine at load and unload, as the Windows loader does.

#include <windows.h>

#include <dlfcn.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

HINSTANCE ownHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DllMain), &info) == 0) {
        return nullptr;
    }
    return static_cast<HINSTANCE>(info.dli_fbase);
}

__attribute__((constructor)) void attachLibrary() {
    DllMain(ownHandle(), DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) void detachLibrary() {
    DllMain(ownHandle(), DLL_PROCESS_DETACH, nullptr);
}

} // namespace
