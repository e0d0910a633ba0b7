// Snapshot of the real window's descendant windows, and the search for the innermost one under a point.
#include <cstdio>

#include "copy/EidrelDlg.h"

namespace {

constexpr int kMaxSearchDepth = 10;

} // namespace

BOOL CALLBACK EnumChildProc(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<CEidrelDlg*>(lParam)->AddChildInfo(hwnd);
    return TRUE;
}

void CEidrelDlg::RefreshChildList() {
    m_vecChildWinInf.clear();
    ::EnumChildWindows(m_hTarget, EnumChildProc, reinterpret_cast<LPARAM>(this));
}

void CEidrelDlg::AddChildInfo(HWND hwnd) {
    CChildWinInf inf;
    inf.m_hWindow = hwnd;
    inf.m_hParent = ::GetParent(hwnd);
    inf.m_bVisible = ::IsWindowVisible(hwnd);
    inf.m_bEnabled = ::IsWindowEnabled(hwnd);
    m_vecChildWinInf.push_back(inf);
}

HWND CEidrelDlg::FindChildAt(HWND parent, POINT point) {
    for (const CChildWinInf& inf : m_vecChildWinInf) {
        if (!inf.m_bVisible || !inf.m_bEnabled || inf.m_hParent != parent) continue;
        RECT rc = {0, 0, 0, 0};
        ::GetWindowRect(inf.m_hWindow, &rc);
        if (::PtInRect(&rc, point)) return inf.m_hWindow;
    }
    return parent;
}

BOOL CEidrelDlg::FindDeepestChild(POINT point, HWND* found) {
    POINT ptClient = point;
    ::ScreenToClient(m_hTarget, &ptClient);
    printf("spoint x=%d, y=%d\n", static_cast<int>(ptClient.x), static_cast<int>(ptClient.y));

    HWND w = FindChildAt(m_hTarget, point);
    if (!w) {
        printf("NotFind ChildWindow!\n");
        return FALSE;
    }
    printf("Find ChildWindow handle=0x%08x\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(w)));
    for (int i = 0; i < kMaxSearchDepth; ++i) {
        HWND n = FindChildAt(w, point);
        if (n == w) {
            *found = w;
            return TRUE;
        }
        w = n;
    }
    return FALSE;
}
