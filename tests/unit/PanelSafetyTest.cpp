// Faults the panel and the main window keep away from: the modal flag with two modal windows open, and a
// program in a drive's root.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/Globals.h"
#include "app/LumevarinApp.h"
#include "app/LumevarinDlg.h"
#include "tests/unit/PanelTestSupport.h"

using namespace panel_test;

namespace {

HWND DialogTitled(const char* title) {
    for (HWND h : ThreadDialogs()) {
        if (TextOf(h) == title) return h;
    }
    return nullptr;
}

} // namespace

TEST(PanelSafetyTest, VersionBoxOverThePropertyDialogLeavesTheModalFlagSet) {
    PanelHost host;
    HWND copy = host.Pin(host.Target("Alpha"))->m_hWnd;
    int flagInBox = -1, flagAfterBox = -1;
    Script script;
    script
        .Then([&] {
            if (!DialogTitled("プロパティ設定")) return false;
            ::PostMessageA(copy, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            return true;
        })
        .Then([&] {
            HWND box = DialogTitled("朧写鏡");
            if (!box) return false;
            flagInBox = g_bModalDialogOpen;
            PostClick(box, IDOK);
            return true;
        })
        .Then([&] {
            if (DialogTitled("朧写鏡")) return false;
            flagAfterBox = g_bModalDialogOpen;
            PostClick(DialogTitled("プロパティ設定"), IDCANCEL);
            return true;
        });
    script.RunWith([&] {
        host.panel->showPropertyDialog();
        return 0;
    });
    EXPECT_TRUE(script.Finished()) << script.StepsDone();
    EXPECT_EQ(flagInBox, 1);
    EXPECT_EQ(flagAfterBox, 1);
    EXPECT_EQ(g_bModalDialogOpen, 0);
}

TEST(StartupTest, ProgramInADriveRootKeepsTheRootAsItsDirectory) {
    char saved[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    const std::string dir = MakeTempDir();
    ASSERT_TRUE(::SetCurrentDirectoryA(dir.c_str()));
    const std::string root = dir.substr(0, 3); // "C:\", whose drive's current directory is dir
    ASSERT_EQ(root[2], '\\');

    StdoutCapture capture;
    StartPortable((root + "Lumevarin.exe").c_str());
    char now[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, now);
    StartPortable("E:\\Lumevarin.exe");
    StartPortable("E:\\tools\\Lumevarin.exe");
    EXPECT_EQ(capture.Stop(), "PORTABLE VERSION START\nCurrentDir=" + root +
                                  "PORTABLE VERSION START\nCurrentDir=E:\\" +
                                  "PORTABLE VERSION START\nCurrentDir=E:\\tools");
    EXPECT_STRCASEEQ(now, root.c_str());

    ::SetCurrentDirectoryA(saved);
    RemoveTree(dir);
}
