// The fixture target program does what FixtureLayout.h promises: other tests rely on it.
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace fixture;

namespace {

RECT RectInParent(HWND child) {
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

} // namespace

TEST(FixtureTarget, ChildTreeMatchesLayout) {
    ChildProcess proc;
    HWND main = nullptr;
    ASSERT_TRUE(StartFixture(proc, "", &main));
    EXPECT_EQ(kClassName, ClassNameOf(main));
    EXPECT_EQ(kDefaultTitle, TextOf(main));
    const RECT rc = WindowRectOf(main);
    const RECT expected{kDefaultX, kDefaultY, kDefaultX + kDefaultWidth, kDefaultY + kDefaultHeight};
    EXPECT_TRUE(EqualRect(&expected, &rc));
    EXPECT_NE(nullptr, GetMenu(main));

    int deepest = 0;
    for (const ChildSpec& spec : kChildren) {
        SCOPED_TRACE(spec.id);
        HWND child = FixtureChild(main, spec.id);
        ASSERT_NE(nullptr, child);
        EXPECT_EQ(spec.className, ClassNameOf(child));
        const RECT inParent = RectInParent(child);
        EXPECT_TRUE(EqualRect(&spec.rect, &inParent));
        EXPECT_EQ(spec.visible, (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0);
        EXPECT_EQ(spec.enabled, IsWindowEnabled(child) != 0);
        int level = 0;
        for (HWND w = child; w && w != main; w = GetParent(w)) ++level;
        EXPECT_EQ(spec.level, level);
        deepest = std::max(deepest, level);
    }
    EXPECT_EQ(3, deepest);
}

TEST(FixtureTarget, ScreenShowsQuadrants) {
    FixtureWindow fixture;
    ASSERT_TRUE(fixture.Start());
    const Image image = ClientImage(fixture.hwnd);
    ASSERT_FALSE(image.Empty());
    for (int q = kTopLeft; q <= kBottomRight; ++q) {
        const POINT pt = QuadrantCentre(q, image.width, image.height);
        EXPECT_EQ(kQuadrantColour[q], image.At(pt.x, pt.y)) << "quadrant " << q;
    }
    const ChildSpec* panel = FindChild(kIdPanel);
    EXPECT_EQ(panel->colour, image.At(panel->rect.right - 2, panel->rect.bottom - 2));
}

TEST(FixtureTarget, LogsWhatItsWindowsReceive) {
    ChildProcess proc;
    HWND main = nullptr;
    ASSERT_TRUE(StartFixture(proc, "", &main));
    FixtureLog log;
    ASSERT_TRUE(log.Open(proc.pid));
    const uint32_t mark = log.Written();

    HWND inner = FixtureChild(main, kIdInnerButton);
    HWND enabled = FixtureChild(main, kIdEnabledButton);
    ASSERT_TRUE(inner && enabled);
    PostMessageA(inner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    PostMessageA(inner, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    PostMessageA(enabled, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(7, 8));
    PostMessageA(enabled, WM_LBUTTONUP, 0, MAKELPARAM(7, 8)); // the button captured the mouse
    PostMessageA(main, WM_MOUSEMOVE, 0, MAKELPARAM(600, 400));

    // (The main window may also get real mouse moves: the cursor may rest over it.)
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (const LogRecord& r : log.Find(kIdMain, WM_MOUSEMOVE, mark))
                if (r.x == 600 && r.y == 400) return log.Contains(kIdEnabledButton, WM_LBUTTONUP, mark);
            return false;
        },
        5000));
    const auto down = log.Find(kIdInnerButton, WM_LBUTTONDOWN, mark);
    ASSERT_EQ(1u, down.size());
    EXPECT_EQ(5, down[0].x);
    EXPECT_EQ(6, down[0].y);
    EXPECT_EQ(static_cast<uint32_t>(MK_LBUTTON), down[0].wParam);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(inner), down[0].hwnd);
    EXPECT_TRUE(log.Contains(kIdInnerButton, WM_LBUTTONUP, mark));
    const auto dbl = log.Find(kIdEnabledButton, WM_LBUTTONDBLCLK, mark);
    ASSERT_EQ(1u, dbl.size());
    EXPECT_EQ(MAKELPARAM(7, 8), static_cast<LPARAM>(dbl[0].lParam));
    // The click reached the button: it notified its parent, the inner panel.
    const auto clicked = log.Find(kIdInnerPanel, WM_COMMAND, mark);
    ASSERT_EQ(1u, clicked.size());
    EXPECT_EQ(static_cast<uint32_t>(MAKEWPARAM(kIdInnerButton, BN_CLICKED)), clicked[0].wParam);

