cmake_minimum_required(VERSION 3.25)

# Fails when an executable imports a function that Windows XP does not have.
# Usage: cmake -DEXE=<file.exe> -DOBJDUMP=<objdump> -P CheckXpImports.cmake
# Wine exports these functions even when it reports Windows XP, so only this check catches them.
if(NOT EXE OR NOT OBJDUMP)
    message(FATAL_ERROR "usage: cmake -DEXE=<exe> -DOBJDUMP=<objdump> -P CheckXpImports.cmake")
endif()

execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed")
endif()

# Functions (by DLL) that came with Vista or later and are easily pulled in.
set(vista_kernel32
    GetTickCount64 InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared
    InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW
    WakeConditionVariable WakeAllConditionVariable InitOnceExecuteOnce InitOnceBeginInitialize
    InitializeCriticalSectionEx FlsAlloc FlsGetValue FlsSetValue FlsFree GetSystemTimePreciseAsFileTime
    QueryFullProcessImageNameA QueryFullProcessImageNameW GetFinalPathNameByHandleA
    GetFinalPathNameByHandleW GetFileInformationByHandleEx CreateSymbolicLinkA CreateSymbolicLinkW
    GetLocaleInfoEx LCMapStringEx CompareStringEx GetDateFormatEx GetTimeFormatEx
    GetUserDefaultLocaleName CancelIoEx CreateEventExA CreateEventExW CreateMutexExA CreateMutexExW
    CreateSemaphoreExA CreateSemaphoreExW GetProductInfo GetErrorMode SetThreadErrorMode
    K32EnumProcessModules K32GetModuleBaseNameA K32GetModuleFileNameExA K32EnumProcesses
    K32GetProcessImageFileNameA)
set(vista_user32
    SetProcessDPIAware IsProcessDPIAware ChangeWindowMessageFilter ChangeWindowMessageFilterEx
    GetWindowDisplayAffinity SetWindowDisplayAffinity ShutdownBlockReasonCreate
    AddClipboardFormatListener RegisterPowerSettingNotification GetDpiForWindow GetDpiForSystem
    SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext)
set(vista_shell32 SHGetKnownFolderPath SHCreateItemFromParsingName SHGetStockIconInfo
    Shell_NotifyIconGetRect)
set(vista_advapi32 RegGetValueA RegGetValueW RegDeleteTreeA RegDeleteTreeW RegSetKeyValueA)
set(vista_comctl32 TaskDialog TaskDialogIndirect LoadIconMetric LoadIconWithScaleDown)
set(not_on_xp_dlls dwmapi.dll)

string(REPLACE "\r" "" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")
set(dll "")
set(bad "")
foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" dll)
        string(STRIP "${dll}" dll)
        if(dll IN_LIST not_on_xp_dlls)
            list(APPEND bad "${dll} (whole DLL: load it at run time)")
        endif()
    elseif(dll AND line MATCHES "^[ \t]+[0-9a-fA-F]+[ \t]+[0-9]+[ \t]+([A-Za-z_][A-Za-z0-9_@]*)$")
        set(fn "${CMAKE_MATCH_1}")
        string(REGEX REPLACE "\\.dll$" "" base "${dll}")
        if(DEFINED vista_${base} AND fn IN_LIST vista_${base})
            list(APPEND bad "${dll}!${fn}")
        endif()
    endif()
endforeach()

if(bad)
    list(JOIN bad "\n  " text)
    message(FATAL_ERROR "${EXE} imports what Windows XP lacks:\n  ${text}")
endif()
message(STATUS "${EXE}: no imports beyond Windows XP")
