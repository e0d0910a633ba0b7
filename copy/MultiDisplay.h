// The monitors of the desktop, counted once at start-up.
#pragma once

#include <windows.h>

class CMultiDisplay {
public:
    CMultiDisplay() = default;
    virtual ~CMultiDisplay() = default;

    static CMultiDisplay* GetInstance();
    static void ReleaseInstance();
    void EnumMonitors();

    int m_nMonitorCount = 0;
};

extern CMultiDisplay* g_pMultiDisplay;

BOOL CALLBACK MonitorEnumProc(HMONITOR hMonitor, HDC hdc, RECT* pRect, LPARAM lParam);
