// Owner of one image list handle.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    COLORREF SetBkColor(COLORREF cr) const { return ImageList_SetBkColor(m_hImageList, cr); }
    // Appends an icon; the index of the new image, or -1.
    int Add(HICON hIcon) const { return m_hImageList ? ImageList_ReplaceIcon(m_hImageList, -1, hIcon) : -1; }
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    BOOL DeleteImageList();
};
