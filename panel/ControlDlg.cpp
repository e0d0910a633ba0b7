// The control panel: the list of copies, its view, removal and deletion of copies, the pick hotkey.
#include "panel/ControlDlg.h"

#include <cstdio>

#include "copy/EidrelDlg.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

CControlDlg* g_pControlDlg = nullptr;

CControlDlg::CControlDlg(CWnd* pParent) : CDialog(IDD_CONTROL_DIALOG, pParent) {
    g_pControlDlg = this;
}

// Members release themselves (brush, icon cache, records, path, list control); no copy is ended here
// and nothing is unregistered.
CControlDlg::~CControlDlg() = default;

void CControlDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST_DATA, m_listCtrl);
    m_brushBack.CreateSolidBrush(RGB(230, 230, 230));
}

BOOL CControlDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    m_listCtrl.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_listCtrl.InsertColumn(0, "ProgramName", LVCFMT_LEFT, 100);
    m_listCtrl.InsertColumn(1, "Window Title", LVCFMT_LEFT, 300);
    m_listCtrl.InsertColumn(2, "  ", LVCFMT_LEFT, 10);

    // The icon cache is the one owner of its image list: the list view only borrows it, so that
    // destroying the list view (by whatever path) leaves the list to the cache's destructor.
    LONG style = m_listCtrl.GetStyle();
    ::SetWindowLongA(m_listCtrl.m_hWnd, GWL_STYLE, style | LVS_SHAREIMAGELISTS);
    m_listCtrl.SetImageList(m_imageList.m_imageList.GetSafeHandle(), LVSIL_SMALL);
    return TRUE;
}

BOOL CControlDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        *pResult = 0;
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BUTTON_DELETE && HIWORD(wParam) == BN_CLICKED) {
            OnBnClickedDelete();
            *pResult = 0;
            return TRUE;
        }
        break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        *pResult = reinterpret_cast<LRESULT>(OnCtlColor(
            reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message - WM_CTLCOLORMSGBOX));
        return TRUE;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

// The panel has no OK or Cancel button; Enter and Esc leave every copy and every record alone.
void CControlDlg::OnOK() {}

void CControlDlg::OnCancel() {}

HBRUSH CControlDlg::OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(hDC, hCtl, nCtlColor);
    switch (nCtlColor) {
    case CTLCOLOR_STATIC:
        ::SetBkMode(hDC, TRANSPARENT);
        return m_brushBack;
    case CTLCOLOR_BTN:
    case CTLCOLOR_DLG:
        return m_brushBack;
    default:
        return hbr;
    }
}

void CControlDlg::registerPickHotKey() {
    if (!::RegisterHotKey(m_hWnd, kPickHotKeyId, static_cast<UINT>(m_nWsModifiers),
                          static_cast<UINT>(m_nWsHotKey))) {
        DWORD err = ::GetLastError();
        printf("RegisterHotKey() Error=%d\n", static_cast<int>(err));
        AfxMessageBox("ホットキーの登録が失敗しました.他のキーに変更してください.", MB_OK);
    }
}

void CControlDlg::refreshList() {
    m_listCtrl.SetRedraw(FALSE);
    m_listCtrl.DeleteAllItems();
    for (size_t i = 0; i < m_vecData.size(); ++i) {
        const CEidrelData& data = m_vecData[i];
        int idx = m_imageList.getIconIndex(data.m_strProgramPath);
        int row = static_cast<int>(i);
        if (idx >= 0) {
            m_listCtrl.InsertItem(LVIF_TEXT | LVIF_IMAGE, row, data.m_strProgramName, 0, 0, idx, 0);
        } else {
            m_listCtrl.InsertItem(LVIF_TEXT, row, data.m_strProgramName, 0, 0, 0, 0);
        }
        m_listCtrl.SetItemText(row, 1, data.m_strTitle);
        m_listCtrl.SetItemText(row, 2, "");
    }
    m_listCtrl.SetRedraw(TRUE);
}

