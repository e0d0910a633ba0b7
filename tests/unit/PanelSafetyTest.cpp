// Faults the panel and the main window keep away from: copies of the program's own windows, a copy that ends
// together with a copy it owns, the modal flag with two modal windows open, and a program in a drive's root.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/Globals.h"
#include "app/LumevarinApp.h"
#include "app/LumevarinDlg.h"
#include "tests/unit/PanelTestSupport.h"

using namespace panel_test;

namespace {

LONG ExStyle(HWND h) {
    return ::GetWindowLongA(h, GWL_EXSTYLE);
}

HWND DialogTitled(const char* title) {
    for (HWND h : ThreadDialogs()) {
        if (TextOf(h) == title) return h;
    }
    return nullptr;
}

} // namespace

TEST(PanelSafetyTest, NoWindowOfThisProcessIsPickedWhateverItsProgramIsCalled) {
    ASSERT_NE(ExeName(), "Lumevarin.exe");
    PanelHost host;
    HWND copy = host.Pin(host.Target("Copied"))->m_hWnd;
    HWND ours = host.Target("Ours", 400, 200);
    for (HWND h : {ours, copy}) host.panel->addTargetWindow(h);
    EXPECT_EQ(host.panel->m_vecData.size(), 1u);
    for (HWND h : {ours, copy}) EXPECT_EQ(ExStyle(h) & WS_EX_LAYERED, 0);
}

TEST(PanelSafetyTest, CopyEndingWithTheCopyItOwnsLeavesTheOtherRecords) {
    for (bool byDeleteButton : {false, true}) {
        SCOPED_TRACE(byDeleteButton ? "delete button" : "real window gone");
        PanelHost host;
        HWND other = host.Foreign("--title=Other --pos=420,120,320,240");
        HWND outer = host.Foreign("--title=Outer --pos=60,60,320,240");
        const LONG exOther = ExStyle(other);
        const LONG exOuter = ExStyle(outer);
        host.panel->addTargetWindow(other);
        host.panel->addTargetWindow(outer);
        ASSERT_EQ(host.panel->m_vecData.size(), 2u);
        HWND outerCopy = host.CopyOf(0);
        HWND innerCopy = host.Pin(outerCopy)->m_hWnd; // listed first
        ASSERT_EQ(::GetWindow(innerCopy, GW_OWNER), outerCopy);

        if (byDeleteButton) {
            MessageBoxDriver boxes({IDYES});
            host.panel->m_listCtrl.SetSelectionMark(1);
            host.ClickDelete();
        } else {
            ::PostMessageA(outer, WM_CLOSE, 0, 0);
        }
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(outerCopy); }, 10000));
        EXPECT_FALSE(::IsWindow(innerCopy));
        ASSERT_EQ(host.panel->m_vecData.size(), 1u);
        ASSERT_EQ(host.panel->m_vecData[0].m_hTarget, other);
        EXPECT_EQ(host.Column(1), (std::vector<std::string>{"Other"}));

        host.panel->endAllPin();
        EXPECT_EQ(ExStyle(other), exOther);
        if (byDeleteButton) {
            EXPECT_EQ(ExStyle(outer), exOuter);
        }
    }
}

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
