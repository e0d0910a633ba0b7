// The version box: product name, version from the program's version resource, and the home-page link.
#pragma once

#include "framework/Dialog.h"
#include "framework/String.h"

class CDataExchange;

// The maker's home page, opened by the links of the version box and of the main window.
extern const char* const kHomePageUrl;

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

    CString m_strVersion;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnNMClickSyslink(NMHDR* pNMHDR, LRESULT* pResult);
};

// Appends a separator and the version box item (0x10, text of string 101) to hWnd's system menu;
// nothing when the window has no system menu or the string is missing or empty.
void AppendVersionMenuItem(HWND hWnd);

// "Ver.:" + ProductVersion of the program's own version resource, or "" (looked up again next time).
const char* GetVersionString();
// Opens the home page with the shell's "open" verb, owned by hWndOwner.
void OpenHomePage(HWND hWndOwner);

extern char g_szVersion[256];
extern int g_bVersionLoaded;
