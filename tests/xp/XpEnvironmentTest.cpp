// xp_tests.exe runs with Wine reporting Windows XP (AppDefaults entry made by scripts/test.sh).
#include <gtest/gtest.h>

#include <windows.h>

TEST(XpEnvironment, SystemReportsWindowsXp) {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExA(&vi));
#pragma GCC diagnostic pop
    EXPECT_EQ(5u, vi.dwMajorVersion);
    EXPECT_EQ(1u, vi.dwMinorVersion);
}
