// The copy window: creation, binding to the real window, concealment and restore, refresh tick, closing.
#include "copy/EidrelDlg.h"

#include <windowsx.h>

#include <cstdio>

#include "app/AboutDlg.h"
#include "app/Globals.h"
#include "copy/MultiDisplay.h"
#include "copy/PlatformQueries.h"
#include "framework/WinApp.h"
#include "panel/ControlDlg.h"
#include "res/resource.h"

CEidrelDlg::CEidrelDlg(CWnd* pParent) : CDialogEx(IDD_EIDREL_DIALOG, pParent) {
    m_hIcon = ::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CEidrelDlg::~CEidrelDlg() = default;

LRESULT CEidrelDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) SafeDwmIsCompositionEnabled(&m_bComposition);
    return CDialogEx::WindowProc(message, wParam, lParam);
}

BOOL CEidrelDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        *pResult = 0;
        return TRUE;
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        *pResult = 0;
        return TRUE;
    case WM_MOVE:
        OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        *pResult = 0;
        return TRUE;
    case WM_TIMER:
        // The copy may be gone when this returns (the real window vanished): nothing of it is touched.
        OnTimer(static_cast<UINT_PTR>(wParam));
        *pResult = 0;
        return TRUE;
    case WM_PAINT:
        OnPaint();
        *pResult = 0;
        return TRUE;
    case WM_CLOSE:
        OnClose();
        *pResult = 0;
        return TRUE;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), pt);
        *pResult = 0;
        return TRUE;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), pt);
        *pResult = 0;
        return TRUE;
    case WM_MOUSEWHEEL: {
        POINT screen = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        *pResult = OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), screen);
        return TRUE;
    }
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        *pResult = 0;
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), pt);
        *pResult = 0;
        return TRUE;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(static_cast<UINT>(wParam), pt);
        *pResult = 0;
        return TRUE;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        *pResult = 0;
        return TRUE;
    case WM_DWMCOMPOSITIONCHANGED:
        OnCompositionChanged();
        *pResult = 0;
        return TRUE;
    case WM_ERASEBKGND:
        *pResult = OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        *pResult = 0;
        return TRUE;
    case WM_GETDLGCODE:
        *pResult = OnGetDlgCode();
        return TRUE;
    }
    return CDialogEx::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CEidrelDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();

    AppendVersionMenuItem(m_hWnd);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    ResetZoom();
    return TRUE;
}

void CEidrelDlg::SetTarget(HWND hWndTarget) {
    m_hTarget = hWndTarget;
    if (m_rectTarget.right == m_rectTarget.left && m_rectTarget.bottom == m_rectTarget.top &&
        ::IsWindow(m_hTarget)) {
        ::GetWindowRect(m_hTarget, &m_rectTarget);
    }
    if (::IsWindow(m_hTarget)) {
        // Saved before the concealment changes the extended style.
        m_lSavedStyle = ::GetWindowLongA(m_hTarget, GWL_STYLE);
        m_lSavedExStyle = ::GetWindowLongA(m_hTarget, GWL_EXSTYLE);
        m_bSavedLayered = FALSE;
        if (m_lSavedExStyle & WS_EX_LAYERED) {
            m_bSavedLayered = ::GetLayeredWindowAttributes(m_hTarget, &m_crSavedKey, &m_bySavedAlpha,
                                                           &m_dwSavedLayeredFlags);
        }

        CString strCaption;
        strCaption.Format("幻写[%s]", static_cast<const char*>(m_strTitle));
        SetWindowText(strCaption);

        CalcFrameOffsets();
        CaptureTarget();
        // A close sent to the copy while the capture waited on the real window has ended it.
        if (!m_hWnd) return;
        Invalidate(TRUE);
    }
    m_nRefreshInterval = g_nRefreshInterval;
    SetTimer(kRefreshTimerId, static_cast<UINT>(g_nRefreshInterval * 100));
    if (m_bComposition) RegisterThumbnail();
}

void CEidrelDlg::HideTargetWindow() {
    if (!::IsWindow(m_hTarget) || m_bTargetHidden) return;
    m_bTargetHidden = 1;

    ::SetWindowLongA(m_hTarget, GWL_EXSTYLE, m_lSavedExStyle | WS_EX_LAYERED);
    BYTE alpha = g_bDebugMode == 1 ? 80 : 0;
    if (!::SetLayeredWindowAttributes(m_hTarget, 0, alpha, LWA_ALPHA)) {
        printf("SetLayeredWindowAttributes() Error=%d\n", static_cast<int>(::GetLastError()));
    }
    AddTaskbarTab(m_hWnd);
    DeleteTaskbarTab(m_hTarget);
    // The calls above wait on the real window's thread. A close sent to the copy meanwhile has given the real
    // window back before the concealment was complete: it is given back once more.
    if (m_bRestored) {
        m_bRestored = false;
        RestoreTarget();
    }
}

