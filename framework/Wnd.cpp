#include "framework/Wnd.h"

#include <map>

#include "framework/DataExchange.h"
#include "framework/WinApp.h"

namespace {

// Windows bound to objects of this process. A map (not the window's user data) so that a handle of
// another process, such as the owner of a popup, can never be mistaken for one of ours.
std::map<HWND, CWnd*>& BoundWindows() {
    static std::map<HWND, CWnd*> s_map;
    return s_map;
}

// The message being dispatched, for CWnd::Default.
MSG g_currentMsg = {};

HHOOK g_hCbtHook = nullptr;
CWnd* g_pWndInit = nullptr;

} // namespace

CWnd::~CWnd() {
    // An object that goes before its window leaves the window to its own class.
    Unbind();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd) return nullptr;
    auto& map = BoundWindows();
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

void CWnd::Bind(HWND hWnd) {
    m_hWnd = hWnd;
    BoundWindows()[hWnd] = this;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
}

void CWnd::Unbind() {
    if (!m_hWnd) return;
    auto& map = BoundWindows();
    auto it = map.find(m_hWnd);
    if (it != map.end() && it->second == this) map.erase(it);
    if (m_pfnSuper && ::IsWindow(m_hWnd) &&
        ::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd)) return FALSE;
    Bind(hWnd);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent) return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow() {
    HWND h = m_hWnd;
    Unbind();
    return h;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(g_currentMsg.message, g_currentMsg.wParam, g_currentMsg.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    // The object may be deleted by PostNcDestroy inside this call (unless a message of the window or a
    // CHold is still running): nothing of it is touched afterwards.
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

HBRUSH CWnd::OnCtlColor(HDC, HWND, UINT) {
    return reinterpret_cast<HBRUSH>(Default());
}

CString CWnd::GetWindowText() const {
    int n = ::GetWindowTextLengthA(m_hWnd);
    CString s;
    if (n > 0) {
        char* p = s.GetBuffer(n + 1);
        ::GetWindowTextA(m_hWnd, p, n + 1);
        s.ReleaseBuffer();
    }
    return s;
}

void CWnd::CalcWindowRect(RECT* pRect) const {
    DWORD exStyle = static_cast<DWORD>(GetExStyle()) & ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    ::AdjustWindowRectEx(pRect, static_cast<DWORD>(GetStyle()), FALSE, exStyle);
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd) return ::DefWindowProcA(hWnd, message, wParam, lParam);

    MSG saved = g_currentMsg;
    g_currentMsg.hwnd = hWnd;
    g_currentMsg.message = message;
    g_currentMsg.wParam = wParam;
    g_currentMsg.lParam = lParam;

    // A window ended inside the handler (at any depth) keeps its object until the outermost message
    // of the window returns: only then may PostNcDestroy delete it.
    CHold hold(pWnd);
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->m_pMainWnd == pWnd) pApp->m_pMainWnd = nullptr;
        pWnd->Unbind();
        pWnd->m_bNcDestroyPending = true;
    }
    g_currentMsg = saved;
    return result;
}

CWnd::CHold::~CHold() {
    if (--m_pWnd->m_nHolds > 0 || !m_pWnd->m_bNcDestroyPending) return;
    m_pWnd->m_bNcDestroyPending = false;
    m_pWnd->PostNcDestroy(); // may delete the object
}

BOOL CWnd::WalkPreTranslateTree(MSG* pMsg) {
    for (HWND h = pMsg->hwnd; h;) {
        if (CWnd* p = FromHandlePermanent(h)) {
            if (p->PreTranslateMessage(pMsg)) return TRUE;
        }
        if (!(::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break; // stop at the top-level window
        h = ::GetParent(h);
    }
    return FALSE;
}

LRESULT CALLBACK CWnd::CbtHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_CREATEWND && g_pWndInit) {
        CWnd* p = g_pWndInit;
        g_pWndInit = nullptr; // only the first window created: the dialog itself, before its controls
        p->Bind(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(g_hCbtHook, nCode, wParam, lParam);
}

void CWnd::HookWindowCreate(CWnd* pWnd) {
    g_pWndInit = pWnd;
    if (!g_hCbtHook)
        g_hCbtHook = ::SetWindowsHookExA(WH_CBT, &CWnd::CbtHookProc, nullptr, ::GetCurrentThreadId());
}

BOOL CWnd::UnhookWindowCreate() {
    if (g_hCbtHook) {
        ::UnhookWindowsHookEx(g_hCbtHook);
        g_hCbtHook = nullptr;
    }
    BOOL bound = g_pWndInit == nullptr;
    g_pWndInit = nullptr;
    return bound;
}
