// The control panel: owner of the list of copies, of the five settings and of the pick hotkey.
#pragma once

#include <vector>

#include "copy/EidrelData.h"
#include "framework/Dialog.h"
#include "framework/GdiObject.h"
#include "framework/ListCtrl.h"
#include "framework/String.h"
#include "panel/ImageListCash.h"

class CEidrelDlg;
class CDataExchange;

// Identifier of the pick hotkey on the panel's window.
constexpr int kPickHotKeyId = 1000;
// The panel's delayed settings write timer (100 ms ticks).
constexpr UINT_PTR kIniWriteTimerId = 104;
// At most this many copies exist at a time.
constexpr size_t kMaxCopies = 5;

class CControlDlg : public CDialog {
public:
    explicit CControlDlg(CWnd* pParent = nullptr);
    ~CControlDlg() override;

    // Unregisters the pick hotkey, then destroys the panel's window.
    BOOL DestroyWindow() override;

    // List of copies.
    void refreshList();
    void notifyUpdateWindow();
    void removeDataByWindow(CEidrelDlg* pDlg);
    // Drops the record of a copy window that is being destroyed, or has just been destroyed, so that no
    // record keeps pointing at it; it may have gone without the panel (for example with an owner of this
    // thread).
    void dropDataOfWindow(CEidrelDlg* pDlg);
    void endAllPin();
    // Registers the pick hotkey (id 1000) from m_nWsModifiers / m_nWsHotKey; reports a failure.
    void registerPickHotKey();

    // Settings file.
    void setIniFile(CString path);
    void __readIniFile();
    void __writeIniFile();
    void requestWriteIniFile();

    // Pick.
    void addTargetWindow(HWND hwnd);

    // Property dialog.
    void showPropertyDialog();

    // Fields, in this order.
    CListCtrl m_listCtrl;
    CString m_strIniFile;
    std::vector<CEidrelData> m_vecData;
    CImageListCash m_imageList;
    int m_bIniWritePending = 0;
    int m_nIniWriteCount = 0;
    CBrush m_brushBack;
    int m_nIniSize = 0;
    int m_nLeftClk = 0;
    int m_nLeftDblClk = 0;
    int m_nWsHotKey = 0x43;
    int m_nWsModifiers = MOD_WIN;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // Enter and Esc inside the panel keep every copy.
    void OnOK() override;
    void OnCancel() override;

    // Message handlers, in the order of the message map.
    void OnTimer(UINT_PTR nIDEvent);
    void OnBnClickedDelete();
    HBRUSH OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor);

private:
    // The property dialog while it is shown; a second request brings it to the front instead of opening
    // another.
    HWND m_hPropertyDlg = nullptr;
};

// The one panel of the run; set by the constructor, never cleared.
extern CControlDlg* g_pControlDlg;
