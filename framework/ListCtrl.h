// Report-view list control over "SysListView32".
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/Wnd.h"

class CListCtrl : public CWnd {
public:
    DWORD SetExtendedStyle(DWORD dwNewStyle) const {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    int InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth) const;
    HIMAGELIST SetImageList(HIMAGELIST hList, int nImageListType) const {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, nImageListType, (LPARAM)hList));
    }
    HIMAGELIST GetImageList(int nImageListType) const {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, nImageListType));
    }
    BOOL DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int InsertItem(UINT nMask, int nItem, const char* pszItem, UINT nState, UINT nStateMask, int nImage,
                   LPARAM lParam) const;
    BOOL SetItemText(int nItem, int nSubItem, const char* pszText) const;
    CString GetItemText(int nItem, int nSubItem) const;
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int GetSelectionMark() const { return static_cast<int>(SendMessage(LVM_GETSELECTIONMARK)); }
    int SetSelectionMark(int iIndex) const {
        return static_cast<int>(SendMessage(LVM_SETSELECTIONMARK, 0, iIndex));
    }
};
