#include "panel/SelSizeDlg.h"

#include <cstdio>

#include "copy/PlatformQueries.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

CSelSizeDlg::CSelSizeDlg(CWnd* pParent) : CDialog(IDD_SELSIZE_DIALOG, pParent) {}

void CSelSizeDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_RADIO_11, m_nIniSize);
    DDX_Check(pDX, IDC_CHECK_LEFTCLK, m_bLeftClk);
    DDX_Check(pDX, IDC_CHECK_LEFTDBLCLK, m_bLeftDblClk);
    DDX_Control(pDX, IDC_HOTKEY, m_hotKeyCtrl);
}

BOOL CSelSizeDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // The field shows the current pick hotkey as a finished combination.
    m_hotKeyCtrl.SetHotKeyForRegister(static_cast<WORD>(m_nHotKey), static_cast<WORD>(m_nModifiers));

    // Bottom-right corner of the primary monitor's work area; a visible frame narrower than the
    // window rectangle is what lands on the corner.
    RECT rcFrame = {};
    RECT rcWindow = {};
    GetWindowRects(m_hWnd, &rcFrame, &rcWindow);
    RECT rcWork = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    const int fw = rcFrame.right - rcFrame.left;
    const int fh = rcFrame.bottom - rcFrame.top;
    const int rw = rcWindow.right - rcWindow.left;
    const int rh = rcWindow.bottom - rcWindow.top;
    const int x = rcWork.right - fw + (fw - rw) / 2;
    const int y = rcWork.bottom - fh + (fh - rh) / 2;
    SetWindowPos(HWND_TOP, x, y, 0, 0, SWP_NOSIZE);

    if (m_phWndShown) *m_phWndShown = m_hWnd;
    return TRUE;
}

BOOL CSelSizeDlg::TestHotKey(UINT nModifiers, UINT nVirtualKey) {
    std::printf("Modifiers=%d\n", static_cast<int>(nModifiers));
    std::printf("HotKey = %d\n", static_cast<int>(nVirtualKey));
    BOOL bFree = ::RegisterHotKey(m_hWnd, kTestHotKeyId, nModifiers, nVirtualKey);
    ::UnregisterHotKey(m_hWnd, kTestHotKeyId);
    return bFree;
}

void CSelSizeDlg::OnBnClickedCheckHotKey() {
    WORD wKey = 0;
    WORD wModifiers = 0;
    m_hotKeyCtrl.GetHotKeyForRegister(wKey, wModifiers);
    if (wKey == m_nHotKey && wModifiers == m_nModifiers) {
        AfxMessageBox("現在の設定です。");
    } else if (TestHotKey(wModifiers, wKey)) {
        AfxMessageBox("設定可能です.");
    } else {
        AfxMessageBox("このキーの組み合わせは既に他のアプリケーションで使用されています。他の組み合わせに変更"
                      "してください.");
    }
}

void CSelSizeDlg::OnOK() {
    WORD wKey = 0;
    WORD wModifiers = 0;
    m_hotKeyCtrl.GetHotKeyForRegister(wKey, wModifiers);
    if (wKey != m_nHotKey || wModifiers != m_nModifiers) {
        if (!TestHotKey(wModifiers, wKey)) {
            AfxMessageBox(
                "HotKey設定は既に他のアプリケーションで使用されています。他の組み合わせに変更してください.");
            return;
        }
        m_nHotKey = wKey;
        m_nModifiers = wModifiers;
    }
    CDialog::OnOK();
}

BOOL CSelSizeDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BUTTON_CHECKHOTKEY && HIWORD(wParam) == BN_CLICKED) {
            OnBnClickedCheckHotKey();
            *pResult = 0;
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (m_phWndShown && *m_phWndShown == m_hWnd) *m_phWndShown = nullptr;
        break;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}
