// The ground the other tests stand on: Japanese ANSI code page, Shift-JIS literals, a working
// message loop.
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Environment, AnsiCodePageIsJapanese) {
    // 1252 here means Wine ran without the ja_JP.UTF-8 locale (LANG/LC_ALL, locale-gen).
    EXPECT_EQ(932u, GetACP());
}

TEST(Environment, NarrowLiteralsAreShiftJis) {
    const char text[] = "朧写鏡";
    const unsigned char expected[] = {0x9E, 0x4F, 0x8E, 0xCA, 0x8B, 0xBE, 0x00};
    ASSERT_EQ(sizeof expected, sizeof text);
    EXPECT_EQ(0, std::memcmp(expected, text, sizeof text));
}

namespace {

int g_received = 0;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP + 7 && wp == 1234) ++g_received;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

TEST(Environment, WindowGetsPostedMessage) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LumevarinEnvironmentProbe";
    ASSERT_NE(0, RegisterClassA(&wc));
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "probe", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, hwnd);
    ShowWindow(hwnd, SW_SHOW);

    g_received = 0;
    ASSERT_TRUE(PostMessageA(hwnd, WM_APP + 7, 1234, 0));
    EXPECT_TRUE(PumpUntil([] { return g_received == 1; }, 5000));

    DestroyWindow(hwnd);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}
