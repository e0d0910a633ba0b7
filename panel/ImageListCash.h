// Icons of the programs listed by the panel: one 24x24 image per distinct program path.
#pragma once

#include <vector>

#include "framework/ImageList.h"
#include "framework/String.h"

class CImageListCash {
public:
    CImageListCash();
    virtual ~CImageListCash();
    CImageListCash(const CImageListCash&) = delete;
    CImageListCash& operator=(const CImageListCash&) = delete;

    // Index of the image for path, loaded from the shell on first use; -1 when the image list refuses it.
    int getIconIndex(CString path);

    CImageList m_imageList;
    std::vector<CString> m_vecPath;
};
