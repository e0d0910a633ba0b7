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
        m_savedInterval = g_nRefreshInterval;
        panel_test::g_liveCopies = 0;
        g_deletedCopies = 0;
    }
    void TearDown() override {
        for (HWND h : m_windows)
            if (IsWindow(h)) DestroyWindow(h);
        g_nRefreshInterval = m_savedInterval;
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
    int m_savedInterval = 10;
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
