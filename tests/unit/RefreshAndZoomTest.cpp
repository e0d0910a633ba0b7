// The copy's refresh tick (its period and its work) and the zoomed picture, against real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/Globals.h"
#include "tests/common/StdoutCapture.h"
#include "tests/unit/PanelTestSupport.h"

using panel_test::CountedCopy;
using panel_test::CreateTarget;
using panel_test::kBand;
using panel_test::kIdButton;
using panel_test::PinCopy;

namespace {

constexpr RECT kTargetRect = {100, 50, 900, 650};
constexpr RECT kCopyRect = {300, 200, 700, 500};

// A copy that notes when each pass starts and ends its input-idle test, a pass's first and slow step.
class TimedCopy : public CountedCopy {
public:
    TimedCopy() : CountedCopy(true) {}
    BOOL IsTargetInputIdle() override {
        starts.push_back(GetTickCount());
        BOOL idle = CountedCopy::IsTargetInputIdle();
        ends.push_back(GetTickCount());
        return idle;
    }
    std::vector<DWORD> starts, ends;
};

class RefreshTest : public testing::Test {
protected:
    void TearDown() override {
        if (m_copy) m_copy->DestroyWindow();
        if (IsWindow(m_target)) DestroyWindow(m_target);
    }
    // A copy of target; both end with the test.
    template <class Copy> Copy* Pin(Copy* copy, HWND target) {
        m_target = target;
        Copy* pinned = PinCopy(copy, target, kCopyRect);
        m_copy = pinned;
        return pinned;
    }

    CEidrelDlg* m_copy = nullptr;
    HWND m_target = nullptr;

private:
    Restore<int> m_interval{g_nRefreshInterval};
};

TEST_F(RefreshTest, TickFollowsTheSettingAndRetakesTheChildWindows) {
    for (int setting : {2, 10}) {
        g_nRefreshInterval = setting;
        TimedCopy* copy = Pin(new TimedCopy, CreateTarget(kTargetRect));
        ASSERT_NE(copy, nullptr);
        // The binding's pass and three ticks.
        ASSERT_TRUE(PumpUntil([&] { return copy->starts.size() >= 4; }, 3 * setting * 100 + 5000));
        const DWORD period = static_cast<DWORD>(setting) * 100;
        for (size_t i = 1; i < 4; ++i) {
            const DWORD gap = copy->starts[i] - copy->starts[i - 1];
            EXPECT_GE(gap + 30, period) << setting << " tick " << i;
            EXPECT_LE(gap, period + 600) << setting << " tick " << i;
        }

        // The next tick takes a new child window into the snapshot, and the one after drops it again.
        auto listed = [&](HWND h) {
            return std::any_of(copy->m_vecChildWinInf.begin(), copy->m_vecChildWinInf.end(),
                               [h](const CChildWinInf& inf) { return inf.m_hWindow == h; });
        };
        auto nextTick = [&] {
            const size_t passes = copy->starts.size();
            return PumpUntil([&] { return copy->starts.size() > passes; }, period + 3000);
        };
        HWND added = CreateWindowExA(0, "Button", "New", WS_CHILD | WS_VISIBLE, 400, 10, 80, 30, m_target,
                                     nullptr, nullptr, nullptr);
        ASSERT_TRUE(nextTick());
        EXPECT_TRUE(listed(added));
        EXPECT_TRUE(listed(GetDlgItem(m_target, kIdButton)));
        DestroyWindow(added);
        ASSERT_TRUE(nextTick());
        EXPECT_FALSE(listed(added));
        EXPECT_TRUE(listed(GetDlgItem(m_target, kIdButton)));

        copy->DestroyWindow();
        m_copy = nullptr;
        DestroyWindow(m_target);
    }
}

// A real window whose process never turns idle: every pass waits out the input-idle test.
TEST_F(RefreshTest, PeriodRunsFromTheEndOfASlowPass) {
    g_nRefreshInterval = 2;
    FixtureWindow busy;
    ASSERT_TRUE(busy.Start("--busy-every=150"));
    StdoutCapture quiet; // a time-out line per pass
    TimedCopy* copy = Pin(new TimedCopy, busy.hwnd);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return copy->starts.size() >= 4; }, 15000));
    for (size_t i = 1; i < 4; ++i) {
        ASSERT_GE(copy->ends[i - 1] - copy->starts[i - 1], 500u) << "pass " << i - 1 << " was not slow";
        const DWORD rest = copy->starts[i] - copy->ends[i - 1];
        EXPECT_GE(rest + 30, 200u) << "tick " << i;
        EXPECT_LE(rest, 800u) << "tick " << i;
    }
    copy->DestroyWindow(); // while the real window is there to be given back
    m_copy = nullptr;
}

