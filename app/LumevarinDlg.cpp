#include "app/LumevarinDlg.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/AboutDlg.h"
#include "app/Globals.h"
#include "framework/WinApp.h"
#include "panel/HotKeyExCtrl.h"
#include "res/resource.h"

static_assert(sizeof(NOTIFYICONDATAA) == kTrayRecordSize,
              "tray record must be the full form (508 bytes in 32 bits)");

UINT g_nTaskbarCreatedMsg = 0;

BOOL(WINAPI* g_pfnShellNotifyIconA)(DWORD, PNOTIFYICONDATAA) = ::Shell_NotifyIconA;

namespace {
// Attempts of AddTrayIcon while the shell keeps timing out; timer 101 tries again every second anyway.
constexpr int kTrayAddTimeoutRetries = 3;
// The main window that takes exit requests from other threads, while it has its panel.
std::atomic<HWND> g_hExitRequestWnd{nullptr};
} // namespace

bool RequestExitAndWait(DWORD dwTimeoutMs) {
    HWND hWnd = g_hExitRequestWnd.load();
    if (!hWnd) return false;
    HANDLE hDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!hDone) return false;
    // The window gets a handle of its own: it may still be signalling (or never see the request, when it
    // goes first) after this wait has ended and closed this one.
    HANDLE hForWindow = nullptr;
    bool posted = ::DuplicateHandle(::GetCurrentProcess(), hDone, ::GetCurrentProcess(), &hForWindow, 0,
                                    FALSE, DUPLICATE_SAME_ACCESS) &&
                  ::PostMessageA(hWnd, WM_EXITREQUEST, 0, reinterpret_cast<LPARAM>(hForWindow));
    if (!posted && hForWindow) ::CloseHandle(hForWindow);
    // The window's own thread would wait for itself: it finds the request in its queue instead.
    bool done = posted && ::GetWindowThreadProcessId(hWnd, nullptr) != ::GetCurrentThreadId() &&
                ::WaitForSingleObject(hDone, dwTimeoutMs) == WAIT_OBJECT_0;
    ::CloseHandle(hDone);
    return done;
}

void MakeTrayTipText(const char* pszHotKeyName, char* szTip, size_t cbTip) {
    CString text;
    text.Format("%s\r\n幻写[%s]", "朧写鏡", pszHotKeyName ? pszHotKeyName : "");
    // Copy whole characters of code page 932 while they fit, leaving room for the terminator.
    size_t n = 0;
    const char* p = text.GetString();
    const size_t len = static_cast<size_t>(text.GetLength());
    while (n < len) {
        size_t step = (::IsDBCSLeadByteEx(932, static_cast<BYTE>(p[n])) && n + 1 < len) ? 2 : 1;
        if (n + step > cbTip - 1) break;
        n += step;
    }
    std::memcpy(szTip, p, n);
    szTip[n] = '\0';
}

CLumevarinDlg::CLumevarinDlg(CWnd* pParent) : CDialog(IDD_LUMEVARIN_DIALOG, pParent), m_ctrlDlg(nullptr) {
    m_hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_hTrayIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    std::memset(&m_nid, 0, sizeof(m_nid));

    // The current directory is the program's own (set at start-up); it may be longer than MAX_PATH.
    DWORD need = ::GetCurrentDirectoryA(0, nullptr);
    std::string dir(need ? need : 1, '\0');
    DWORD got = ::GetCurrentDirectoryA(static_cast<DWORD>(dir.size()), dir.data());
    dir.resize(got < dir.size() ? got : 0);
    m_strIniFile = CString(dir) + "\\Lumevarin.ini";
    m_bVisible = 0;
}

CLumevarinDlg::~CLumevarinDlg() = default;

BOOL CLumevarinDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    AppendVersionMenuItem(m_hWnd);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_ctrlDlg.Create(IDD_CONTROL_DIALOG, this);
    m_ctrlDlg.setIniFile(m_strIniFile);
    m_ctrlDlg.ShowWindow(SW_SHOW);

    UpdateTrayTip();
    AddTrayIcon();
    ShowMainWindow(FALSE);
    if (g_bDebugMode == 1) OnMenuMainPanel();
    SetTimer(kTrayTimerId, 1000);
    g_hExitRequestWnd = m_hWnd;
    return TRUE;
}