void CEidrelDlg::RestoreTarget() {
    if (m_bRestored) return;
    m_bRestored = true;
    // A copy that never bound its real window has nothing of it saved, and nothing to give back.
    if (!m_hTarget || !::IsWindow(m_hTarget)) return;

    // The copy changes no style of the real window's: what its program made of it meanwhile (disabled behind
    // a dialog of its own, hidden, minimised, maximised) stays, and the rest is put back as it was.
    constexpr LONG kProgramState = WS_DISABLED | WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE;
    const LONG lStyleNow = ::GetWindowLongA(m_hTarget, GWL_STYLE);
    ::SetWindowLongA(m_hTarget, GWL_STYLE, (m_lSavedStyle & ~kProgramState) | (lStyleNow & kProgramState));
    if ((m_lSavedExStyle & WS_EX_LAYERED) && !m_bSavedLayered) {
        // A layered window without readable attributes draws itself with UpdateLayeredWindow, which fails
        // after the concealment's alpha until the layered style has been cleared and set again.
        ::SetWindowLongA(m_hTarget, GWL_EXSTYLE, m_lSavedExStyle & ~WS_EX_LAYERED);
    }
    ::SetWindowLongA(m_hTarget, GWL_EXSTYLE, m_lSavedExStyle);
    if ((m_lSavedExStyle & WS_EX_LAYERED) && m_bSavedLayered) {
        // A window that was layered before keeps looking as it did.
        ::SetLayeredWindowAttributes(m_hTarget, m_crSavedKey, m_bySavedAlpha, m_dwSavedLayeredFlags);
    }
    ::MoveWindow(m_hTarget, m_rectTarget.left, m_rectTarget.top, m_rectTarget.right - m_rectTarget.left,
                 m_rectTarget.bottom - m_rectTarget.top, TRUE);
    AddTaskbarTab(m_hTarget);
    ::InvalidateRect(m_hTarget, nullptr, TRUE);
    UnregisterThumbnail();
}

BOOL CEidrelDlg::DestroyWindow() {
    // The restore waits on the real window's thread, and a close sent to the copy meanwhile destroys the
    // window: the object stays until this call returns.
    CHold hold(this);
    KillTimer(kRefreshTimerId);
    RestoreTarget();
    // The object deletes itself (PostNcDestroy) once this call and any message of the window still running
    // have returned; nothing of it is touched afterwards.
    return CDialogEx::DestroyWindow();
}

void CEidrelDlg::OnDestroy() {
    // Reached first through DestroyWindow, which has given the real window back already. A copy window
    // destroyed any other way (for instance with an owner of the same thread) still must not leave the
    // real window transparent.
    KillTimer(kRefreshTimerId);
    const bool bUnannounced = !m_bRestored && !m_bCreatingForPin;
    RestoreTarget();
    if (bUnannounced && g_pControlDlg) g_pControlDlg->dropDataOfWindow(this);
    Default();
}

void CEidrelDlg::PostNcDestroy() {
    CDialogEx::PostNcDestroy();
    if (m_bCreatingForPin) return; // a failed creation: the pin step frees the object
    delete this;
}

void CEidrelDlg::OnOK() {
    // Enter leaves the copy open.
}

void CEidrelDlg::OnCancel() {
    OnClose();
}

void CEidrelDlg::OnClose() {
    if (g_pControlDlg) g_pControlDlg->removeDataByWindow(this);
}

void CEidrelDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kRefreshTimerId) {
        Default();
        return;
    }
    if (!::IsWindow(m_hTarget)) {
        // The panel destroys this copy window inside the call; the object is deleted once this message
        // returns.
        if (g_pControlDlg) g_pControlDlg->removeDataByWindow(this);
        return;
    }
    // The period runs from the end of one tick's work to the next tick.
    KillTimer(kRefreshTimerId);
    CaptureTarget();
    // A close sent to the copy while the capture waited on the real window has ended it; the object is
    // deleted once this message returns.
    if (!m_hWnd) return;
    RefreshChildList();
    Invalidate(TRUE);
    SetTimer(kRefreshTimerId, static_cast<UINT>(m_nRefreshInterval * 100));
    Default();
}

void CEidrelDlg::OnMove(int, int) {
    Default();
    SaveWindowRect();
}

void CEidrelDlg::SaveWindowRect() {
    RECT rc = {0, 0, 0, 0};
    GetWindowRect(&rc);
    if (CMultiDisplay::GetInstance()->m_nMonitorCount > 1) {
        m_rectWindow = rc;
        return;
    }
    // One monitor: a copy dragged wholly off the desktop keeps its last rectangle that still met it.
    RECT rcDesktop = {0, 0, 0, 0};
    ::GetWindowRect(::GetDesktopWindow(), &rcDesktop);
    RECT rcCommon;
    if (::IntersectRect(&rcCommon, &rcDesktop, &rc)) m_rectWindow = rc;
}

void CEidrelDlg::OnShowWindow(BOOL bShow, UINT nStatus) {
    Default();
    printf("OnShowWindow() bShow=%d, nStatus=%d\n", static_cast<int>(bShow), static_cast<int>(nStatus));
}

void CEidrelDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        // The property dialog may be shown meanwhile: the flag goes back to what it was, not to 0.
        const int bModalDialogWasOpen = g_bModalDialogOpen;
        g_bModalDialogOpen = 1;
        dlgAbout.DoModal();
        g_bModalDialogOpen = bModalDialogWasOpen;
        return;
    }
    Default();
}
