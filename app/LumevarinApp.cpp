#include "app/LumevarinApp.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Globals.h"
#include "app/LumevarinDlg.h"
#include "copy/MultiDisplay.h"

namespace {

// Reads an integer the way "%d" does (leading blanks, optional sign, digits up to the first other
// character), but refuses values beyond int instead of overflowing. FALSE when no number can be read.
bool ReadInt(const char* p, int* pValue) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v < INT_MIN || v > INT_MAX) return false;
    *pValue = static_cast<int>(v);
    return true;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The largest refresh setting whose period (n x 100 ms) still fits a signed 32-bit millisecond count.
constexpr int kMaxRefreshInterval = INT_MAX / 100;

// How long the console handler waits for the exit; the system ends the process about 5 s after the
// console is closed.
constexpr DWORD kConsoleExitWaitMs = 4000;

} // namespace

CLumevarinApp::CLumevarinApp() : CWinApp(nullptr) {}

void ParseCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        char label[64];
        std::snprintf(label, sizeof(label), "%d番目の引数", i);
        printf("%s=%s\n", label, arg);

        if (std::strcmp(arg, "-D583") == 0) { // the whole argument, terminator included
            g_bDebugMode = 1;
            printf("DEBUGMODE ON\n");
        }
        if (std::strncmp(arg, "-CLONE", 6) == 0 && IsAsciiLetter(arg[6])) {
            g_cCloneKey = arg[6];
        }
        if (std::strncmp(arg, "-T", 2) == 0) {
            int v = -1;
            if (!ReadInt(arg + 2, &v)) v = -1;
            if (v >= 1 && v <= kMaxRefreshInterval) {
                g_nRefreshInterval = v;
            } else {
                printf("Format Error -T\n");
            }
        }
    }
}

int StartPortable(const char* pszProgramPath) {
    printf("PORTABLE VERSION START\n");
    const char* path = pszProgramPath ? pszProgramPath : "";
    // Last backslash, stepping over double-byte characters of code page 932.
    const char* lastSep = nullptr;
    for (const char* p = path; *p;) {
        if (::IsDBCSLeadByteEx(932, static_cast<BYTE>(*p)) && p[1]) {
            p += 2;
            continue;
        }
        if (*p == '\\') lastSep = p;
        ++p;
    }
    // A program in a drive's root keeps the backslash: a bare "E:" would name that drive's current
    // directory, not its root.
    const bool driveRoot = lastSep == path + 2 && path[1] == ':';
    CString dir = lastSep ? CString(path, static_cast<int>(lastSep - path) + (driveRoot ? 1 : 0)) : CString();
    ::SetCurrentDirectoryA(dir);
    printf("CurrentDir=%s", dir.GetString());
    return 1;
}

int StartPortable() {
    return StartPortable(__argc > 0 ? __argv[0] : "");
}

BOOL WINAPI ConsoleCtrlHandler(DWORD dwCtrlType) {
    // Closing the console, logging off and shutting down end the process once this returns, whatever it
    // returns: the program first ends as its tray menu's exit does, within the time the system allows.
    if (dwCtrlType == CTRL_CLOSE_EVENT || dwCtrlType == CTRL_LOGOFF_EVENT ||
        dwCtrlType == CTRL_SHUTDOWN_EVENT)
        RequestExitAndWait(kConsoleExitWaitMs);
    // Ctrl+C and Ctrl+Break, which would end the process by default, do nothing.
    return TRUE;
}

BOOL CLumevarinApp::InitInstance() {
    AfxEnableControlContainer();

    HANDLE hMutex = ::CreateMutexA(nullptr, TRUE, "__LUMEVARIN_QUORVANTEL__");
    if (!hMutex) return -1;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::MessageBoxA(nullptr, "     Lumevarinは既に起動されています.     ", "２重起動", MB_OK);
        return -1;
    }
    // The mutex handle stays open for the life of the process.

    ParseCommandLine(__argc, __argv);

    if (g_bDebugMode == 1) {
        ::AllocConsole();
        (void)std::freopen("CONOUT$", "w", stdout);
        (void)std::freopen("CONIN$", "r", stdin);
        ::SetConsoleCtrlHandler(ConsoleCtrlHandler, TRUE);
    } else {
        (void)std::freopen("/dev/nul", "w", stdout);
        (void)std::freopen("/dev/nul", "r", stdin);
    }

    printf("********** Start Lumevarin DEBUG MODE  *******\n");
    if (g_bDebugMode) printf("DEBUG_MODE ON\n");
    printf("CLONE KEY=%c\n", g_cCloneKey);

    CMultiDisplay::GetInstance()->EnumMonitors();
    StartPortable();

    {
        CLumevarinDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();

        CMultiDisplay::ReleaseInstance();
        if (g_bDebugMode == 1) {
            ::FreeConsole();
            ::Sleep(1000);
        }
    }
    return 0;
}
