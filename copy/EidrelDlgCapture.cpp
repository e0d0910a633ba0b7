// The copy window's picture: input-idle test, frame measurement, capture into the cache, painting.
#include <cmath>
#include <cstdio>

#include "copy/EidrelDlg.h"

namespace {

constexpr COLORREF kUnpaintedGrey = RGB(200, 200, 200);
constexpr DWORD kAllProcessAccess = 0x1FFFFF;
constexpr DWORD kInputIdleWaitMs = 1000;
constexpr UINT kProbeTimeoutMs = 500;

// A scale that later arithmetic may divide by or multiply with.
bool IsUsableScale(double d) {
    return std::isfinite(d) && d > 0.0;
}

} // namespace

BOOL CEidrelDlg::IsTargetInputIdle() {
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(m_hTarget, &dwProcessId);
    HANDLE hProcess = ::OpenProcess(kAllProcessAccess, FALSE, dwProcessId);
    if (!hProcess) {
        // A process that may not be opened counts as ready.
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    BOOL bIdle = FALSE;
    DWORD dwResult = ::WaitForInputIdle(hProcess, kInputIdleWaitMs);
    if (dwResult == 0) {
        bIdle = TRUE;
    } else if (dwResult == WAIT_TIMEOUT) {
        printf("WaitForInputIdle()関数がTIMEOUTです\n");
    } else if (dwResult == WAIT_FAILED) {
        printf("WaitForInputIdle()関数のエラーです\n");
    }
    ::CloseHandle(hProcess);
    return bIdle;
}

void CEidrelDlg::CalcFrameOffsets() {
    int nCaption = ::GetSystemMetrics(SM_CYCAPTION);
    int nFrameY = ::GetSystemMetrics(SM_CYFRAME);
    int nFixFrameY = ::GetSystemMetrics(SM_CYDLGFRAME);
    int nSizeY = ::GetSystemMetrics(SM_CYSIZE);
    if (!::IsWindow(m_hTarget)) return;

    RECT rcWindow = {0, 0, 0, 0};
    RECT rcClient = {0, 0, 0, 0};
    ::GetWindowRect(m_hTarget, &rcWindow);
    ::GetClientRect(m_hTarget, &rcClient);
    int nWindowWidth = rcWindow.right - rcWindow.left;
    int nWindowHeight = rcWindow.bottom - rcWindow.top;
    int nClientWidth = rcClient.right - rcClient.left;
    int nClientHeight = rcClient.bottom - rcClient.top;

    int nFrame = (nWindowWidth - nClientWidth) / 2;
    m_nXOffset = nFrame;
    m_nBottomOffset = nFrame;
    m_nYOffset = nFrame + nCaption;

    printf("WH=%d, CH=%d, TITLE=%d, FRAMEY=%d, FIXFRAMY=%d, SIZEY=%d\n", nWindowHeight, nClientHeight,
           nCaption, nFrameY, nFixFrameY, nSizeY);
    printf("XOFFSET=%d, YOFFSET=%d\n", m_nXOffset, m_nYOffset);
}

void CEidrelDlg::CaptureTarget() {
    if (!::IsWindow(m_hTarget)) return;
    if (!IsTargetInputIdle()) return;
    if (m_bComposition) return;

    CClientDC dcWnd(m_hWnd);

    RECT rcTarget = {0, 0, 0, 0};
    if (!::GetWindowRect(m_hTarget, &rcTarget)) {
        printf("●GetWindowRect() Error=%d\n", static_cast<int>(::GetLastError()));
    }
    int nWidth = rcTarget.right - rcTarget.left;
    int nHeight = rcTarget.bottom - rcTarget.top;

    // Content area: the window less its frame and caption.
    int nContentWidth = nWidth - 2 * m_nXOffset;
    int nContentHeight = nHeight - m_nYOffset - m_nBottomOffset;

    // An unzoomed axis is scaled to the copy once per capture; a zoomed one keeps full resolution.
    RECT rcClient = {0, 0, 0, 0};
    GetClientRect(&rcClient);
    int nCacheWidth = m_nZoomX >= 100 ? rcClient.right - rcClient.left : nContentWidth;
    int nCacheHeight = m_nZoomY >= 100 ? rcClient.bottom - rcClient.top : nContentHeight;

    // Nothing to show (a window no larger than its frame, or a copy without client area): the previous
    // picture stays.
    if (nContentWidth <= 0 || nContentHeight <= 0 || nCacheWidth <= 0 || nCacheHeight <= 0) return;

    // Declared before the context they are selected into, so that they outlive it.
    CBitmap bmpFull;
    CBrush brGrey;
    bmpFull.CreateCompatibleBitmap(dcWnd, nWidth, nHeight);
    CDC dcFull;
    if (!dcFull.CreateCompatibleDC(dcWnd))
        printf("●Create CreateCompatibleDC() Error=%d\n", static_cast<int>(::GetLastError()));
    dcFull.SelectObject(bmpFull);

    // Whatever the real window does not paint stays grey.
    brGrey.CreateSolidBrush(kUnpaintedGrey);
    RECT rcFull = {0, 0, nWidth, nHeight};
    ::FillRect(dcFull, &rcFull, brGrey);

    // A real window that lets the probe time out would hold PrintWindow, and with it every copy, the panel
    // and the tray, for as long as it does not answer: this pass is given up and the previous picture stays.
    if (!::SendMessageTimeoutA(m_hTarget, WM_NULL, 0, 0, SMTO_NORMAL, kProbeTimeoutMs, nullptr) &&
        ::GetLastError() == ERROR_TIMEOUT) {
        return;
    }
    // Both waits let messages sent to this thread through; a close among them ends the copy window, and the
    // pass touches it no more.
    if (!m_hWnd) return;
    if (!::PrintWindow(m_hTarget, dcFull, 0)) {
        printf("■PrintWindow Error %d\n", static_cast<int>(::GetLastError()));
    }
    if (!m_hWnd) return;

    m_nCacheWidth = nCacheWidth;
    m_nCacheHeight = nCacheHeight;
    double dScaleX = static_cast<double>(nCacheWidth) / nContentWidth;
    double dScaleY = static_cast<double>(nCacheHeight) / nContentHeight;
    if (IsUsableScale(dScaleX)) m_dScaleX = dScaleX;
    if (IsUsableScale(dScaleY)) m_dScaleY = dScaleY;

    if (!m_bmpCache.CreateCompatibleBitmap(dcWnd, nCacheWidth, nCacheHeight)) {
        printf("●Create CompatibleBitmap() Error=%d\n", static_cast<int>(::GetLastError()));
    }
    CDC dcCache;
    dcCache.CreateCompatibleDC(dcFull);
    dcCache.SelectObject(m_bmpCache);

    if (nCacheWidth == nContentWidth && nCacheHeight == nContentHeight) {
        ::BitBlt(dcCache, 0, 0, nCacheWidth, nCacheHeight, dcFull, m_nXOffset, m_nYOffset, SRCCOPY);
    } else {
        ::SetStretchBltMode(dcCache, HALFTONE);
        ::SetBrushOrgEx(dcCache, 0, 0, nullptr);
        ::StretchBlt(dcCache, 0, 0, nCacheWidth, nCacheHeight, dcFull, m_nXOffset, m_nYOffset, nContentWidth,
                     nContentHeight, SRCCOPY);
    }
    // Only the cache outlives the pass; the contexts, the full picture and the brush go with their owners.
}

void CEidrelDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT rcClient = {0, 0, 0, 0};
    GetClientRect(&rcClient);
    int nClientWidth = rcClient.right - rcClient.left;
    int nClientHeight = rcClient.bottom - rcClient.top;

    if (m_nCacheWidth == 0 && !m_bComposition) {
        // Placeholder until the first capture: grey, with the real window's title at the top-left.
        ::SetBkColor(hdc, kUnpaintedGrey);
        ::ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &rcClient, nullptr, 0, nullptr);
        ::DrawTextA(hdc, m_strTitle, -1, &rcClient, DT_SINGLELINE);
        ::EndPaint(m_hWnd, &ps);
        return;
    }

    HDC hdcMem = ::CreateCompatibleDC(hdc);
    HGDIOBJ hbmOld = ::SelectObject(hdcMem, m_bmpCache);
    ::SetStretchBltMode(hdc, HALFTONE);
    ::SetBrushOrgEx(hdc, 0, 0, nullptr);

    int nSrcLeft = 0;
    int nSrcTop = 0;
    int nSrcWidth = m_nCacheWidth;
    int nSrcHeight = m_nCacheHeight;
    if (m_nZoomX == 100 && m_nZoomY == 100) {
        if (m_bComposition) SetThumbnailClientSource();
    } else {
        CalcZoomSource();
        nSrcLeft = m_nSrcLeft;
        nSrcTop = m_nSrcTop;
        nSrcWidth = m_nSrcWidth;
        nSrcHeight = m_nSrcHeight;
        if (m_bComposition) SetThumbnailZoomSource();
    }

    // Under composition the thumbnail shows in the client area; nothing is drawn here.
    if (!m_bComposition) {
        if (nClientWidth == nSrcWidth && nClientHeight == nSrcHeight) {
            ::BitBlt(hdc, 0, 0, nClientWidth, nClientHeight, hdcMem, nSrcLeft, nSrcTop, SRCCOPY);
        } else {
            ::StretchBlt(hdc, 0, 0, nClientWidth, nClientHeight, hdcMem, nSrcLeft, nSrcTop, nSrcWidth,
                         nSrcHeight, SRCCOPY);
        }
    }

    ::SelectObject(hdcMem, hbmOld);
    ::DeleteDC(hdcMem);
    ::EndPaint(m_hWnd, &ps);
}
