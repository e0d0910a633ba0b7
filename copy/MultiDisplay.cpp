#include "copy/MultiDisplay.h"

#include <cstdio>

CMultiDisplay* g_pMultiDisplay = nullptr;

CMultiDisplay* CMultiDisplay::GetInstance() {
    if (!g_pMultiDisplay) g_pMultiDisplay = new CMultiDisplay();
    return g_pMultiDisplay;
}

void CMultiDisplay::ReleaseInstance() {
    if (!g_pMultiDisplay) return;
    delete g_pMultiDisplay;
    g_pMultiDisplay = nullptr;
}

void CMultiDisplay::EnumMonitors() {
    ::EnumDisplayMonitors(nullptr, nullptr, MonitorEnumProc, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK MonitorEnumProc(HMONITOR hMonitor, HDC, RECT* pRect, LPARAM lParam) {
    CMultiDisplay* pThis = reinterpret_cast<CMultiDisplay*>(lParam);
    pThis->m_nMonitorCount++;

    MONITORINFO mi;
    ::ZeroMemory(&mi, sizeof(mi));
    mi.cbSize = sizeof(mi);
    if (!::GetMonitorInfoA(hMonitor, &mi)) {
        // Nothing known about this monitor: its lines show zeros.
        ::ZeroMemory(&mi, sizeof(mi));
    }
    printf("rcMonitor top=%d, left=%d, bottom=%d, right=%d\n", static_cast<int>(mi.rcMonitor.top),
           static_cast<int>(mi.rcMonitor.left), static_cast<int>(mi.rcMonitor.bottom),
           static_cast<int>(mi.rcMonitor.right));
    printf("rcWork top=%d, left=%d, bottom=%d, right=%d\n", static_cast<int>(mi.rcWork.top),
           static_cast<int>(mi.rcWork.left), static_cast<int>(mi.rcWork.bottom),
           static_cast<int>(mi.rcWork.right));
    printf("Flag = %d\n", static_cast<int>(mi.dwFlags));
    RECT rc = {0, 0, 0, 0};
    if (pRect) rc = *pRect;
    printf("rcMonitor top=%d, left=%d, bottom=%d, right=%d\n", static_cast<int>(rc.top),
           static_cast<int>(rc.left), static_cast<int>(rc.bottom), static_cast<int>(rc.right));
    return TRUE;
}
