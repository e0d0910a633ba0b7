#include "framework/ListCtrl.h"

int CListCtrl::InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth) const {
    LVCOLUMNA col = {};
    col.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.fmt = nFormat;
    col.cx = nWidth;
    col.pszText = const_cast<char*>(pszHeading);
    col.iSubItem = nCol;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, nCol, (LPARAM)&col));
}

int CListCtrl::InsertItem(UINT nMask, int nItem, const char* pszItem, UINT nState, UINT nStateMask,
                          int nImage, LPARAM lParam) const {
    LVITEMA item = {};
    item.mask = nMask;
    item.iItem = nItem;
    item.pszText = const_cast<char*>(pszItem);
    item.state = nState;
    item.stateMask = nStateMask;
    item.iImage = nImage;
    item.lParam = lParam;
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, (LPARAM)&item));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* pszText) const {
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<char*>(pszText);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, nItem, (LPARAM)&item));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    char buf[1024] = {};
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = buf;
    item.cchTextMax = sizeof(buf);
    SendMessage(LVM_GETITEMTEXTA, nItem, (LPARAM)&item);
    return CString(buf);
}
