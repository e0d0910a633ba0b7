#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    return Create(nIDTemplate, pParentWnd ? pParentWnd->m_hWnd : nullptr);
}

BOOL CDialog::Create(UINT nIDTemplate, HWND hWndParent) {
    if (m_hWnd) return FALSE;
    m_nIDTemplate = nIDTemplate;
    HookWindowCreate(this);
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate), hWndParent,
                                     &CDialog::AfxDlgProc, 0);
    UnhookWindowCreate();
    if (!hWnd) {
        // A window that was bound during a failed creation is gone already (WM_NCDESTROY unbinds).
        return FALSE;
    }
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hOwner) {
        CWnd* pMain = AfxGetMainWnd();
        if (pMain && pMain != this) hOwner = pMain->m_hWnd;
    }
    BOOL bEnableOwner = hOwner && ::IsWindowEnabled(hOwner);

    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    if (bEnableOwner) ::EnableWindow(hOwner, FALSE);
    if (!Create(m_nIDTemplate, hOwner)) {
        if (bEnableOwner) ::EnableWindow(hOwner, TRUE);
        m_bModal = false;
        return -1;
    }
    if (!m_bEndModal) ShowWindow(SW_SHOWNORMAL);

    MSG msg;
    while (!m_bEndModal && m_hWnd) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) { // WM_QUIT: end this loop and leave the quit to the outer one
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (!WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    if (bEnableOwner) ::EnableWindow(hOwner, TRUE);
    if (m_hWnd) {
        if (hOwner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(hOwner);
        DestroyWindow();
    }
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    if (m_bModal) {
        m_nModalResult = nResult;
        m_bEndModal = true;
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0); // wake the modal loop
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, nResult);
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    // A child dialog leaves keyboard navigation to its top-level dialog.
    if (GetStyle() & WS_CHILD) return FALSE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND && (HIWORD(wParam) == BN_CLICKED)) {
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            *pResult = 0;
            return TRUE;
        case IDCANCEL:
            OnCancel();
            *pResult = 0;
            return TRUE;
        }
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

// A popup dialog that its initialisation did not place is centred over its visible owner, or else over
// the work area of the primary monitor.
static void CenterUnplacedDialog(HWND hWnd) {
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    RECT area;
    HWND hOwner = ::GetWindow(hWnd, GW_OWNER);
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner)) {
        ::GetWindowRect(hOwner, &area);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    int x = area.left + ((area.right - area.left) - cx) / 2;
    int y = area.top + ((area.bottom - area.top) - cy) / 2;
    // Kept inside the work area of the monitor it lands on.
    RECT target = {x, y, x + cx, y + cy};
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (::GetMonitorInfoA(::MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST), &mi)) {
        if (x + cx > mi.rcWork.right) x = mi.rcWork.right - cx;
        if (y + cy > mi.rcWork.bottom) y = mi.rcWork.bottom - cy;
        if (x < mi.rcWork.left) x = mi.rcWork.left;
        if (y < mi.rcWork.top) y = mi.rcWork.top;
    }
    ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = dynamic_cast<CDialog*>(FromHandlePermanent(hWnd));
        if (!pDlg) return TRUE;
        RECT before;
        ::GetWindowRect(hWnd, &before);
        BOOL result = pDlg->OnInitDialog();
        RECT after;
        if (::IsWindow(hWnd) && ::GetWindowRect(hWnd, &after) && ::EqualRect(&before, &after) &&
            !(::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
            CenterUnplacedDialog(hWnd);
        }
        return result;
    }
    return FALSE;
}
