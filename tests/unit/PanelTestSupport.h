// Helpers of the panel's and the copies' tests: a panel hosted in a window of the test, with its target
// windows; a real window that paints the fixture's pattern; copies whose deletion the test counts, and
// what click forwarding needs; the stdout capture and the message-box driver come along.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "copy/EidrelDlg.h"
#include "panel/ControlDlg.h"
#include "res/resource.h"
#include "tests/common/ModalDriver.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestUtil.h"

namespace panel_test {

// The panel created as child dialog 129 of a top-level window of the test, with its settings file
// in a fresh folder. The global panel pointer is put back as it was when the host goes.
class PanelHost {
public:
    explicit PanelHost(bool visible = false) {
        saved_ = g_pControlDlg;
        dir = MakeTempDir();
        iniPath = dir + "\\Lumevarin.ini";
        parent = CreateTopWindow("panel host", WS_OVERLAPPED | WS_CAPTION | (visible ? WS_VISIBLE : 0), 40,
                                 40, 460, 300);
        panel = new CControlDlg();
        created = panel->Create(IDD_CONTROL_DIALOG, parent) != FALSE;
        panel->m_strIniFile = iniPath.c_str();
        if (visible && created) panel->ShowWindow(SW_SHOW);
    }
    ~PanelHost() {
        EndCopies();
        if (panel->m_hWnd) panel->DestroyWindow();
        delete panel;
        ::DestroyWindow(parent);
        g_pControlDlg = saved_;
        for (HWND h : targets) ::DestroyWindow(h);
        RemoveTree(dir);
    }
    PanelHost(const PanelHost&) = delete;
    PanelHost& operator=(const PanelHost&) = delete;

    // Ends every copy still listed, without touching the settings file.
    void EndCopies() {
        for (CEidrelData& d : panel->m_vecData) {
            if (d.m_pDlg) d.m_pDlg->DestroyWindow();
            d.m_pDlg = nullptr;
        }
        panel->m_vecData.clear();
    }

    // A new target window, an ordinary one that passes every check of the pick; destroyed with the
    // host (after the copies), like the windows handed to Own().
    HWND Target(const char* title, int x = 120, int y = 80) {
        return Own(CreateTopWindow(title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 320, 240));
    }
    HWND Own(HWND h) {
        targets.push_back(h);
        return h;
    }
    // Targets "Alpha", "Bravo" and "Charlie", apart from each other, not yet picked.
    std::array<HWND, 3> ThreeTargets() {
        return {Target("Alpha", 60, 60), Target("Bravo", 200, 90), Target("Charlie", 340, 120)};
    }
    // A target window that the pick takes: the fixture program's, started with args, in a process of
    // its own (the pick refuses every window of this one); it ends with the host, after the copies.
    HWND Foreign(const std::string& args) {
        foreign_.emplace_back();
        if (foreign_.back().Start(args)) return foreign_.back().hwnd;
        ADD_FAILURE() << "the fixture program did not start with " << args;
        return nullptr;
    }
    // Pins hwnd at half size the way the pick does, without its checks: a new record at the front. The
    // copy, or nullptr when its record is gone after the pin (a copy closed while it was pinned).
    CEidrelDlg* Pin(HWND hwnd, const char* title = "Target") {
        CEidrelData data;
        data.m_strTitle = title;
        panel->m_vecData.insert(panel->m_vecData.begin(), data);
        panel->m_vecData.front().StartPin(hwnd, 1);
        for (const CEidrelData& d : panel->m_vecData)
            if (d.m_hTarget == hwnd) return d.m_pDlg;
        return nullptr;
    }

    // Pins each window in turn and shows the list, as picks would (the last one ends up first), each
    // record titled with its window's text.
    void PinAll(std::initializer_list<HWND> hwnds) {
        for (HWND h : hwnds) Pin(h, TextOf(h).c_str());
        panel->refreshList();
    }

    // Texts of column col of every row, top to bottom.
    std::vector<std::string> Column(int col) const {
        std::vector<std::string> rows;
        int n = panel->m_listCtrl.GetItemCount();
        for (int i = 0; i < n; ++i) rows.push_back(panel->m_listCtrl.GetItemText(i, col).GetString());
        return rows;
    }
    HWND CopyOf(size_t i) const {
        const CEidrelData& d = panel->m_vecData.at(i);
        return d.m_pDlg ? d.m_pDlg->m_hWnd : nullptr;
    }
    void ClickDelete() const {
        ::SendMessageA(panel->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_DELETE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(panel->m_hWnd, IDC_BUTTON_DELETE)));
    }

    std::string dir;
    std::string iniPath;
    HWND parent = nullptr;
    CControlDlg* panel = nullptr;
    bool created = false;
    std::vector<HWND> targets;

private:
    CControlDlg* saved_ = nullptr;
    std::vector<FixtureWindow> foreign_;
};

// ---- Real windows of the test's own --------------------------------------------------------------

