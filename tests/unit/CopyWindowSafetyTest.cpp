// The window copy where the real program does something of its own meanwhile: changes its window's state,
// shows a menu bar under composition, hangs, or closes the copy while the copy waits on it.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/Globals.h"
#include "copy/EidrelData.h"
#include "copy/EidrelDlg.h"
#include "tests/unit/PanelTestSupport.h"

using panel_test::CopiesOwnedBy;
using panel_test::CopyPointFor;
using panel_test::CountedCopy;
using panel_test::g_deletedCopies;
using panel_test::MessagesOf;
using panel_test::PanelHost;
using panel_test::PinCounted;

namespace {

class CopyWindowSafetyTest : public testing::Test {
protected:
    void SetUp() override {
        panel_test::g_liveCopies = 0;
        g_deletedCopies = 0;
    }
    void TearDown() override {
        for (HWND h : m_windows)
            if (IsWindow(h)) DestroyWindow(h);
    }
    HWND Own(HWND h) {
        m_windows.push_back(h);
        return h;
    }
    HWND Window(const char* title, DWORD exStyle = 0) {
        return Own(CreateTopWindow(title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 600, 450, exStyle));
    }

private:
    std::vector<HWND> m_windows;
    Restore<int> m_interval{g_nRefreshInterval};
};

} // namespace

TEST_F(CopyWindowSafetyTest, RestoreKeepsWhatTheProgramMadeOfItsWindow) {
    HWND target = Window("Target", WS_EX_LAYERED);
    ASSERT_TRUE(SetLayeredWindowAttributes(target, 0, 200, LWA_ALPHA));
    const LONG exStyle = GetWindowLongA(target, GWL_EXSTYLE);
    const RECT rect = WindowRectOf(target);
    CEidrelData data;
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);

    // Its program disables it behind a dialog of its own and hides it; a frame bit is taken away and the
    // window is moved.
    EnableWindow(target, FALSE);
    ShowWindow(target, SW_HIDE);
    SetWindowLongA(target, GWL_STYLE, GetWindowLongA(target, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    SetWindowPos(target, nullptr, 10, 20, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    data.EndPin();

    const LONG style = GetWindowLongA(target, GWL_STYLE);
    EXPECT_TRUE(style & WS_DISABLED);
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ(GetWindowLongA(target, GWL_EXSTYLE), exStyle);
    BYTE alpha = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(target, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 200);
    const RECT now = WindowRectOf(target);
    EXPECT_TRUE(EqualRect(&now, &rect));
}

TEST_F(CopyWindowSafetyTest, UnderCompositionTheCopySpansTheClientArea) {
    HWND target = Window("Menu");
    HMENU bar = CreateMenu(); // destroyed with the window
    AppendMenuA(bar, MF_STRING, 1, "File");
    ASSERT_TRUE(SetMenu(target, bar));
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500}, true);
    ASSERT_NE(dlg, nullptr);
    dlg->m_bComposition = TRUE;

    POINT origin = {0, 0};
    ClientToScreen(target, &origin);
    RECT tc, cc;
    GetClientRect(target, &tc);
    GetClientRect(dlg->m_hWnd, &cc);
    // The menu bar lies between the caption and the client area.
    ASSERT_GT(origin.y, WindowRectOf(target).top + dlg->m_nYOffset);
    auto expectMaps = [&](int x, int y, int tx, int ty) {
        const POINT p = dlg->MapToTarget(x, y);
        EXPECT_EQ(p.x, origin.x + tx) << x << "," << y;
        EXPECT_EQ(p.y, origin.y + ty) << x << "," << y;
    };
    expectMaps(0, 0, 0, 0);
    expectMaps(cc.right, cc.bottom, tc.right, tc.bottom);
    // Zoomed to half: the middle of the client area.
    dlg->ChangeZoom(-50, -50);
    const int w = tc.right / 2, h = tc.bottom / 2;
    const int left = (tc.right - w) / 2, top = (tc.bottom - h) / 2;
    expectMaps(0, 0, left, top);
    expectMaps(cc.right, cc.bottom, left + w, top + h);
    dlg->DestroyWindow();
}

namespace {

DWORD g_noteTick = 0;

// Notes when a message posted to it (WM_APP) is handled.
LRESULT CALLBACK NoteProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) g_noteTick = GetTickCount();
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

