// Window object bound to a window handle; message dispatch through virtual WindowProc / OnWndMsg.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CDataExchange;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return this ? m_hWnd : nullptr; }
    operator HWND() const { return m_hWnd; }

    // The object bound to hWnd in this process, or nullptr.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Binds this object to an existing window and routes its messages through WindowProc.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Message entry: the default runs the class's message map (OnWndMsg), then DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message map of a class: handles the message and returns TRUE, or returns FALSE.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Processing of the window's own class (or of the system when there is none).
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message now being dispatched to this window.
    LRESULT Default();

    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL DestroyWindow();
    // Called once the window is gone and the outermost of its messages (and the last CHold) has returned;
    // the object may delete itself here.
    virtual void PostNcDestroy() {}
    virtual void DoDataExchange(CDataExchange*) {}
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Default colour handling of WM_CTLCOLOR* messages.
    HBRUSH OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor);

    // Thin wrappers of window functions on m_hWnd.
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint = TRUE) const {
        return ::MoveWindow(m_hWnd, x, y, cx, cy, bRepaint);
    }
    BOOL MoveWindow(const RECT& rc, BOOL bRepaint = TRUE) const {
        return MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, bRepaint);
    }
    BOOL SetWindowPos(HWND hAfter, int x, int y, int cx, int cy, UINT flags) const {
        return ::SetWindowPos(m_hWnd, hAfter, x, y, cx, cy, flags);
    }
    void GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    void SetWindowText(const char* psz) const { ::SetWindowTextA(m_hWnd, psz); }
    CString GetWindowText() const;
    void Invalidate(BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) const {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) const { return ::KillTimer(m_hWnd, nIDEvent); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
        return ::SendMessageA(m_hWnd, msg, w, l);
    }
    BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageA(m_hWnd, msg, w, l); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd); }
    HMENU GetSystemMenu(BOOL bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) const {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon));
    }
    void SetRedraw(BOOL bRedraw) const { SendMessage(WM_SETREDRAW, bRedraw, 0); }
    LONG GetStyle() const { return ::GetWindowLongA(m_hWnd, GWL_STYLE); }
    LONG GetExStyle() const { return ::GetWindowLongA(m_hWnd, GWL_EXSTYLE); }
    // Turns a client rectangle into the window rectangle of this window's style (no menu).
    void CalcWindowRect(RECT* pRect) const;

    // Keeps a window object while work on it runs outside its messages and may let messages through (a
    // send to another thread, PrintWindow): a window ended meanwhile has m_hWnd null afterwards, and its
    // PostNcDestroy waits until the last hold is released. Every message of a bound window holds it too.
    class CHold {
    public:
        explicit CHold(CWnd* pWnd) : m_pWnd(pWnd) { ++m_pWnd->m_nHolds; }
        ~CHold();
        CHold(const CHold&) = delete;
        CHold& operator=(const CHold&) = delete;

    private:
        CWnd* m_pWnd;
    };

    // Low-level dispatch shared by every bound window.
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Offers pMsg to PreTranslateMessage of its window and of its parents up to the top-level window.
    static BOOL WalkPreTranslateTree(MSG* pMsg);

protected:
    // Binding made while a window of this object is being created (thread CBT hook).
    static void HookWindowCreate(CWnd* pWnd);
    static BOOL UnhookWindowCreate();

private:
    void Bind(HWND hWnd);
    void Unbind();
    static LRESULT CALLBACK CbtHookProc(int nCode, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;
    // Messages of this window being handled, and holds of work on it.
    int m_nHolds = 0;
    // The window is gone and PostNcDestroy waits for the last hold.
    bool m_bNcDestroyPending = false;
};
