// Zoom and pan of the copy's picture: the wheel, the pan keys and dragging with the left button.
#include <cmath>
#include <cstdio>

#include "copy/EidrelDlg.h"

namespace {

constexpr int kPanLimit = 10000;
constexpr short kWheelNotch = 120;

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

// A scale that the pan may be divided by (see CaptureTarget: only such scales are ever stored).
bool IsUsableScale(double d) {
    return std::isfinite(d) && d > 0.0;
}

// One axis of the zoom source: its size, its start, and the pan rewritten at the picture's edges.
void CalcAxis(int nPicture, int nZoom, double dScale, int& nPan, int& nSrcStart, int& nSrcSize) {
    nSrcSize = nZoom == 100 ? nPicture : nPicture * nZoom / 100;
    if (nZoom != 100 && nSrcSize < 1) nSrcSize = 1;
    int nMargin = (nPicture - nSrcSize) / 2;
    // An unusable scale (none is ever stored by a capture) moves nothing and rewrites nothing.
    bool bScaleUsable = IsUsableScale(dScale);
    nSrcStart = nMargin + (bScaleUsable ? static_cast<int>(nPan * dScale) : 0);
    if (nSrcStart < 0) {
        if (bScaleUsable) nPan = static_cast<int>(-nMargin / dScale);
        nSrcStart = 0;
    }
    if (nSrcStart + nSrcSize > nPicture) {
        if (bScaleUsable) nPan = static_cast<int>(nMargin / dScale);
        nSrcStart = nPicture - nSrcSize;
    }
}

} // namespace

void CEidrelDlg::ResetZoom() {
    m_nZoomX = 100;
    m_nZoomY = 100;
    m_nSrcWidth = 0;
    m_nSrcHeight = 0;
    m_nSrcLeft = 0;
    m_nSrcTop = 0;
    m_nPanX = 0;
    m_nPanY = 0;
}

void CEidrelDlg::ChangeZoom(int dx, int dy) {
    m_nZoomX = Clamp(m_nZoomX + dx, 0, 100);
    m_nZoomY = Clamp(m_nZoomY + dy, 0, 100);
}

void CEidrelDlg::ChangePan(int dx, int dy) {
    m_nPanX = Clamp(m_nPanX + dx, -kPanLimit, kPanLimit);
    m_nPanY = Clamp(m_nPanY + dy, -kPanLimit, kPanLimit);
}

void CEidrelDlg::CalcZoomSource() {
    int nWidth = m_nCacheWidth;
    int nHeight = m_nCacheHeight;
    if (m_bComposition && ::IsWindow(m_hTarget)) {
        RECT rc = {0, 0, 0, 0};
        ::GetClientRect(m_hTarget, &rc);
        nWidth = rc.right - rc.left;
        nHeight = rc.bottom - rc.top;
    }
    CalcAxis(nWidth, m_nZoomX, m_dScaleX, m_nPanX, m_nSrcLeft, m_nSrcWidth);
    CalcAxis(nHeight, m_nZoomY, m_dScaleY, m_nPanY, m_nSrcTop, m_nSrcHeight);
}

BOOL CEidrelDlg::OnMouseWheel(UINT nFlags, short zDelta, POINT) {
    UINT flags = nFlags;
    if (m_bComposition) flags &= ~static_cast<UINT>(MK_SHIFT | MK_CONTROL);
    int nNotches = zDelta / kWheelNotch;
    if (flags & MK_CONTROL) {
        ChangeZoom(-nNotches, 0);
    } else if (flags & MK_SHIFT) {
        ChangeZoom(0, -nNotches);
    } else {
        ChangeZoom(-nNotches, -nNotches);
    }
    Invalidate(TRUE);
    return static_cast<BOOL>(Default());
}

void CEidrelDlg::OnKeyDown(UINT nChar, UINT, UINT) {
    int nStep = ::GetKeyState(VK_SHIFT) < 0 ? 1 : 4;
    int dx = 0;
    int dy = 0;
    if (nChar == VK_LEFT || nChar == 'A') dx = -nStep;
    if (nChar == VK_RIGHT || nChar == 'S') dx = nStep;
    if (nChar == VK_UP || nChar == 'W') dy = -nStep;
    if (nChar == VK_DOWN || nChar == 'Z') dy = nStep;
    if (dx != 0 || dy != 0) {
        ChangePan(dx, dy);
        Invalidate(TRUE);
    }
    Default();
}

UINT CEidrelDlg::OnGetDlgCode() {
    // The arrow keys pan: they are not dialog navigation here.
    return static_cast<UINT>(Default()) | DLGC_WANTARROWS;
}

void CEidrelDlg::OnLButtonDown(UINT, POINT point) {
    printf("MouseDown left x=%d, y=%d\n", static_cast<int>(point.x), static_cast<int>(point.y));
    ::SetCapture(m_hWnd);
    m_dRemainX = 0.0;
    m_dRemainY = 0.0;
    m_nLastX = point.x;
    m_nLastY = point.y;
    m_bLButtonDown = 1;
    Default();
}
