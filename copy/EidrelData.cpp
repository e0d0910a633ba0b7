#include "copy/EidrelData.h"

#include <cstdio>

#include "copy/EidrelDlg.h"
#include "panel/ControlDlg.h"
#include "res/resource.h"

CEidrelData::CEidrelData()
    : m_rectWin{0, 0, 0, 0}, m_rectTarget{0, 0, 0, 0}, m_hTarget(nullptr), m_bPinned(0), m_pDlg(nullptr) {}

CEidrelData::CEidrelData(const CEidrelData& other) = default;

CEidrelData& CEidrelData::operator=(const CEidrelData& other) = default;

// The copy window is not owned by the record: it deletes itself once its window is destroyed.
CEidrelData::~CEidrelData() = default;

void CEidrelData::StartPin(HWND hWndTarget, int nIniSize) {
    if (m_bPinned != 0) return;
    m_bPinned = 1;
    m_hTarget = hWndTarget;
    printf("●●StartPin! title=%s\n", static_cast<const char*>(m_strTitle));

    // The copy window is a popup owned by the real window. When it cannot be made (the real window went
    // away since the pick), the pin is given up and the real window is left as it is.
    m_pDlg = new CEidrelDlg(nullptr);
    m_pDlg->m_bCreatingForPin = true;
    BOOL created = m_pDlg->Create(IDD_EIDREL_DIALOG, hWndTarget);
    m_pDlg->m_bCreatingForPin = false;
    if (!created) {
        delete m_pDlg;
        m_pDlg = nullptr;
        m_bPinned = 0;
        return;
    }

    if (m_rectWin.right - m_rectWin.left == 0 && m_rectTarget.right - m_rectTarget.left == 0) {
        RECT rc = {0, 0, 0, 0};
        ::GetWindowRect(hWndTarget, &rc);
        m_rectWin = rc;
    }

    // Initial size. The offset is half the new size: a half-size copy is centred on the real window,
    // a quarter-size one starts an eighth of the real window's size in from its top-left corner.
    int nWidth = m_rectWin.right - m_rectWin.left;
    int nHeight = m_rectWin.bottom - m_rectWin.top;
    int nDivisor = nIniSize == 1 ? 2 : nIniSize == 2 ? 4 : 0;
    if (nDivisor != 0) {
        int w = nWidth / nDivisor;
        int h = nHeight / nDivisor;
        int x = m_rectWin.left + w / 2;
        int y = m_rectWin.top + h / 2;
        m_rectWin = RECT{x, y, x + w, y + h};
    }

    // The first capture and the concealment wait on the real window's thread, and a close sent to the copy
    // meanwhile ends it and erases this record: the copy window object stays until the pin returns, and the
    // pin touches neither once the copy window is gone.
    CEidrelDlg* pDlg = m_pDlg;
    CWnd::CHold hold(pDlg);
    pDlg->MoveWindow(m_rectWin.left, m_rectWin.top, m_rectWin.right - m_rectWin.left,
                     m_rectWin.bottom - m_rectWin.top, TRUE);
    pDlg->m_strTitle = m_strTitle;
    pDlg->m_rectTarget = m_rectTarget;
    pDlg->SetTarget(hWndTarget);
    if (!pDlg->m_hWnd) return;
    pDlg->ShowWindow(SW_SHOW);
    if (!pDlg->m_hWnd) return;
    pDlg->HideTargetWindow();
}

void CEidrelData::EndPin() {
    if (m_bPinned != 1) return;
    m_bPinned = 0;
    printf("EndPin! title=%s\n", static_cast<const char*>(m_strTitle));
    if (!m_pDlg) return;

    m_rectWin = m_pDlg->m_rectWindow;
    m_rectTarget = m_pDlg->m_rectTarget;
    printf("■■m_rectWin.top=%d, m_rectWin.left=%d\n", static_cast<int>(m_rectWin.top),
           static_cast<int>(m_rectWin.left));

    // Gives the real window back; the copy window object deletes itself inside the call.
    m_pDlg->DestroyWindow();
    m_pDlg = nullptr;

    if (g_pControlDlg) g_pControlDlg->notifyUpdateWindow();
}
