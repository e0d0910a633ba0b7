// The property dialog: initial size of new copies, click forwarding, and the pick hotkey.
#pragma once

#include "framework/Dialog.h"
#include "panel/HotKeyExCtrl.h"

class CDataExchange;

// Test registration of a combination on the dialog's own window.
constexpr int kTestHotKeyId = 106;

class CSelSizeDlg : public CDialog {
public:
    explicit CSelSizeDlg(CWnd* pParent = nullptr);

    // Non-zero when no other program holds the combination (registration flags, key).
    BOOL TestHotKey(UINT nModifiers, UINT nVirtualKey);

    int m_nIniSize = -1;
    BOOL m_bLeftClk = 0;
    BOOL m_bLeftDblClk = 0;
    int m_nHotKey = 0x43;
    int m_nModifiers = MOD_WIN;
    CHotKeyExCtrl m_hotKeyCtrl;
    // Where the dialog reports its window while it exists (set on initialisation, cleared on
    // destruction), so that its opener can bring it to the front instead of opening another; or none.
    HWND* m_phWndShown = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnBnClickedCheckHotKey();
};
