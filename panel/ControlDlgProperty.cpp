// The panel's side of the property dialog: fill it, show it, take the values back.
#include <cstdio>

#include "app/Globals.h"
#include "framework/MessageBox.h"
#include "panel/ControlDlg.h"
#include "panel/SelSizeDlg.h"

void CControlDlg::showPropertyDialog() {
    // A request while the dialog is shown (the modal loop still carries the tray's messages) brings
    // that one to the front instead of opening another.
    if (m_hPropertyDlg && ::IsWindow(m_hPropertyDlg)) {
        ::SetForegroundWindow(m_hPropertyDlg);
        return;
    }

    CSelSizeDlg dlg;
    dlg.m_nIniSize = m_nIniSize;
    dlg.m_bLeftClk = m_nLeftClk;
    dlg.m_bLeftDblClk = m_nLeftDblClk;
    dlg.m_nHotKey = m_nWsHotKey;
    dlg.m_nModifiers = m_nWsModifiers;
    dlg.m_phWndShown = &m_hPropertyDlg;

    // A version box opened from a copy may be shown already: the flag goes back to what it was, not to 0.
    const int bModalDialogWasOpen = g_bModalDialogOpen;
    g_bModalDialogOpen = 1;
    if (dlg.DoModal() == IDOK) {
        m_nIniSize = dlg.m_nIniSize;
        m_nLeftClk = dlg.m_bLeftClk;
        m_nLeftDblClk = dlg.m_bLeftDblClk;
        m_nWsHotKey = dlg.m_nHotKey;
        m_nWsModifiers = dlg.m_nModifiers;

        ::UnregisterHotKey(m_hWnd, kPickHotKeyId);
        if (!::RegisterHotKey(m_hWnd, kPickHotKeyId, static_cast<UINT>(m_nWsModifiers),
                              static_cast<UINT>(m_nWsHotKey))) {
            DWORD dwError = ::GetLastError();
            std::printf("RegisterHotKey() Error=%d\n", static_cast<int>(dwError));
            AfxMessageBox("ホットキーの登録が重複しています.他のキーに変更してください ");
        }
        requestWriteIniFile();
    }
    m_hPropertyDlg = nullptr;
    g_bModalDialogOpen = bModalDialogWasOpen;
}
