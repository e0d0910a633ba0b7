// One descendant window of a real window as it was at the last refresh.
#pragma once

#include <windows.h>

class CChildWinInf {
public:
    CChildWinInf() = default;
    CChildWinInf(const CChildWinInf&) = default;
    CChildWinInf& operator=(const CChildWinInf&) = default;
    virtual ~CChildWinInf() = default;

    HWND m_hWindow = nullptr;
    HWND m_hParent = nullptr;
    BOOL m_bVisible = FALSE;
    BOOL m_bEnabled = FALSE;
};
