// Icons of the listed programs, fetched from the shell once per distinct path.
#include "panel/ImageListCash.h"

#include <shellapi.h>

#include <cstdio>

CImageListCash::CImageListCash() {
    m_imageList.Create(24, 24, ILC_COLORDDB, 0, 50);
    m_imageList.SetBkColor(RGB(255, 255, 255));
}

CImageListCash::~CImageListCash() {
    m_imageList.DeleteImageList();
    m_vecPath.clear();
    m_vecPath.shrink_to_fit();
}

int CImageListCash::getIconIndex(CString path) {
    for (size_t i = 0; i < m_vecPath.size(); ++i) {
        if (m_vecPath[i] == path) return static_cast<int>(i);
    }

    SHFILEINFOA info = {};
    DWORD_PTR found = ::SHGetFileInfoA(path, 0, &info, sizeof(info), SHGFI_ICON);
    // A failed query gives no usable handle, whatever the record holds (some shells leave a stale one).
    HICON hIcon = found ? info.hIcon : nullptr;
    bool ownIcon = hIcon != nullptr;
    if (!hIcon) {
        printf("ICON get fail path =%s\n", static_cast<const char*>(path));
        hIcon = ::LoadIcon(nullptr, IDI_HAND); // shared system icon: never destroyed by us
    }

    // The path joins the list only with its image, so that index i of both always names one program.
    int index = m_imageList.Add(hIcon);
    if (index >= 0) m_vecPath.push_back(path);

    if (ownIcon) ::DestroyIcon(hIcon);
    return index;
}
