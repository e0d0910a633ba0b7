#include "framework/DataExchange.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;
    rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd);
}

static bool IsRadioButton(HWND h) {
    return (::SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND hFirst = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (!hFirst) return;
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    for (HWND h = hFirst; h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (h != hFirst && (::GetWindowLongA(h, GWL_STYLE) & WS_GROUP)) break;
        if (!IsRadioButton(h)) continue;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND h = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (!h) return;
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(h, BM_GETCHECK, 0, 0));
    } else {
        if (value < 0 || value > 2) value = 0;
        ::SendMessageA(h, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND h = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (!h) return;
    if (pDX->m_bSaveAndValidate) {
        int n = ::GetWindowTextLengthA(h);
        CString s;
        char* p = s.GetBuffer(n + 1);
        ::GetWindowTextA(h, p, n + 1);
        s.ReleaseBuffer();
        value = s;
    } else {
        ::SetWindowTextA(h, value);
    }
}
