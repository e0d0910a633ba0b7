// Hotkey entry field that also takes the Windows key: a low-level keyboard hook feeds it while it has the
// focus, and it paints the combination itself.
#pragma once

#include <windows.h>

#include "framework/HotKeyCtrl.h"
#include "framework/String.h"

constexpr UINT WM_HOTKEYEX_KEYDOWN = WM_USER + WM_KEYDOWN; // 0x500
constexpr UINT WM_HOTKEYEX_KEYUP = WM_USER + WM_KEYUP;     // 0x501
// Control flag of the Windows key (beside HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4, HOTKEYF_EXT 8).
constexpr WORD HOTKEYF_WIN = 0x10;

class CHotKeyExCtrl : public CHotKeyCtrl {
public:
    CHotKeyExCtrl() = default;
    ~CHotKeyExCtrl() override;

    void SetHotKey(WORD wVirtualKeyCode, WORD wModifiers);
    void GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const;
    void SetHotKeyForRegister(WORD wVirtualKeyCode, WORD wModifiers);
    void GetHotKeyForRegister(WORD& wVirtualKeyCode, WORD& wModifiers) const;
    CString GetHotKeyName() const;
    static CString GetKeyName(UINT vk, BOOL fExtended);
    static CString MakeHotKeyName(WORD wModifiers, WORD wVirtualKeyCode);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    WORD m_wVirtualKeyCode = 0;
    WORD m_wModifiers = 0;
    WORD m_wHeldKey = 0;
    WORD m_wHeldModifiers = 0;
    bool m_bComplete = false;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnSetFocus(HWND hOldWnd);
    void OnKillFocus(HWND hNewWnd);
    void OnPaint();
};

WORD HotKeyFlagsFromModifiers(WORD wModifiers);
WORD ModifiersFromHotKeyFlags(WORD wHotKeyFlags);
LRESULT CALLBACK LowLevelKeyboardProc(int nCode, WPARAM wParam, LPARAM lParam);

extern HHOOK g_hKeyboardHook;
extern HWND g_hHotKeyCtrlWnd;
