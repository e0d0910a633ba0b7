// The pick hotkey: the foreground window is checked and, when it may be copied, pinned as a new copy.
#include "copy/EidrelDlg.h"
#include "panel/ControlDlg.h"
#include "panel/ProcessName.h"

LRESULT CControlDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && wParam == static_cast<WPARAM>(kPickHotKeyId))
        addTargetWindow(::GetForegroundWindow());
    return CDialog::WindowProc(message, wParam, lParam);
}

void CControlDlg::addTargetWindow(HWND hwnd) {
    // Already copied: the only refusal besides the limit that the user is told about.
    for (const CEidrelData& data : m_vecData) {
        if (data.m_bPinned == 1 && data.m_hTarget == hwnd) {
            ::MessageBoxA(hwnd, "既に制御中です.", "重複操作", MB_OK);
            return;
        }
    }

    char title[260] = {};
    ::GetWindowTextA(hwnd, title, sizeof(title));
    CString strTitle(title);
    if (strTitle == "Program Manager") return;
    if (strTitle.IsEmpty()) return;

    // No window of this process (a copy, a dialog, the panel) is copied, whatever the executable is
    // called; nor a window of any process named like the program.
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == ::GetCurrentProcessId()) return;
    CString strName;
    GetProcessBaseName(pid, strName);
    if (strName == "Lumevarin.exe") return;

    if (!::IsWindowVisible(hwnd)) return;
    if (::IsZoomed(hwnd)) return;
    LONG style = ::GetWindowLongA(hwnd, GWL_STYLE);
    if (!(style & WS_SYSMENU)) return;
    if (style & WS_DISABLED) return;

    RECT rect = {0, 0, 0, 0};
    ::GetWindowRect(hwnd, &rect);
    if (rect.bottom == rect.top) return;
    if (rect.left == rect.right) return;
    if (!::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) return;

    CString strPath;
    GetProcessFilePath(pid, strPath);

    if (m_vecData.size() >= kMaxCopies) {
        ::MessageBoxA(hwnd, "制限数を超えています.", "制限超過", MB_OK);
        return;
    }

    CEidrelData data;
    data.m_strTitle = strTitle;
    data.m_strProgramName = strName;
    data.m_strProgramPath = strPath;
    m_vecData.insert(m_vecData.begin(), data);

    // The copy window is known only through the listed record, so the pin runs on it.
    m_vecData.front().StartPin(hwnd, m_nIniSize);
    // A copy closed while its pin waited on the real window is gone with its record, and other records may
    // have gone meanwhile too: the record is looked up again.
    for (size_t i = 0; i < m_vecData.size(); ++i) {
        const CEidrelData& pinned = m_vecData[i];
        if (pinned.m_hTarget != hwnd) continue;
        // A pin that was given up (no copy window could be made) leaves no record behind.
        if (pinned.m_bPinned == 0 || !pinned.m_pDlg)
            m_vecData.erase(m_vecData.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }

    refreshList();
}
