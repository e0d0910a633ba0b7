// Click forwarding: a point of the copy mapped onto the real window, the transparent real window moved
// under the cursor, and the click posted to the innermost child window there.
#include <cstdio>

#include "app/Globals.h"
#include "copy/EidrelDlg.h"
#include "panel/ControlDlg.h"

namespace {

enum class ForwardKind { ButtonUp, Click, DoubleClick };

} // namespace

POINT CEidrelDlg::MapToTarget(int x, int y) {
    // The part of the real window that the copy shows, on screen: the captured content area (the window
    // less frame and caption), or under composition the client area that the thumbnail shows.
    POINT ptCorner = {0, 0};
    int nShownWidth = 0;
    int nShownHeight = 0;
    if (m_bComposition) {
        RECT rc = {0, 0, 0, 0};
        ::GetClientRect(m_hTarget, &rc);
        ::ClientToScreen(m_hTarget, &ptCorner);
        nShownWidth = rc.right - rc.left;
        nShownHeight = rc.bottom - rc.top;
    } else {
        RECT rcTarget = {0, 0, 0, 0};
        ::GetWindowRect(m_hTarget, &rcTarget);
        ptCorner = POINT{rcTarget.left + m_nXOffset, rcTarget.top + m_nYOffset};
        nShownWidth = (rcTarget.right - rcTarget.left) - 2 * m_nXOffset;
        nShownHeight = (rcTarget.bottom - rcTarget.top) - m_nYOffset - m_nBottomOffset;
    }

    int nOffsetX = 0;
    int nLengthX = nShownWidth;
    int nOffsetY = 0;
    int nLengthY = nShownHeight;
    if (!(m_nZoomX == 100 && m_nZoomY == 100)) {
        CalcZoomSource();
        // Without composition the zoom source of an axis at 100 % is in cache units: take the whole axis.
        if (m_bComposition || m_nZoomX != 100) {
            nOffsetX = m_nSrcLeft;
            nLengthX = m_nSrcWidth;
        }
        if (m_bComposition || m_nZoomY != 100) {
            nOffsetY = m_nSrcTop;
            nLengthY = m_nSrcHeight;
        }
    }

    RECT rcClient = {0, 0, 0, 0};
    GetClientRect(&rcClient);
    int cw = rcClient.right - rcClient.left;
    int ch = rcClient.bottom - rcClient.top;

    // A copy without client area has no point to map: its callers forward nothing then.
    POINT pt = {ptCorner.x + nOffsetX, ptCorner.y + nOffsetY};
    if (cw > 0) pt.x += static_cast<int>(static_cast<double>(nLengthX) / cw * x + 0.5);
    if (ch > 0) pt.y += static_cast<int>(static_cast<double>(nLengthY) / ch * y + 0.5);

    POINT ptLog = pt;
    ::ScreenToClient(m_hTarget, &ptLog);
    printf("Tgt.x= %d, Tgt.y=%d\n", static_cast<int>(ptLog.x), static_cast<int>(ptLog.y));
    return pt;
}

