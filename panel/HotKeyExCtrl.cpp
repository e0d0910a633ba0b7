#include "panel/HotKeyExCtrl.h"

#include <commctrl.h>

#include <vector>

#include "framework/WinApp.h"

HHOOK g_hKeyboardHook = nullptr;
HWND g_hHotKeyCtrlWnd = nullptr;

namespace {

// Control flag of a modifier key, or 0 for an ordinary key. Left and right keys share one bit; the
// application key counts as a Windows key.
WORD ModifierFlagOfKey(UINT vk) {
    switch (vk) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return HOTKEYF_SHIFT;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return HOTKEYF_CONTROL;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return HOTKEYF_ALT;
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
        return HOTKEYF_WIN;
    default:
        return 0;
    }
}

void RemoveKeyboardHook() {
    if (g_hKeyboardHook) ::UnhookWindowsHookEx(g_hKeyboardHook);
    g_hKeyboardHook = nullptr;
    g_hHotKeyCtrlWnd = nullptr;
}

// Display text of a key and control flags: the modifiers in a fixed order, each followed by " + ",
// then the key's name.
CString BuildHotKeyName(WORD wVirtualKeyCode, WORD wModifiers) {
    CString name;
    if (wVirtualKeyCode == 0 && wModifiers == 0) return name;
    const char* const kSeparator = " + ";
    if (wModifiers & HOTKEYF_CONTROL) name += CHotKeyExCtrl::GetKeyName(VK_CONTROL, FALSE) + kSeparator;
    if (wModifiers & HOTKEYF_SHIFT) name += CHotKeyExCtrl::GetKeyName(VK_SHIFT, FALSE) + kSeparator;
    if (wModifiers & HOTKEYF_ALT) name += CHotKeyExCtrl::GetKeyName(VK_MENU, FALSE) + kSeparator;
    if (wModifiers & HOTKEYF_WIN) {
        name += "Win";
        name += kSeparator;
    }
    if (wVirtualKeyCode != 0)
        name += CHotKeyExCtrl::GetKeyName(wVirtualKeyCode, (wModifiers & HOTKEYF_EXT) != 0);
    return name;
}

} // namespace

namespace {

// Each registration flag with the control flag that stands for the same key.
struct FlagPair {
    WORD mod;
    WORD hotKeyFlag;
};
constexpr FlagPair kFlagPairs[] = {{MOD_ALT, HOTKEYF_ALT},
                                   {MOD_CONTROL, HOTKEYF_CONTROL},
                                   {MOD_SHIFT, HOTKEYF_SHIFT},
                                   {MOD_WIN, HOTKEYF_WIN}};

} // namespace

WORD HotKeyFlagsFromModifiers(WORD wModifiers) {
    WORD flags = 0;
    for (const FlagPair& p : kFlagPairs)
        if (wModifiers & p.mod) flags |= p.hotKeyFlag;
    return flags;
}

WORD ModifiersFromHotKeyFlags(WORD wHotKeyFlags) {
    WORD mods = 0;
    for (const FlagPair& p : kFlagPairs)
        if (wHotKeyFlags & p.hotKeyFlag) mods |= p.mod;
    return mods;
}

// Runs on the GUI thread for every key event of the desktop while the field has the focus: it only
// hands the event to the field and keeps it from everything else.
LRESULT CALLBACK LowLevelKeyboardProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode != HC_ACTION) return ::CallNextHookEx(g_hKeyboardHook, nCode, wParam, lParam);
    switch (wParam) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        const KBDLLHOOKSTRUCT* pEvent = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        UINT msg = (static_cast<UINT>(wParam) & ~0x0004u) + WM_USER;
        ::PostMessageA(g_hHotKeyCtrlWnd, msg, pEvent->vkCode, 0);
        return 1;
    }
    default:
        return ::CallNextHookEx(g_hKeyboardHook, 0, wParam, lParam);
    }
}

CHotKeyExCtrl::~CHotKeyExCtrl() {
    // An object that goes before its window must not leave the desktop's keyboard swallowed.
    if (m_hWnd && g_hHotKeyCtrlWnd == m_hWnd) RemoveKeyboardHook();
}

