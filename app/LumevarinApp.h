// The application object: single instance, command line, debug console, and the main window's modal run.
#pragma once

#include <windows.h>

#include "framework/WinApp.h"

class CLumevarinApp : public CWinApp {
public:
    CLumevarinApp();
    BOOL InitInstance() override;
};

extern CLumevarinApp theApp;

// Reads the switches "-D583", "-CLONE<letter>" and "-T<n>" of argv[1..argc-1] into the globals, logging as it
// goes.
void ParseCommandLine(int argc, char** argv);
// Makes the directory of the program's path (argument 0) the current directory; always 1.
int StartPortable();
int StartPortable(const char* pszProgramPath);
// The debug console's handler, called on a thread of the system's: closing the console, log-off and
// shut-down end the program the way the tray menu's exit does and wait (bounded) for it; Ctrl+C and
// Ctrl+Break do nothing. Always TRUE.
BOOL WINAPI ConsoleCtrlHandler(DWORD dwCtrlType);