// Height of the band at the bottom of the client area that the target never paints; its controls live there.
inline constexpr int kBand = 60;
inline constexpr int kIdButton = 101;
inline constexpr int kIdPanel = 102;
inline constexpr int kIdInnerButton = 103;

// The fixture's four quadrants over the client area less the band.
inline void PaintPattern(HWND hwnd, HDC hdc) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int cw = rc.right;
    const int ch = rc.bottom - kBand;
    for (int q = 0; q < 4; ++q) {
        RECT r = fixture::QuadrantRect(q, cw, ch);
        HBRUSH br = CreateSolidBrush(fixture::kQuadrantColour[q]);
        FillRect(hdc, &r, br);
        DeleteObject(br);
    }
}

inline LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // the band stays unpainted
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        PaintPattern(hwnd, hdc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintPattern(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_DESTROY:
        if (GetWindowLongPtrA(hwnd, GWLP_USERDATA) == 1) PostQuitMessage(0); // a target on its own thread
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A plain top-level window at rect, painted by TargetProc, with a few child controls in its band.
inline HWND CreateTarget(RECT rect, DWORD exStyle = 0, const char* title = "Target") {
    HWND hwnd = CreateTopWindow(title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, exStyle);
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TargetProc));
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int by = rc.bottom - kBand;
    CreateWindowExA(0, "Button", "OK", WS_CHILD | WS_VISIBLE, 10, by + 10, 90, 30, hwnd,
                    reinterpret_cast<HMENU>(kIdButton), nullptr, nullptr);
    HWND panel = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 120, by + 5, 200, 50, hwnd,
                                 reinterpret_cast<HMENU>(kIdPanel), nullptr, nullptr);
    CreateWindowExA(0, "Button", "Inner", WS_CHILD | WS_VISIBLE, 10, 10, 80, 30, panel,
                    reinterpret_cast<HMENU>(kIdInnerButton), nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    return hwnd;
}

// ---- Copies ------------------------------------------------------------------------------------

// The copy windows (dialogs) that hwnd owns.
inline std::vector<HWND> CopiesOwnedBy(HWND owner) {
    std::vector<HWND> found;
    for (HWND h = ::GetTopWindow(nullptr); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (::GetWindow(h, GW_OWNER) == owner && ClassNameOf(h) == "#32770") found.push_back(h);
    }
    return found;
}

// Copies counted by the test: made and not yet deleted, and deleted.
inline int g_liveCopies = 0;
inline int g_deletedCopies = 0;

class CountedCopy : public CEidrelDlg {
public:
    explicit CountedCopy(bool ownProcessIdle) : m_ownProcessIdle(ownProcessIdle) { ++g_liveCopies; }
    ~CountedCopy() override {
        --g_liveCopies;
        ++g_deletedCopies;
    }
    // A process cannot wait for its own input-idle state; a test that captures a window of its own
    // process takes it as ready.
    BOOL IsTargetInputIdle() override {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(m_hTarget, &pid);
        if (m_ownProcessIdle && pid == ::GetCurrentProcessId()) return TRUE;
        return CEidrelDlg::IsTargetInputIdle();
    }

private:
    bool m_ownProcessIdle;
};

// Does what the pin step does, with a copy of the test's own class (deleted when its window cannot be made).
template <class Copy> Copy* PinCopy(Copy* p, HWND target, const RECT& at) {
    if (!p->Create(IDD_EIDREL_DIALOG, target)) {
        delete p;
        return nullptr;
    }
    p->MoveWindow(at);
    p->m_strTitle = "Target";
    p->SetTarget(target);
    p->ShowWindow(SW_SHOW);
    p->HideTargetWindow();
    return p;
}

// Does what the pin step does, with a copy whose deletion the test can count.
inline CountedCopy* PinCounted(HWND target, const RECT& at, bool ownProcessIdle = false) {
    return PinCopy(new CountedCopy(ownProcessIdle), target, at);
}

// The copy point that shows the real window's screen point p (the inverse of the mapping, unzoomed and
// without composition).
inline POINT CopyPointFor(CEidrelDlg* dlg, POINT p) {
    RECT r = WindowRectOf(dlg->m_hTarget);
    RECT cc;
    ::GetClientRect(dlg->m_hWnd, &cc);
    const double cw = (r.right - r.left) - 2 * dlg->m_nXOffset;
    const double ch = (r.bottom - r.top) - dlg->m_nYOffset - dlg->m_nBottomOffset;
    return POINT{static_cast<LONG>((p.x - r.left - dlg->m_nXOffset) * cc.right / cw),
                 static_cast<LONG>((p.y - r.top - dlg->m_nYOffset) * cc.bottom / ch)};
}

// The messages the fixture's window id received since from, in order.
inline std::vector<UINT> MessagesOf(FixtureLog& log, int id, uint32_t from) {
    std::vector<UINT> v;
    for (const fixture::LogRecord& r : log.Records(from))
        if (r.ctrlId == id && r.message != WM_NCHITTEST) v.push_back(r.message);
    return v;
}

} // namespace panel_test
