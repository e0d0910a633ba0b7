// Faults the panel and the main window keep away from: copies of the program's own windows, a copy
// that ends together with a copy it owns, the modal flag with two modal windows open, the debug
// console's close, and a program in a drive's root.
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

// A copy whose window owns another listed copy takes that one along when it ends; the records of
// every other copy stay, and each of their real windows is given back at exit.
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

// Closing the debug console ends the process once the handler returns: by then every real window is
// given back and the settings are written. Ctrl+C and Ctrl+Break do nothing, and the wait is bounded.
TEST(ConsoleHandlerTest, CloseGivesTheWindowsBackAndWritesTheSettingsBeforeReturning) {
    FixtureWindow target;
    ASSERT_TRUE(target.Start("--title=Faint"));
    const LONG exTarget = ExStyle(target.hwnd);
    char saved[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    const std::string dir = MakeTempDir();
    ASSERT_TRUE(::SetCurrentDirectoryA(dir.c_str())); // the main window keeps its settings there
    CControlDlg* const savedPanel = g_pControlDlg;
    g_bDebugMode = 1;

    struct {
        BYTE alpha = 0;
        bool keptAfterCtrlC = false;
        BOOL result = FALSE;
        LONG exStyle = 0;
        std::string ini;
    } seen;
    std::thread closer;
    {
        CLumevarinDlg dlg;
        Script script;
        script
            .Then(WhenShown(dlg,
                            [&](HWND) {
                                dlg.m_ctrlDlg.addTargetWindow(target.hwnd);
                                ::GetLayeredWindowAttributes(target.hwnd, nullptr, &seen.alpha, nullptr);
                                std::thread([] {
                                    ConsoleCtrlHandler(CTRL_C_EVENT);
                                    ConsoleCtrlHandler(CTRL_BREAK_EVENT);
                                }).join();
                            }))
            .Then([&] {
                seen.keptAfterCtrlC = dlg.m_ctrlDlg.m_vecData.size() == 1 && ::IsWindowVisible(dlg.m_hWnd);
                closer = std::thread([&] {
                    seen.result = ConsoleCtrlHandler(CTRL_CLOSE_EVENT);
                    seen.exStyle = ExStyle(target.hwnd);
                    seen.ini = ReadFileText(dir + "\\Lumevarin.ini");
                });
                return true;
            });
        script.RunWith([&] { return dlg.DoModal(); });
        EXPECT_TRUE(script.Finished()) << script.StepsDone();
    }
    closer.join();
    EXPECT_EQ(seen.alpha, 80);
    EXPECT_TRUE(seen.keptAfterCtrlC);
    EXPECT_TRUE(seen.result);
    EXPECT_EQ(seen.exStyle, exTarget);
    EXPECT_NE(seen.ini.find("WSMODIFIERS=8"), std::string::npos) << seen.ini;

    // A main window that does not answer (its thread waits here): the request is carried out later.
    {
        CLumevarinDlg dlg;
        bool answered = true;
        Script script;
        script.Then(
            WhenShown(dlg, [&](HWND) { std::thread([&] { answered = RequestExitAndWait(200); }).join(); }));
        script.RunWith([&] { return dlg.DoModal(); });
        EXPECT_TRUE(script.Finished());
        EXPECT_FALSE(script.TimedOut());
        EXPECT_FALSE(answered);
    }
    // No main window: nothing to wait for.
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(ConsoleCtrlHandler(CTRL_CLOSE_EVENT));
    EXPECT_LT(::GetTickCount() - start, 1000u);

    g_bDebugMode = 0;
    g_pControlDlg = savedPanel;
    ::SetCurrentDirectoryA(saved);
    RemoveTree(dir);
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
