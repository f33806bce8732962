// LoadLibraryA and friends over the platform's dynamic loader, so a host loads the plug-in by
// file with the same calls on every platform.

#include <windows.h>

#include <dlfcn.h>

extern "C" HMODULE LoadLibraryA(LPCSTR fileName) {
    // Plug-ins keep their symbols to themselves; nothing they export is meant for other modules.
    return static_cast<HMODULE>(dlopen(fileName, RTLD_NOW | RTLD_LOCAL));
}

extern "C" BOOL FreeLibrary(HMODULE module) {
    return module != nullptr && dlclose(module) == 0 ? TRUE : FALSE;
}

extern "C" void* GetProcAddress(HMODULE module, LPCSTR name) {
    return module == nullptr ? nullptr : dlsym(module, name);
}
