// Record of one window copy: the real window, the texts listed for it, the kept rectangles and the copy
// window.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CEidrelDlg;

class CEidrelData {
public:
    CEidrelData();
    CEidrelData(const CEidrelData& other);
    CEidrelData& operator=(const CEidrelData& other);
    virtual ~CEidrelData();

    // Pins a copy of hWndTarget; nIniSize 1 = half, 2 = quarter, anything else = full size.
    // Gives up, leaving the real window untouched and the record unpinned, when the copy window cannot be
    // made.
    void StartPin(HWND hWndTarget, int nIniSize);
    // Ends the copy (program exit): keeps the rectangles, gives the real window back, tells the panel.
    void EndPin();

    CString m_strTitle;
    CString m_strProgramName;
    CString m_strProgramPath;
    RECT m_rectWin;
    RECT m_rectTarget;
    HWND m_hTarget;
    BOOL m_bPinned;
    CEidrelDlg* m_pDlg;
};
