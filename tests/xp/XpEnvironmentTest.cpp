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
    // 5.1 is the 32-bit XP; the 64-bit build runs as the 64-bit XP, 5.2.
    EXPECT_EQ(sizeof(void*) == 8 ? 2u : 1u, vi.dwMinorVersion);
}