// Moves the real window by the distance from its point T to the cursor position (x, y) of the copy.
static void MoveTargetBy(HWND hTarget, HWND hCopy, int x, int y, POINT ptTarget) {
    POINT ptCursor = {x, y};
    ::ClientToScreen(hCopy, &ptCursor);
    RECT rc = {0, 0, 0, 0};
    ::GetWindowRect(hTarget, &rc);
    // Not waited for: a busy or hung real program would hold this thread, and with it every copy, the panel
    // and the tray. Its thread carries out the move before it reads the mouse messages posted after it.
    ::SetWindowPos(hTarget, nullptr, rc.left + ptCursor.x - ptTarget.x, rc.top + ptCursor.y - ptTarget.y, 0,
                   0, SWP_ASYNCWINDOWPOS | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

static bool HasClientArea(HWND hWnd) {
    RECT rc = {0, 0, 0, 0};
    ::GetClientRect(hWnd, &rc);
    return rc.right - rc.left > 0 && rc.bottom - rc.top > 0;
}

void CEidrelDlg::MoveTargetUnderCursor(int x, int y) {
    if (!HasClientArea(m_hWnd)) return;
    POINT ptTarget = MapToTarget(x, y);
    MoveTargetBy(m_hTarget, m_hWnd, x, y, ptTarget);
}

static void Forward(CEidrelDlg* pDlg, int x, int y, ForwardKind kind) {
    if (!HasClientArea(pDlg->m_hWnd)) return;
    POINT ptTarget = pDlg->MapToTarget(x, y);
    HWND hChild = nullptr;
    if (!pDlg->FindDeepestChild(ptTarget, &hChild)) {
        printf("NotFind ChildWindow!\n");
        return;
    }
    printf("Find ChildWindow handle=0x%08x\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hChild)));

    POINT ptChild = ptTarget;
    ::ScreenToClient(hChild, &ptChild);
    LPARAM lParam = MAKELPARAM(static_cast<WORD>(ptChild.x), static_cast<WORD>(ptChild.y));

    MoveTargetBy(pDlg->m_hTarget, pDlg->m_hWnd, x, y, ptTarget);

    ::PostMessageA(hChild, WM_MOUSEMOVE, 0, lParam);
    ::PostMessageA(hChild, WM_MOUSEMOVE, 0, lParam);
    switch (kind) {
    case ForwardKind::ButtonUp:
        break;
    case ForwardKind::Click:
        ::PostMessageA(hChild, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
        break;
    case ForwardKind::DoubleClick:
        ::PostMessageA(hChild, WM_LBUTTONDBLCLK, MK_LBUTTON, lParam);
        break;
    }
    ::PostMessageA(hChild, WM_LBUTTONUP, 0, lParam);
}

void CEidrelDlg::ForwardButtonUp(int x, int y) {
    Forward(this, x, y, ForwardKind::ButtonUp);
}

void CEidrelDlg::ForwardClick(int x, int y) {
    Forward(this, x, y, ForwardKind::Click);
}

void CEidrelDlg::ForwardDoubleClick(int x, int y) {
    Forward(this, x, y, ForwardKind::DoubleClick);
}

void CEidrelDlg::OnLButtonUp(UINT, POINT point) {
    printf("MouseUp left x=%d, y=%d\n", static_cast<int>(point.x), static_cast<int>(point.y));
    ::ReleaseCapture();
    m_bLButtonDown = FALSE;
    if (g_pControlDlg && g_pControlDlg->m_nLeftClk != 0 && ::IsWindowEnabled(m_hTarget))
        ForwardClick(point.x, point.y);
    Default();
}

void CEidrelDlg::OnLButtonDblClk(UINT, POINT point) {
    if (g_pControlDlg && g_pControlDlg->m_nLeftDblClk != 0 && ::IsWindowEnabled(m_hTarget)) {
        ForwardDoubleClick(point.x, point.y);
    }
    Default();
}

void CEidrelDlg::OnMouseMove(UINT nFlags, POINT point) {
    printf("MouseMove nFlags=0x%08x, left x=%d, y=%d\n", nFlags, static_cast<int>(point.x),
           static_cast<int>(point.y));
    if (nFlags & MK_LBUTTON) {
        // Drag step of the zoomed view: the picture follows the mouse.
        if (m_bLButtonDown && !(m_nZoomX == 100 && m_nZoomY == 100) &&
            (point.x != m_nLastX || point.y != m_nLastY)) {
            int dX = m_nLastX - point.x;
            int dY = m_nLastY - point.y;
            RECT rc = {0, 0, 0, 0};
            GetClientRect(&rc);
            int nClientWidth = rc.right - rc.left;
            int nClientHeight = rc.bottom - rc.top;
            if (nClientWidth > 0 && nClientHeight > 0) {
                double fX = static_cast<double>(m_nSrcWidth) * dX / nClientWidth + m_dRemainX;
                double fY = static_cast<double>(m_nSrcHeight) * dY / nClientHeight + m_dRemainY;
                int iX = static_cast<int>(fX);
                int iY = static_cast<int>(fY);
                m_dRemainX = fX - iX;
                m_dRemainY = fY - iY;
                ChangePan(iX, iY);
                Invalidate(TRUE);
                m_nLastX = point.x;
                m_nLastY = point.y;
            }
        }
        Default();
        return;
    }

    if (m_bLButtonDown) {
        // A press on the copy whose release the copy did not see.
        ::ReleaseCapture();
        m_bLButtonDown = FALSE;
        if (g_pControlDlg && g_pControlDlg->m_nLeftClk != 0 && ::IsWindowEnabled(m_hTarget)) {
            ForwardButtonUp(point.x, point.y);
        }
    }
    if (g_pControlDlg && (g_pControlDlg->m_nLeftClk != 0 || g_pControlDlg->m_nLeftDblClk != 0) &&
        ::IsWindowEnabled(m_hTarget)) {
        MoveTargetUnderCursor(point.x, point.y);
    }
    // Taking the focus again while it is held would only make the system send another move.
    if (!g_bModalDialogOpen && ::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
    Default();
}