    // Real input lands in the log as well.
    HWND button1 = FixtureChild(main, kIdPanelButton);
    RECT rc;
    GetWindowRect(button1, &rc);
    const uint32_t inputMark = log.Written();
    SetForegroundWindow(main);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(2u, SendInput(2, clicks, sizeof(INPUT)));
    EXPECT_TRUE(PumpUntil([&] { return log.Contains(kIdPanel, WM_COMMAND, inputMark); }, 5000));
    EXPECT_TRUE(log.Contains(kIdPanelButton, WM_LBUTTONDOWN, inputMark));

    // "File" > "Exit" ends it with exit code 0.
    PostMessageA(main, WM_COMMAND, kIdMenuExit, 0);
    DWORD code = 99;
    ASSERT_TRUE(proc.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}

TEST(FixtureTarget, OptionsShapeTheWindow) {
    struct Case {
        const char* args;
        std::function<void(HWND)> check;
    };
    const Case cases[] = {
        {"--untitled", [](HWND w) { EXPECT_EQ("", TextOf(w)); }},
        {"--long-title", [](HWND w) { EXPECT_EQ(LongTitle(), TextOf(w)); }},
        {"\"--title=幻 title\"", [](HWND w) { EXPECT_EQ("幻 title", TextOf(w)); }},
        {"--pos=30,40,300,200",
         [](HWND w) {
             const RECT expected{30, 40, 330, 240}, rc = WindowRectOf(w);
             EXPECT_TRUE(EqualRect(&expected, &rc));
         }},
        {"--maximized", [](HWND w) { EXPECT_TRUE(IsZoomed(w)); }},
        {"--hidden", [](HWND w) { EXPECT_FALSE(IsWindowVisible(w)); }},
        {"--disabled",
         [](HWND w) {
             EXPECT_TRUE(IsWindowVisible(w));
             EXPECT_FALSE(IsWindowEnabled(w));
         }},
        {"--nosysmenu", [](HWND w) { EXPECT_EQ(0, GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU); }},
        {"--layered-alpha=128",
         [](HWND w) {
             EXPECT_NE(0, GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYERED);
             BYTE alpha = 0;
             DWORD flags = 0;
             ASSERT_TRUE(GetLayeredWindowAttributes(w, nullptr, &alpha, &flags));
             EXPECT_EQ(128, alpha);
             EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
         }},
        {"--zero-size",
         [](HWND w) {
             RECT rc;
             GetWindowRect(w, &rc);
             EXPECT_EQ(0, rc.right - rc.left);
             EXPECT_EQ(0, rc.bottom - rc.top);
         }},
        {"--offscreen",
         [](HWND w) {
             RECT rc;
             GetWindowRect(w, &rc);
             EXPECT_EQ(kOffscreenPos, rc.left);
             EXPECT_EQ(kOffscreenPos, rc.top);
         }},
    };
    // All at once: each start costs a Wine process start.
    std::unique_ptr<ChildProcess> procs[std::size(cases)];
    for (size_t i = 0; i < std::size(cases); ++i) {
        procs[i] = std::make_unique<ChildProcess>();
        ASSERT_TRUE(procs[i]->Start(FixturePath(), cases[i].args)) << cases[i].args;
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].args);
        FixtureLog log;
        ASSERT_TRUE(
            PumpUntil([&] { return (log.IsOpen() || log.Open(procs[i]->pid)) && log.IsReady(); }, 15000));
        HWND main = log.MainWindow();
        ASSERT_TRUE(IsWindow(main));
        cases[i].check(main);
    }

    ChildProcess bad;
    ASSERT_TRUE(bad.Start(FixturePath(), "--no-such-option"));
    DWORD code = 0;
    ASSERT_TRUE(bad.WaitExit(10000, &code));
    EXPECT_EQ(static_cast<DWORD>(kExitBadOption), code);
}

TEST(FixtureTarget, BusyOptionsKeepWaitForInputIdleWaiting) {
    ChildProcess idle, busyOnce, busyAlways;
    ASSERT_TRUE(StartFixture(idle, "", nullptr));
    HWND busyMain = nullptr;
    ASSERT_TRUE(StartFixture(busyAlways, "--busy-every=200", &busyMain));
    ASSERT_TRUE(StartFixture(busyOnce, "--busy=2000", nullptr));

    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForInputIdle(busyOnce.process, 300));
    EXPECT_EQ(0u, WaitForInputIdle(busyOnce.process, 10000));
    EXPECT_EQ(0u, WaitForInputIdle(idle.process, 5000));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForInputIdle(busyAlways.process, 1000));

    // Still answers sent messages and closes when asked.
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutA(busyMain, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result));
    PostMessageA(busyMain, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(busyAlways.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}
