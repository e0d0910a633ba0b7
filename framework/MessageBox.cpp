#include "framework/MessageBox.h"

#include <cstring>

#include "framework/WinApp.h"
#include "framework/Wnd.h"

static void AppCaption(char* buf, size_t size) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = path;
    for (const char* p = path; *p; p = ::CharNextExA(932, p, 0)) {
        if (*p == '\\' || *p == '/') name = p + 1;
    }
    lstrcpynA(buf, name, static_cast<int>(size));
    char* dot = std::strrchr(buf, '.');
    if (dot) *dot = '\0';
}

int AfxMessageBox(const char* pszText, UINT nType, UINT) {
    if ((nType & MB_ICONMASK) == 0) {
        UINT kind = nType & MB_TYPEMASK;
        if (kind == MB_OK || kind == MB_OKCANCEL)
            nType |= MB_ICONEXCLAMATION;
        else if (kind == MB_YESNO || kind == MB_YESNOCANCEL)
            nType |= MB_ICONQUESTION;
    }
    HWND hOwner = ::GetActiveWindow();
    if (!hOwner) {
        CWnd* pMain = AfxGetMainWnd();
        hOwner = pMain ? pMain->m_hWnd : nullptr;
    }
    char caption[MAX_PATH];
    AppCaption(caption, sizeof(caption));
    return ::MessageBoxA(hOwner, pszText, caption, nType);
}
