// The version-dependent pieces on Windows XP (xp_tests.exe runs with Wine reporting Windows XP): the
// composition library is never touched, window frames are window rectangles, and a copy still works.
#include <gtest/gtest.h>

#include <windows.h>

#include "copy/EidrelData.h"
#include "copy/EidrelDlg.h"
#include "copy/PlatformQueries.h"
#include "tests/common/TestUtil.h"

namespace {

bool DwmLoaded() {
    return GetModuleHandleA("dwmapi.dll") != nullptr;
}

} // namespace

TEST(XpPlatformTest, CompositionWrappersRefuseWithoutLoadingTheLibrary) {
    ASSERT_FALSE(DwmLoaded());
    EXPECT_FALSE(IsVistaOrLater());
    EXPECT_EQ(g_bOsVersionValid, 1);
    EXPECT_EQ(g_osVersionInfo.dwMajorVersion, 5u);

    BOOL enabled = 7;
    EXPECT_EQ(SafeDwmIsCompositionEnabled(&enabled), -1);
    EXPECT_EQ(enabled, FALSE);
    EXPECT_EQ(SafeDwmIsCompositionEnabled(nullptr), -1);
    HTHUMBNAIL thumb = reinterpret_cast<HTHUMBNAIL>(0x1234);
    EXPECT_EQ(SafeDwmRegisterThumbnail(nullptr, nullptr, &thumb), -1);
    EXPECT_EQ(thumb, reinterpret_cast<HTHUMBNAIL>(0x1234));
    DWM_THUMBNAIL_PROPERTIES props = {};
    EXPECT_EQ(SafeDwmUpdateThumbnailProperties(thumb, &props), -1);
    SIZE size = {12, 34};
    EXPECT_EQ(SafeDwmQueryThumbnailSourceSize(thumb, &size), -1);
    EXPECT_EQ(size.cx, 12);
    EXPECT_EQ(size.cy, 34);
    EXPECT_EQ(SafeDwmUnregisterThumbnail(thumb), -1);

    HWND hwnd = CreateTopWindow("frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 80, 300, 200);
    ASSERT_NE(hwnd, nullptr);
    RECT window = {0, 0, 0, 0};
    GetWindowRect(hwnd, &window);
    RECT frame = {-1, -1, -1, -1};
    GetWindowFrameRect(hwnd, &frame);
    EXPECT_TRUE(EqualRect(&frame, &window));
    RECT frame2 = {-1, -1, -1, -1};
    RECT window2 = {-1, -1, -1, -1};
    GetWindowRects(hwnd, &frame2, &window2);
    EXPECT_TRUE(EqualRect(&frame2, &window));
    EXPECT_TRUE(EqualRect(&window2, &window));
    DestroyWindow(hwnd);

    EXPECT_FALSE(DwmLoaded());
}

TEST(XpPlatformTest, CopyWorksWithoutComposition) {
    HWND target = CreateTopWindow("Xp", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 800, 600);
    ASSERT_NE(target, nullptr);
    CEidrelData data;
    data.m_strTitle = "Xp";
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);
    EXPECT_EQ(data.m_pDlg->m_bComposition, FALSE);
    EXPECT_TRUE(GetWindowLongA(target, GWL_EXSTYLE) & WS_EX_LAYERED);
    // A size change takes the default handling only; the end makes no composition call.
    data.m_pDlg->MoveWindow(300, 200, 420, 310);
    RECT r;
    GetWindowRect(data.m_pDlg->m_hWnd, &r);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(r.bottom - r.top, 310);
    data.EndPin();
    EXPECT_FALSE(GetWindowLongA(target, GWL_EXSTYLE) & WS_EX_LAYERED);
    DestroyWindow(target);
    EXPECT_FALSE(DwmLoaded());
}
