// The main window: hidden dialog that hosts the control panel, keeps the tray icon and runs the exit order.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "framework/Dialog.h"
#include "framework/String.h"
#include "panel/ControlDlg.h"

// Callback message of the tray icon.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 100; // 0x464
// Posted by RequestExitAndWait: lParam is an event handle, which the main window signals and closes
// once every copy has been given back and the settings written.
constexpr UINT WM_EXITREQUEST = WM_USER + 101;
// Tooltip and tray refresh timer of the main window.
constexpr UINT_PTR kTrayTimerId = 101;
// Byte size of the tray record as the shell is given it (the 64-bit build has the 64-bit form of
// the same record).
constexpr DWORD kTrayRecordSize = sizeof(void*) == 8 ? 528 : 508;

extern UINT g_nTaskbarCreatedMsg;

// The shell's tray call, through which every tray record is handed over; a test may record the records in
// its place.
extern BOOL(WINAPI* g_pfnShellNotifyIconA)(DWORD dwMessage, PNOTIFYICONDATAA lpData);

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
    void OnExitRequest(HANDLE hDone);

private:
    // Signals and closes the events of the exit requests taken so far.
    void SignalExitDone();

    bool m_bClosing = false;
    std::vector<HANDLE> m_vecExitDone;
};

// Asks the main window, from a thread other than its own, to end the program the way the tray menu's
// "終了" does, and waits up to dwTimeoutMs until every copy has been given back and the settings
// written. false when there is no main window or the wait ran out (the request may still be carried
// out later).
bool RequestExitAndWait(DWORD dwTimeoutMs);

// Builds the tooltip "朧写鏡\r\n幻写[<hotkey name>]" into szTip (at most 127 bytes, never cutting a
// double-byte character).
void MakeTrayTipText(const char* pszHotKeyName, char* szTip, size_t cbTip);
