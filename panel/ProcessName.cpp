// Names of another process's executable through the process-status functions.
#include "panel/ProcessName.h"

#include <psapi.h>

#include <cstring>

namespace {

enum class ModuleQuery { BaseName, FilePath };

CString QueryProcessModule(DWORD processId, ModuleQuery query) {
    char buffer[1024] = {};
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!hProcess) return CString();

    HMODULE modules[1024];
    DWORD needed = 0;
    BOOL ok = FALSE;
    if (::EnumProcessModules(hProcess, modules, sizeof(modules), &needed)) {
        DWORD n = query == ModuleQuery::BaseName
                      ? ::GetModuleBaseNameA(hProcess, modules[0], buffer, sizeof(buffer))
                      : ::GetModuleFileNameExA(hProcess, modules[0], buffer, sizeof(buffer));
        ok = n != 0;
    }
    ::CloseHandle(hProcess);
    // A name that fills the whole buffer comes without a terminating zero.
    return ok ? CString(buffer, static_cast<int>(strnlen(buffer, sizeof(buffer)))) : CString();
}

} // namespace

void GetProcessBaseName(DWORD processId, CString& name) {
    name = QueryProcessModule(processId, ModuleQuery::BaseName);
}

void GetProcessFilePath(DWORD processId, CString& path) {
    path = QueryProcessModule(processId, ModuleQuery::FilePath);
}
