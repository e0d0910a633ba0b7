// The application object: one per process, started by AfxWinMain.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns FALSE to end the process at once; TRUE runs the message loop (which ends at once when
    // there is no main window).
    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance() { return m_nExitCode; }

    HINSTANCE m_hInstance = nullptr;
    const char* m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;

protected:
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// No control containers are hosted; kept so start-up reads in its usual order.
inline void AfxEnableControlContainer() {}
// Entry of the process: registers the common control classes and runs the application object.
int AfxWinMain(HINSTANCE hInstance, int nCmdShow);
