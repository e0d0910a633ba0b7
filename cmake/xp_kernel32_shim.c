/* Lets the program load on Windows XP although the static MinGW-w64 thread runtime imports
 * GetTickCount64, which kernel32.dll has only from Vista on. This module defines that import
 * slot itself, so the linker takes no kernel32 import for it: the slot points to a function that
 * calls the system's GetTickCount64 where it exists and otherwise widens GetTickCount. */
#include <windows.h>

typedef ULONGLONG(WINAPI* TickCount64Fn)(void);

static ULONGLONG WINAPI TickCount64(void)
{
    static TickCount64Fn system_fn;
    static LONG looked_up;
    static DWORD last_low;
    static ULONGLONG high;
    DWORD now;

    if (!InterlockedCompareExchange(&looked_up, 0, 0)) {
        HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
        FARPROC proc = kernel32 ? GetProcAddress(kernel32, "GetTickCount64") : NULL;
        system_fn = (TickCount64Fn)(void*)proc;
        InterlockedExchange(&looked_up, 1);
    }
    if (system_fn) return system_fn();

    /* Windows XP: count the wraps of the 32-bit counter (seen as long as this runs at least once
     * every 49.7 days). */
    now = GetTickCount();
    if (now < last_low) high += 0x100000000ULL;
    last_low = now;
    return high + now;
}

TickCount64Fn lumevarin_get_tick_count_64_slot __asm__("__imp__GetTickCount64@0") = TickCount64;