void CControlDlg::notifyUpdateWindow() {
    printf("CControlDlg::notifyUpdateWindow()\n");
    refreshList();
    requestWriteIniFile();
}

void CControlDlg::removeDataByWindow(CEidrelDlg* pDlg) {
    HWND hObj = pDlg ? pDlg->m_hWnd : nullptr;
    for (size_t i = 0; i < m_vecData.size(); ++i) {
        CEidrelData& data = m_vecData[i];
        if (data.m_bPinned != 1 || !data.m_pDlg) continue;
        HWND hData = data.m_pDlg->m_hWnd;
        printf("Data hWnd=0x%08x\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hData)));
        printf("Obj  hWnd=0x%08x\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hObj)));
        if (hData == hObj) {
            // The copy window ends here, ending first any copy its window owns, whose record goes
            // meanwhile: the record is found again by its copy window afterwards.
            CEidrelDlg* pEnded = data.m_pDlg;
            pEnded->DestroyWindow();
            dropDataOfWindow(pEnded);
            return;
        }
    }
}

void CControlDlg::dropDataOfWindow(CEidrelDlg* pDlg) {
    for (size_t i = 0; i < m_vecData.size(); ++i) {
        if (m_vecData[i].m_pDlg != pDlg) continue;
        m_vecData.erase(m_vecData.begin() + static_cast<std::ptrdiff_t>(i));
        refreshList();
        requestWriteIniFile();
        return;
    }
}

void CControlDlg::OnBnClickedDelete() {
    int row = m_listCtrl.GetSelectionMark();
    if (row == -1) {
        AfxMessageBox("削除更するデータを一覧で選択してください", MB_OK);
        return;
    }

    // The question runs a message loop: copies may be picked or closed meanwhile and shift the rows.
    // Remember which record the row named, so that the answer ends that copy and no other.
    bool known = row >= 0 && static_cast<size_t>(row) < m_vecData.size();
    CEidrelDlg* pChosenDlg = known ? m_vecData[static_cast<size_t>(row)].m_pDlg : nullptr;
    HWND hChosenTarget = known ? m_vecData[static_cast<size_t>(row)].m_hTarget : nullptr;

    if (AfxMessageBox("選択したデータを削除しますか？", MB_YESNO) == IDNO) return;
    if (!known) return;

    auto same = [&](const CEidrelData& d) { return d.m_pDlg == pChosenDlg && d.m_hTarget == hChosenTarget; };
    size_t index = static_cast<size_t>(row);
    if (index >= m_vecData.size() || !same(m_vecData[index])) {
        index = m_vecData.size();
        for (size_t i = 0; i < m_vecData.size(); ++i) {
            if (same(m_vecData[i])) {
                index = i;
                break;
            }
        }
        if (index == m_vecData.size()) return; // that copy is gone already
    }

    CEidrelDlg* pEnded = m_vecData[index].m_pDlg;
    if (pEnded) {
        // As in removeDataByWindow, the record is found again once the copy window has gone.
        pEnded->DestroyWindow();
        dropDataOfWindow(pEnded);
        return;
    }
    m_vecData.erase(m_vecData.begin() + static_cast<std::ptrdiff_t>(index));
    refreshList();
    requestWriteIniFile();
}

void CControlDlg::endAllPin() {
    for (size_t i = 0; i < m_vecData.size(); ++i) m_vecData[i].EndPin();
    __writeIniFile();
    m_vecData.clear();
}

BOOL CControlDlg::DestroyWindow() {
    printf("CControlDlg::DestroyWindow() \n");
    ::UnregisterHotKey(m_hWnd, kPickHotKeyId);
    // The image list stays with the icon cache (see OnInitDialog); detaching it first also keeps a
    // list view that ignores the late share style from destroying it.
    if (m_listCtrl.m_hWnd) m_listCtrl.SetImageList(nullptr, LVSIL_SMALL);
    return CWnd::DestroyWindow();
}
