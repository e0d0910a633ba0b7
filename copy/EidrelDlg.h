// The copy window: stands in for one real window of another program, shows its live picture and gives it
// back when it ends. Created on the heap by CEidrelData::StartPin; deletes itself after its window is gone.
#pragma once

#include <windows.h>
#include <dwmapi.h>

#include <vector>

#include "copy/ChildWinInf.h"
#include "framework/Dialog.h"
#include "framework/GdiObject.h"
#include "framework/String.h"

// Copy windows' refresh timer.
constexpr UINT_PTR kRefreshTimerId = 102;

class CEidrelDlg : public CDialogEx {
public:
    explicit CEidrelDlg(CWnd* pParent = nullptr);
    ~CEidrelDlg() override;

    // Binding and concealment.
    void SetTarget(HWND hWndTarget);
    void HideTargetWindow();
    void SaveWindowRect();
    // Gives the real window back (styles, rectangle, taskbar button), then destroys the copy window.
    BOOL DestroyWindow() override;

    // Capture and painting. The input-idle test is virtual only so that a test can capture a window of its
    // own process, which cannot be waited for.
    virtual BOOL IsTargetInputIdle();
    void CalcFrameOffsets();
    void CaptureTarget();

    // Zoom and pan.
    void ResetZoom();
    void ChangeZoom(int dx, int dy);
    void ChangePan(int dx, int dy);
    void CalcZoomSource();

    // Composition thumbnail.
    void RegisterThumbnail();
    void FitThumbnailAspect();
    void SetThumbnailSource(RECT source);
    void SetThumbnailZoomSource();
    void SetThumbnailClientSource();
    void UnregisterThumbnail();

    // Snapshot of the real window's descendants.
    void RefreshChildList();
    void AddChildInfo(HWND hwnd);
    HWND FindChildAt(HWND parent, POINT point);
    BOOL FindDeepestChild(POINT point, HWND* found);

    // Click forwarding.
    POINT MapToTarget(int x, int y);
    void MoveTargetUnderCursor(int x, int y);
    void ForwardButtonUp(int x, int y);
    void ForwardClick(int x, int y);
    void ForwardDoubleClick(int x, int y);

    // Fields, in this order.
    HICON m_hIcon;
    LONG m_lSavedStyle = 0;
    LONG m_lSavedExStyle = 0;
    BOOL m_bTargetHidden = 0;
    HWND m_hTarget = nullptr;
    RECT m_rectTarget = {0, 0, 0, 0};
    RECT m_rectWindow = {0, 0, 0, 0};
    CString m_strTitle;
    std::vector<CChildWinInf> m_vecChildWinInf;
    int m_nCacheWidth = 0;
    int m_nCacheHeight = 0;
    CBitmap m_bmpCache;
    double m_dScaleX = 1.0;
    double m_dScaleY = 1.0;
    int m_nXOffset = 0;
    int m_nYOffset = 0;
    int m_nBottomOffset = 0;
    int m_nRefreshInterval = 10;
    int m_nZoomX = 100;
    int m_nZoomY = 100;
    int m_nSrcWidth = 0;
    int m_nSrcHeight = 0;
    int m_nSrcLeft = 0;
    int m_nSrcTop = 0;
    int m_nPanX = 0;
    int m_nPanY = 0;
    BOOL m_bLButtonDown = 0;
    int m_nLastX = 0;
    int m_nLastY = 0;
    double m_dRemainX = 0.0;
    double m_dRemainY = 0.0;
    HTHUMBNAIL m_hThumbnail = 0;
    BOOL m_bComposition = 0;
    RECT m_rectThumbSource = {0, 0, 0, 0};

    // Layered attributes of a real window that was layered before it was copied, put back on restore.
    BOOL m_bSavedLayered = FALSE;
    COLORREF m_crSavedKey = 0;
    BYTE m_bySavedAlpha = 255;
    DWORD m_dwSavedLayeredFlags = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void PostNcDestroy() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // Message handlers, in the order of the message map.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnMove(int x, int y);
    void OnTimer(UINT_PTR nIDEvent);
    void OnPaint();
    void OnClose();
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnLButtonUp(UINT nFlags, POINT point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnMouseMove(UINT nFlags, POINT point);
    void OnLButtonDblClk(UINT nFlags, POINT point);
    void OnSize(UINT nType, int cx, int cy);
    void OnCompositionChanged();
    BOOL OnEraseBkgnd(HDC hDC);
    // The copy window is going away without DestroyWindow having given the real window back.
    void OnDestroy();
    // The copy wants the arrow keys (pan) rather than dialog navigation.
    UINT OnGetDlgCode();

private:
    friend class CEidrelData;

    // Gives the real window back once: styles, layered attributes, rectangle, taskbar button, thumbnail.
    void RestoreTarget();

    // The real window has been given back (or there was nothing to give back).
    bool m_bRestored = false;
    // While the pin step creates the window, a failed creation leaves the object to the pin step.
    bool m_bCreatingForPin = false;
};

// Taskbar buttons through the shell's taskbar list; COM is set up and torn down around each call.
BOOL AddTaskbarTab(HWND hWnd);
BOOL DeleteTaskbarTab(HWND hWnd);
// Enumeration callback of RefreshChildList; lParam is the copy window.
BOOL CALLBACK EnumChildProc(HWND hwnd, LPARAM lParam);
