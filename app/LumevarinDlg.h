// The main window: hidden dialog that hosts the control panel, keeps the tray icon and runs the exit order.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "framework/Dialog.h"
#include "framework/String.h"
#include "panel/ControlDlg.h"

// Callback message of the tray icon.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 100; // 0x464
// Tooltip and tray refresh timer of the main window.
constexpr UINT_PTR kTrayTimerId = 101;
// Byte size of the tray record as the shell is given it (the 64-bit build has the 64-bit form of
// the same record).
constexpr DWORD kTrayRecordSize = sizeof(void*) == 8 ? 528 : 508;

extern UINT g_nTaskbarCreatedMsg;

class CLumevarinDlg : public CDialog {
public:
    explicit CLumevarinDlg(CWnd* pParent = nullptr);
    ~CLumevarinDlg() override;

    void UpdateTrayTip();
    void AddTrayIcon();
    void ShowMainWindow(BOOL bShow);

    HICON m_hIcon;
    HICON m_hTrayIcon;
    CString m_strIniFile;
    CControlDlg m_ctrlDlg;
    HWND m_hTrayWnd = nullptr;
    NOTIFYICONDATAA m_nid;
    BOOL m_bVisible = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Esc on the shown main window takes the close path.
    void OnCancel() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // Message handlers, in the order of the message map.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnMenuMainPanel();
    void OnMenuExit();
    void OnTimer(UINT_PTR nIDEvent);
    void OnClose();
    void OnMenuProperty();
    void OnMenuVersion();

private:
    bool m_bClosing = false;
};

// Builds the tooltip "朧写鏡\r\n幻写[<hotkey name>]" into szTip (at most 127 bytes, never cutting a
// double-byte character).
void MakeTrayTipText(const char* pszHotKeyName, char* szTip, size_t cbTip);
