// Version query, composition wrappers, window-frame rectangles and the monitor list, on a system that reports
// Windows 6.1 (Wine's default). The same functions on Windows XP: tests/xp/XpPlatformTest.cpp.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "copy/MultiDisplay.h"
#include "copy/PlatformQueries.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestUtil.h"

namespace {

struct Monitor {
    HMONITOR handle;
    RECT rect;
};

BOOL CALLBACK CollectMonitor(HMONITOR h, HDC, RECT* r, LPARAM lp) {
    reinterpret_cast<std::vector<Monitor>*>(lp)->push_back(Monitor{h, *r});
    return TRUE;
}

std::string Line(const char* name, const RECT& r) {
    char b[160];
    snprintf(b, sizeof b, "%s top=%d, left=%d, bottom=%d, right=%d\n", name, static_cast<int>(r.top),
             static_cast<int>(r.left), static_cast<int>(r.bottom), static_cast<int>(r.right));
    return b;
}

} // namespace

TEST(PlatformQueriesTest, VersionIsQueriedOnceAndCached) {
    ASSERT_TRUE(IsVistaOrLater()); // Wine reports 6.1 to the unit tests
    EXPECT_EQ(g_bOsVersionValid, 1);
    EXPECT_EQ(g_osVersionInfo.dwOSVersionInfoSize, sizeof(OSVERSIONINFOA));
    EXPECT_GE(g_osVersionInfo.dwMajorVersion, 6u);
    // Answers come from the cache once a query has succeeded.
    g_osVersionInfo.dwMajorVersion = 5;
    EXPECT_FALSE(IsVistaOrLater());
    LoadOsVersion();
    EXPECT_TRUE(IsVistaOrLater());
}

TEST(PlatformQueriesTest, CompositionWrappersReachTheCompositionManager) {
    BOOL enabled = 7;
    HRESULT hr = SafeDwmIsCompositionEnabled(&enabled);
    EXPECT_GE(hr, 0);
    EXPECT_TRUE(enabled == FALSE || enabled == TRUE);
    EXPECT_NE(GetModuleHandleA("dwmapi.dll"), nullptr); // bound at the first call
    EXPECT_NE(SafeDwmIsCompositionEnabled(nullptr), -1);

    // A thumbnail of no window: the manager's own failure, never the "older system" answer.
    HTHUMBNAIL thumb = 0;
    EXPECT_NE(SafeDwmRegisterThumbnail(nullptr, nullptr, &thumb), -1);
    EXPECT_NE(SafeDwmUnregisterThumbnail(0), -1);
    // (The size query is left out: Wine's library exports it as a stub that ends the process when called.)
}

// A file of the library's name beside the program (here the fixture program, renamed) is not what gets
// bound. The binding happens once per process: this needs a process that has not bound it yet, as ctest
// gives each test.
TEST(PlatformQueriesTest, CompositionLibraryComesFromTheSystemFolder) {
    if (GetModuleHandleA("dwmapi.dll")) GTEST_SKIP() << "the library is bound in this process already";
    struct Planted {
        std::string path = ExeDir() + "\\dwmapi.dll";
        ~Planted() {
            // A module mapped from the file would hold it.
            if (HMODULE h = GetModuleHandleA(path.c_str())) FreeLibrary(h);
            DeleteFileA(path.c_str());
        }
    } planted;
    ASSERT_TRUE(CopyFileA(FixturePath().c_str(), planted.path.c_str(), FALSE));
    BOOL enabled = FALSE;
    SafeDwmIsCompositionEnabled(&enabled);

    HMODULE bound = GetModuleHandleA("dwmapi.dll");
    ASSERT_NE(bound, nullptr);
    char file[MAX_PATH] = "", system[MAX_PATH] = "";
    GetModuleFileNameA(bound, file, MAX_PATH);
    const UINT n = GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(_strnicmp(file, system, n), 0) << file;
    EXPECT_EQ(file[n], '\\') << file;
}

TEST(PlatformQueriesTest, FrameRectangleFallsBackToTheWindowRectangle) {
    HWND hwnd = CreateTopWindow("frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 80, 300, 200);
    ASSERT_NE(hwnd, nullptr);
    RECT window = {0, 0, 0, 0};
    GetWindowRect(hwnd, &window);
    RECT frame = {-1, -1, -1, -1};
    RECT window2 = {-1, -1, -1, -1};
    GetWindowRects(hwnd, &frame, &window2);
    EXPECT_TRUE(EqualRect(&window2, &window));
    // The visible frame lies within the window rectangle (equal when the manager gives no frame bounds).
    RECT inter;
    IntersectRect(&inter, &frame, &window);
    EXPECT_TRUE(EqualRect(&inter, &frame));
    EXPECT_FALSE(IsRectEmpty(&frame));
    DestroyWindow(hwnd);

    // A window that is gone: neither source writes anything.
    RECT gone = {1, 2, 3, 4};
    GetWindowFrameRect(hwnd, &gone);
    EXPECT_TRUE(gone.left == 1 && gone.top == 2 && gone.right == 3 && gone.bottom == 4);
}

TEST(MultiDisplayTest, CountsEveryMonitorOnceAndLogsIt) {
    CMultiDisplay::ReleaseInstance();
    ASSERT_EQ(g_pMultiDisplay, nullptr);
    CMultiDisplay* p = CMultiDisplay::GetInstance();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(CMultiDisplay::GetInstance(), p);
    EXPECT_EQ(p->m_nMonitorCount, 0);

    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    ASSERT_FALSE(monitors.empty());

    StdoutCapture out;
    p->EnumMonitors();
    std::string text = out.Stop();
    EXPECT_EQ(p->m_nMonitorCount, static_cast<int>(monitors.size()));

    std::string expected;
    int primaries = 0;
    for (const Monitor& m : monitors) {
        MONITORINFO mi = {};
        mi.cbSize = sizeof mi;
        ASSERT_TRUE(GetMonitorInfoA(m.handle, &mi));
        expected += Line("rcMonitor", mi.rcMonitor);
        expected += Line("rcWork", mi.rcWork);
        expected += "Flag = " + std::to_string(mi.dwFlags) + "\n";
        expected += Line("rcMonitor", m.rect);
        if (mi.dwFlags == 1) ++primaries;
    }
    EXPECT_EQ(text, expected);
    EXPECT_EQ(primaries, 1);

    // Enumerating again adds to the count; only a new object starts from 0.
    p->EnumMonitors();
    EXPECT_EQ(p->m_nMonitorCount, 2 * static_cast<int>(monitors.size()));
    CMultiDisplay::ReleaseInstance();
    EXPECT_EQ(g_pMultiDisplay, nullptr);
    CMultiDisplay::ReleaseInstance();
    EXPECT_EQ(g_pMultiDisplay, nullptr);
    EXPECT_EQ(CMultiDisplay::GetInstance()->m_nMonitorCount, 0);
    CMultiDisplay::ReleaseInstance();
}
