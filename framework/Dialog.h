// Dialog from a resource template, modeless (Create) or modal (DoModal, with our own message loop).
#pragma once

#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    UINT m_nIDHelp = 0;

    // Creates the dialog modeless, as a child or owned popup of pParentWnd / hWndParent.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL Create(UINT nIDTemplate, HWND hWndParent);
    // Runs the dialog modally: the owner is disabled and a message loop runs until EndDialog.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    BOOL IsModal() const { return m_bModal; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool m_bModal = false;
    bool m_bEndModal = false;
    int m_nModalResult = -1;
};

// Dialog variant of the extended dialog templates; behaves as CDialog.
class CDialogEx : public CDialog {
public:
    explicit CDialogEx(UINT nIDTemplate, CWnd* pParentWnd = nullptr) : CDialog(nIDTemplate, pParentWnd) {}
};