// The fixture's main window lives in another process, whose GUI thread stops answering on request.
TEST_F(CopyWindowSafetyTest, HungRealProgramDoesNotHoldTheCopyThatFollowsTheCursor) {
    g_nRefreshInterval = 600; // no tick while the program hangs
    FixtureWindow fixture;
    ASSERT_TRUE(fixture.Start("--hang-on-request"));
    HWND target = fixture.hwnd;
    FixtureLog log;
    ASSERT_TRUE(log.Open(fixture.proc.pid));
    HWND note = Own(CreateTopWindow("note", WS_POPUP, 0, 0, 10, 10));
    SetWindowLongPtrA(note, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoteProc));
    PanelHost host;
    host.panel->m_nLeftClk = 1;
    CEidrelDlg* dlg = host.Pin(target);
    ASSERT_NE(dlg, nullptr);
    HWND copy = dlg->m_hWnd;
    dlg->RefreshChildList();
    SetFocus(copy);
    HWND button = FixtureChild(target, fixture::kIdPanelButton);
    const RECT before = WindowRectOf(target);

    ASSERT_TRUE(PostMessageA(target, RegisterWindowMessageA(fixture::kHangMessageName), 3000, 0));
    ASSERT_TRUE(PumpUntil(
        [&] { return !SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, nullptr); }, 3000));
    // A mouse move over the copy moves the real window; a message posted after it is handled at once.
    const POINT c = CopyPointFor(dlg, CentreOf(button));
    g_noteTick = 0;
    const DWORD postedAt = GetTickCount();
    PostMessageA(copy, WM_MOUSEMOVE, 0, MAKELPARAM(c.x + 3, c.y));
    PostMessageA(note, WM_APP, 0, 0);
    ASSERT_TRUE(PumpUntil([] { return g_noteTick != 0; }, 5000));
    EXPECT_LT(g_noteTick - postedAt, 500u);

    // Back again, the program has carried out the move, and a click reaches the button under the cursor.
    ASSERT_TRUE(PumpUntil(
        [&] { return SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 100, nullptr); }, 5000));
    EXPECT_TRUE(PumpUntil(
        [&] {
            const RECT r = WindowRectOf(target);
            return !EqualRect(&r, &before);
        },
        3000));
    const POINT k = CopyPointFor(dlg, CentreOf(button));
    const uint32_t from = log.Written();
    SendMessageA(copy, WM_LBUTTONUP, 0, MAKELPARAM(k.x, k.y));
    ASSERT_TRUE(PumpUntil([&] { return MessagesOf(log, fixture::kIdPanelButton, from).size() >= 4; }, 3000));
    const std::vector<UINT> click = {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP};
    EXPECT_EQ(MessagesOf(log, fixture::kIdPanelButton, from), click);
    const auto ups = log.Find(fixture::kIdPanelButton, WM_LBUTTONUP, from);
    ASSERT_FALSE(ups.empty());
    POINT posted = {ups.back().x, ups.back().y};
    ClientToScreen(button, &posted);
    POINT cursor = k;
    ClientToScreen(copy, &cursor);
    EXPECT_EQ(posted.x, cursor.x);
    EXPECT_EQ(posted.y, cursor.y);
}

namespace {

// The real window's message at which it sends WM_CLOSE to the copy it owns (once), and the number of copies
// deleted when that close has returned.
UINT g_closeCopyAt = 0;
int g_deletedAtClose = -1;

LRESULT CALLBACK ClosesItsCopyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_closeCopyAt != 0 && msg == g_closeCopyAt) {
        g_closeCopyAt = 0;
        for (HWND copy : CopiesOwnedBy(hwnd)) SendMessageA(copy, WM_CLOSE, 0, 0);
        g_deletedAtClose = g_deletedCopies;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

// A copy closed while it waits on its real window (the capture's probe, the concealment's style change, a
// tick's PrintWindow) during its pin or a tick: the copy goes after that work, the real window is given
// back and the record is gone.
TEST_F(CopyWindowSafetyTest, CopyClosedWhileItWaitsOnTheRealWindowGoesAfterTheWork) {
    PanelHost host;
    {
        // Picked: the real program closes the copy when the first capture's probe reaches it.
        FixtureWindow fixture;
        ASSERT_TRUE(fixture.Start("--close-owned-on-null"));
        host.panel->addTargetWindow(fixture.hwnd);
        EXPECT_TRUE(host.panel->m_vecData.empty());
        EXPECT_TRUE(CopiesOwnedBy(fixture.hwnd).empty());
        EXPECT_FALSE(GetWindowLongA(fixture.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    }
    {
        // Pinned: the real window closes the copy when the concealment changes its style.
        HWND target = Window("Pin");
        SetWindowLongPtrA(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ClosesItsCopyProc));
        const LONG exStyle = GetWindowLongA(target, GWL_EXSTYLE);
        g_closeCopyAt = WM_STYLECHANGING;
        EXPECT_EQ(host.Pin(target), nullptr);
        EXPECT_EQ(g_closeCopyAt, 0u);
        EXPECT_TRUE(host.panel->m_vecData.empty());
        EXPECT_TRUE(CopiesOwnedBy(target).empty());
        EXPECT_EQ(GetWindowLongA(target, GWL_EXSTYLE), exStyle);
    }

    // At a tick: the real window closes the copy from inside PrintWindow.
    g_nRefreshInterval = 1;
    HWND target = Window("Tick");
    SetWindowLongPtrA(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ClosesItsCopyProc));
    const LONG exStyle = GetWindowLongA(target, GWL_EXSTYLE);
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500}, true);
    ASSERT_NE(dlg, nullptr);
    CEidrelData data;
    data.m_hTarget = target;
    data.m_bPinned = 1;
    data.m_pDlg = dlg;
    host.panel->m_vecData.push_back(data);
    HWND copy = dlg->m_hWnd;
    g_closeCopyAt = WM_PRINT;
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(copy); }, 5000));
    EXPECT_EQ(g_deletedAtClose, 0); // the tick was still running on it
    EXPECT_EQ(g_deletedCopies, 1);
    EXPECT_TRUE(host.panel->m_vecData.empty());
    EXPECT_EQ(GetWindowLongA(target, GWL_EXSTYLE), exStyle);
}