void CLumevarinDlg::UpdateTrayTip() {
    CString name = CHotKeyExCtrl::MakeHotKeyName(static_cast<WORD>(m_ctrlDlg.m_nWsModifiers),
                                                 static_cast<WORD>(m_ctrlDlg.m_nWsHotKey));
    char text[sizeof(m_nid.szTip)] = {}; // copied whole: nothing but zeros after the tip
    MakeTrayTipText(name, text, sizeof(text));
    if (std::strcmp(text, m_nid.szTip) == 0) return;

    std::memset(&m_nid, 0, sizeof(m_nid));
    m_hTrayWnd = m_hWnd;
    m_nid.cbSize = kTrayRecordSize;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 0;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = m_hTrayIcon;
    std::memcpy(m_nid.szTip, text, sizeof(text));
}

void CLumevarinDlg::AddTrayIcon() {
    if (g_pfnShellNotifyIconA(NIM_ADD, &m_nid)) return;
    DWORD err = ::GetLastError();
    for (int attempt = 0;; ++attempt) {
        if (err != ERROR_TIMEOUT || attempt >= kTrayAddTimeoutRetries) {
            printf("通知領域にアイコンを登録できませんでした。 err=%d\n", static_cast<int>(err));
            return;
        }
        if (g_pfnShellNotifyIconA(NIM_MODIFY, &m_nid)) return;
        ::Sleep(1000);
        if (g_pfnShellNotifyIconA(NIM_ADD, &m_nid)) return;
        err = ::GetLastError();
    }
}

void CLumevarinDlg::ShowMainWindow(BOOL bShow) {
    m_bVisible = bShow;
    ShowWindow(bShow ? SW_SHOW : SW_HIDE);
    if (bShow) ShowWindow(SW_SHOWNORMAL);
}

LRESULT CLumevarinDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        g_nTaskbarCreatedMsg = ::RegisterWindowMessageA("TaskbarCreated");
        return CDialog::WindowProc(message, wParam, lParam);
    }
    if (message == WM_TRAYNOTIFY) {
        // The shell sends its notices from its own thread, so they also arrive while this thread waits
        // inside a call to another program (a copy's probe of its real window, the give-back of a real
        // window). A double click or a menu is taken up from the message queue instead: no dialog or menu
        // loop may run in the middle of such a call, whose copy could be ended meanwhile.
        if ((lParam == WM_LBUTTONDBLCLK || lParam == WM_RBUTTONUP) && ::InSendMessage()) {
            PostMessage(message, wParam, lParam);
            return 0;
        }
        switch (lParam) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            return 0;
        case WM_LBUTTONDBLCLK:
            OnMenuProperty();
            return 0;
        case WM_RBUTTONUP: {
            SetForegroundWindow();
            POINT pt;
            ::GetCursorPos(&pt);
            HMENU hMenu = ::LoadMenuA(AfxGetResourceHandle(),
                                      MAKEINTRESOURCEA(g_bDebugMode == 1 ? IDR_TRAY : IDR_TRAY_NODEBUG));
            if (hMenu) {
                ::TrackPopupMenu(::GetSubMenu(hMenu, 0), 0, pt.x, pt.y, 0, m_hWnd, nullptr);
                ::DestroyMenu(hMenu);
            }
            return 0;
        }
        default:
            break;
        }
    }
    if (g_nTaskbarCreatedMsg != 0 && message == g_nTaskbarCreatedMsg) AddTrayIcon();
    return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CLumevarinDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = 0;
    switch (message) {
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return TRUE;
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_QUERYDRAGICON:
        *pResult = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case ID_MENU_MAINPANEL:
                OnMenuMainPanel();
                return TRUE;
            case ID_MENU_EXIT:
                OnMenuExit();
                return TRUE;
            case ID_MENU_PROPERTY:
                OnMenuProperty();
                return TRUE;
            case IDOK:
                OnOK();
                return TRUE;
            case ID_MENU_VERSION:
                OnMenuVersion();
                return TRUE;
            }
        }
        break;
    case WM_EXITREQUEST:
        OnExitRequest(reinterpret_cast<HANDLE>(lParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return TRUE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* pNMHDR = reinterpret_cast<const NMHDR*>(lParam);
        if (pNMHDR && pNMHDR->idFrom == IDC_SYSLINK1 && pNMHDR->code == NM_CLICK) {
            OpenHomePage(m_hWnd);
            return TRUE;
        }
        break;
    }
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

void CLumevarinDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        Default();
    }
}

void CLumevarinDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(hdc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
}

HCURSOR CLumevarinDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CLumevarinDlg::OnDestroy() {
    Default();
    // A modal box (the property dialog, a version box, a message box) keeps the modal loop running
    // after OnClose, and a copy may be picked meanwhile: it is given back before the panel goes.
    if (!m_ctrlDlg.m_vecData.empty()) m_ctrlDlg.endAllPin();
    // No exit request waits for a window that has gone; those still queued are answered now.
    HWND hSelf = m_hWnd;
    g_hExitRequestWnd.compare_exchange_strong(hSelf, nullptr);
    MSG msg;
    while (::PeekMessageA(&msg, m_hWnd, WM_EXITREQUEST, WM_EXITREQUEST, PM_REMOVE))
        m_vecExitDone.push_back(reinterpret_cast<HANDLE>(msg.lParam));
    SignalExitDone();
    m_ctrlDlg.DestroyWindow();
    KillTimer(kTrayTimerId);
}

void CLumevarinDlg::PostNcDestroy() {
    NOTIFYICONDATAA nid;
    std::memset(&nid, 0, sizeof(nid));
    nid.cbSize = kTrayRecordSize;
    nid.hWnd = m_hTrayWnd;
    nid.uID = 0;
    nid.uFlags = 0;
    g_pfnShellNotifyIconA(NIM_DELETE, &nid);
    CDialog::PostNcDestroy();
}

void CLumevarinDlg::OnWindowPosChanging(WINDOWPOS* lpwndpos) {
    Default();
    if (m_bVisible)
        lpwndpos->flags |= SWP_SHOWWINDOW;
    else
        lpwndpos->flags &= ~SWP_SHOWWINDOW;
}

void CLumevarinDlg::OnMenuMainPanel() {
    if (!m_bVisible) {
        RECT rcDesktop, rcDlg;
        ::GetWindowRect(::GetDesktopWindow(), &rcDesktop);
        GetWindowRect(&rcDlg);
        int x = rcDesktop.right - (rcDlg.right - rcDlg.left);
        int y = rcDesktop.bottom - (rcDlg.bottom - rcDlg.top);
        SetWindowPos(HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
        ShowMainWindow(TRUE);
    }
    if (IsIconic()) ShowWindow(SW_SHOWNORMAL);
    SetForegroundWindow();
}

void CLumevarinDlg::OnMenuExit() {
    ShowMainWindow(FALSE);
    PostMessage(WM_CLOSE);
}

void CLumevarinDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kTrayTimerId) {
        UpdateTrayTip();
        if (!g_pfnShellNotifyIconA(NIM_MODIFY, &m_nid)) AddTrayIcon();
    }
    Default();
}

void CLumevarinDlg::OnClose() {
    m_bClosing = true;
    m_ctrlDlg.endAllPin();
    SignalExitDone();
    // The dialog manager answers WM_CLOSE by posting the cancel command, which ends the modal loop.
    Default();
}

void CLumevarinDlg::OnMenuProperty() {
    m_ctrlDlg.showPropertyDialog();
    // Values confirmed after the close path wrote the settings would go with the panel's timer.
    if (m_bClosing && m_ctrlDlg.m_bIniWritePending) m_ctrlDlg.__writeIniFile();
}

void CLumevarinDlg::OnMenuVersion() {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

void CLumevarinDlg::OnExitRequest(HANDLE hDone) {
    const bool bExitStarted = m_bClosing || !m_vecExitDone.empty();
    m_vecExitDone.push_back(hDone);
    if (m_bClosing) {
        SignalExitDone(); // every copy was given back and the settings written on the close path
    } else if (!bExitStarted) {
        OnMenuExit();
    }
}

void CLumevarinDlg::SignalExitDone() {
    for (HANDLE h : m_vecExitDone) {
        ::SetEvent(h);
        ::CloseHandle(h);
    }
    m_vecExitDone.clear();
}

void CLumevarinDlg::OnOK() {
    ShowMainWindow(FALSE);
}

void CLumevarinDlg::OnCancel() {
    if (m_bClosing) {
        CDialog::OnCancel();
    } else {
        // Esc on the shown window ends the program through the close path, so every copy is given back.
        OnMenuExit();
    }
}