void CHotKeyExCtrl::SetHotKey(WORD wVirtualKeyCode, WORD wModifiers) {
    m_wVirtualKeyCode = wVirtualKeyCode;
    m_wModifiers = wModifiers;
    m_bComplete = true;
    if (m_hWnd) ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CHotKeyExCtrl::GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const {
    wVirtualKeyCode = m_wVirtualKeyCode;
    wModifiers = m_wModifiers;
}

void CHotKeyExCtrl::SetHotKeyForRegister(WORD wVirtualKeyCode, WORD wModifiers) {
    SetHotKey(wVirtualKeyCode, HotKeyFlagsFromModifiers(wModifiers));
}

void CHotKeyExCtrl::GetHotKeyForRegister(WORD& wVirtualKeyCode, WORD& wModifiers) const {
    wVirtualKeyCode = m_wVirtualKeyCode;
    wModifiers = ModifiersFromHotKeyFlags(m_wModifiers);
}

CString CHotKeyExCtrl::GetHotKeyName() const {
    return BuildHotKeyName(m_wVirtualKeyCode, m_wModifiers);
}

CString CHotKeyExCtrl::GetKeyName(UINT vk, BOOL fExtended) {
    LONG lParam = static_cast<LONG>(::MapVirtualKeyA(vk, 0) << 16);
    if (fExtended) lParam |= 0x01000000;
    // A name that fills the buffer may have been cut: ask again with twice the room.
    std::vector<char> buffer;
    for (int n = 128;; n *= 2) {
        buffer.assign(static_cast<size_t>(n) + 1, '\0');
        int len = ::GetKeyNameTextA(lParam, buffer.data(), n + 1);
        if (len != n) return CString(buffer.data(), len > 0 ? len : 0);
    }
}

CString CHotKeyExCtrl::MakeHotKeyName(WORD wModifiers, WORD wVirtualKeyCode) {
    return BuildHotKeyName(wVirtualKeyCode, HotKeyFlagsFromModifiers(wModifiers));
}

BOOL CHotKeyExCtrl::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message != WM_HOTKEYEX_KEYDOWN && pMsg->message != WM_HOTKEYEX_KEYUP) {
        return CHotKeyCtrl::PreTranslateMessage(pMsg);
    }
    const bool bDown = pMsg->message == WM_HOTKEYEX_KEYDOWN;
    const WORD k = static_cast<WORD>(pMsg->wParam);

    // What is held now.
    if (WORD flag = ModifierFlagOfKey(k)) {
        if (bDown)
            m_wHeldModifiers |= flag;
        else
            m_wHeldModifiers &= static_cast<WORD>(~flag);
    } else if (bDown) {
        m_wHeldKey = k;
    } else if (m_wHeldKey == k) {
        m_wHeldKey = 0;
    }

    const WORD key = m_wHeldKey;
    const WORD flags = (key == 0 && m_wHeldModifiers == 0) ? 0 : m_wHeldModifiers;

    // A finished combination gives way to the new one.
    if (m_bComplete) {
        m_wVirtualKeyCode = 0;
        m_wModifiers = 0;
        m_bComplete = false;
    }
    if (key != 0) {
        m_wVirtualKeyCode = key;
        m_wModifiers = flags;
    } else if (m_wVirtualKeyCode == 0) {
        // No key yet: the field shows the held modifiers alone.
        m_wModifiers = flags;
    }
    if (key == 0 && m_wHeldModifiers == 0) m_bComplete = true;

    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return CHotKeyCtrl::PreTranslateMessage(pMsg);
}

BOOL CHotKeyExCtrl::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        *pResult = 0;
        return TRUE;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        *pResult = 0;
        return TRUE;
    case WM_PAINT:
        OnPaint();
        *pResult = 0;
        return TRUE;
    case WM_DESTROY:
    case WM_NCDESTROY:
        // A focused field can be destroyed without being told of the focus loss first; the hook
        // must not outlive it. The default processing follows.
        if (g_hHotKeyCtrlWnd == m_hWnd) RemoveKeyboardHook();
        break;
    }
    return CHotKeyCtrl::OnWndMsg(message, wParam, lParam, pResult);
}

void CHotKeyExCtrl::OnSetFocus(HWND) {
    Default(); // the platform control shows its caret
    if (g_hKeyboardHook == nullptr) {
        m_wHeldKey = 0;
        m_wHeldModifiers = 0;
        g_hHotKeyCtrlWnd = m_hWnd;
        g_hKeyboardHook =
            ::SetWindowsHookExA(WH_KEYBOARD_LL, &LowLevelKeyboardProc, AfxGetInstanceHandle(), 0);
        if (!g_hKeyboardHook) g_hHotKeyCtrlWnd = nullptr;
    }
}

void CHotKeyExCtrl::OnKillFocus(HWND) {
    Default(); // the platform control removes its caret
    RemoveKeyboardHook();
}

void CHotKeyExCtrl::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    HFONT hFont = reinterpret_cast<HFONT>(::SendMessageA(::GetParent(m_hWnd), WM_GETFONT, 0, 0));
    HGDIOBJ hOldFont = hFont ? ::SelectObject(hdc, hFont) : nullptr;
    ::SetBkMode(hdc, TRANSPARENT);

    CString text = GetHotKeyName();
    ::TextOutA(hdc, 1, 1, text, text.GetLength());
    SIZE size = {};
    ::GetTextExtentPoint32A(hdc, text, text.GetLength(), &size);
    // The caret is the thread's: only the focused field may move it.
    if (::GetFocus() == m_hWnd) ::SetCaretPos(size.cx + 1, 1);

    ::SetBkMode(hdc, OPAQUE);
    if (hOldFont) ::SelectObject(hdc, hOldFont);
    ::EndPaint(m_hWnd, &ps);
}