// ==== Zoomed picture ================================================================================

class ZoomTest : public RefreshTest {
protected:
    void SetUp() override {
        RefreshTest::SetUp();
        m_zoomed = Pin(new CountedCopy(true), CreateTarget(kTargetRect));
        ASSERT_NE(m_zoomed, nullptr);
        GetClientRect(m_target, &m_targetClient);
        GetClientRect(m_zoomed->m_hWnd, &m_copyClient);
    }
    // Zooms to the given percentages toward a point of the target's client area, and captures.
    void ZoomAt(int zoomX, int zoomY, POINT toward) {
        m_zoomed->ResetZoom();
        m_zoomed->ChangeZoom(zoomX - 100, zoomY - 100);
        m_zoomed->ChangePan(toward.x - m_targetClient.right / 2, toward.y - m_targetClient.bottom / 2);
        m_zoomed->CaptureTarget();
    }

    CountedCopy* m_zoomed = nullptr;
    RECT m_targetClient = {};
    RECT m_copyClient = {};
};

TEST_F(ZoomTest, ZoomedTowardAQuadrantTheWholeCopyShowsIt) {
    const int cw = m_targetClient.right, ch = m_targetClient.bottom - kBand;
    for (int q = 0; q < 4; ++q) {
        ZoomAt(30, 30, fixture::QuadrantCentre(q, cw, ch));
        m_zoomed->Invalidate(TRUE);
        UpdateWindow(m_zoomed->m_hWnd);
        Image shown = ClientImage(m_zoomed->m_hWnd);
        ASSERT_EQ(shown.width, m_copyClient.right);
        int others = 0;
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x) others += shown.At(x, y) != fixture::kQuadrantColour[q];
        EXPECT_EQ(others, 0) << "quadrant " << q;
    }
}

TEST_F(ZoomTest, ZoomedAxisIsCachedAtFullResolutionTheOtherAtTheCopysSize) {
    const RECT wr = WindowRectOf(m_target);
    const int contentW = (wr.right - wr.left) - 2 * m_zoomed->m_nXOffset;
    const int contentH = (wr.bottom - wr.top) - m_zoomed->m_nYOffset - m_zoomed->m_nBottomOffset;
    const int cw = m_targetClient.right, ch = m_targetClient.bottom - kBand;
    const std::pair<int, int> zooms[] = {{50, 100}, {100, 50}, {50, 50}, {100, 100}};
    for (auto [zoomX, zoomY] : zooms) {
        ZoomAt(zoomX, zoomY, POINT{m_targetClient.right / 2, m_targetClient.bottom / 2});
        const int width = zoomX < 100 ? contentW : m_copyClient.right;
        const int height = zoomY < 100 ? contentH : m_copyClient.bottom;
        EXPECT_EQ(m_zoomed->m_nCacheWidth, width) << zoomX << "/" << zoomY;
        EXPECT_EQ(m_zoomed->m_nCacheHeight, height) << zoomX << "/" << zoomY;
        EXPECT_DOUBLE_EQ(m_zoomed->m_dScaleX, static_cast<double>(width) / contentW);
        EXPECT_DOUBLE_EQ(m_zoomed->m_dScaleY, static_cast<double>(height) / contentH);
        BITMAP bm = {};
        GetObjectA(m_zoomed->m_bmpCache.GetSafeHandle(), sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, width);
        EXPECT_EQ(bm.bmHeight, height);
        // The pattern, scaled by those scales.
        for (int q = 0; q < 4; ++q) {
            const POINT c = fixture::QuadrantCentre(q, cw, ch);
            const int x = static_cast<int>(c.x * m_zoomed->m_dScaleX);
            const int y = static_cast<int>(c.y * m_zoomed->m_dScaleY);
            EXPECT_EQ(PixelOfBitmap(static_cast<HBITMAP>(m_zoomed->m_bmpCache.GetSafeHandle()), x, y),
                      fixture::kQuadrantColour[q])
                << zoomX << "/" << zoomY << " quadrant " << q;
        }
    }
}

} // namespace
