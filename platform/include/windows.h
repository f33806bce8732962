#pragma once

// Non-Windows stand-in for the few Windows calls the module makes. It declares them under
// their Windows names so the module's code reads the same on both platforms.

#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using HGLOBAL = void*;
using HINSTANCE = struct HINSTANCE__*;
using HMODULE = HINSTANCE;
using HRSRC = struct HRSRC__*;
using HWND = struct HWND__*;

#define WINAPI
#define CALLBACK

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

inline constexpr DWORD DLL_PROCESS_DETACH = 0;
inline constexpr DWORD DLL_PROCESS_ATTACH = 1;
inline constexpr DWORD DLL_THREAD_ATTACH = 2;
inline constexpr DWORD DLL_THREAD_DETACH = 3;

inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT PM_NOREMOVE = 0;
inline constexpr UINT PM_REMOVE = 1;

// Integer resource names are the low 16 bits of the number, as on Windows.
inline LPSTR MAKEINTRESOURCEA(std::uint16_t number) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): Windows names integer resources this way.
    return reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(number));
}

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct POINT {
    long x;
    long y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

extern "C" {
// Resources of the module that links the generated resource table.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
DWORD SizeofResource(HMODULE module, HRSRC resource);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);

// Thread timers without a window, dispatched by the creating thread's message loop.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC callback);
BOOL KillTimer(HWND window, UINT_PTR id);
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlag);
LPARAM DispatchMessageA(const MSG* message);
}

extern "C" {
// Loading a library by file, over the platform's own dynamic loader.
HMODULE LoadLibraryA(LPCSTR fileName);
BOOL FreeLibrary(HMODULE module);
void* GetProcAddress(HMODULE module, LPCSTR name);
}
