// The real Lumevarin.exe, driven from outside: start-up, pick, copies, tray commands, settings file and exit.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/common/TestUtil.h"

namespace {

constexpr UINT kTrayNotify = WM_USER + 100;
constexpr int kCmdExit = 32772;
constexpr int kCmdProperty = 32779;
constexpr int kPickHotKey = 1000;
constexpr DWORD kTimeout = 15000;

bool IsClass(HWND h, const char* cls) {
    return ClassNameOf(h) == cls;
}

// A message box (or dialog) of process pid with the given caption.
HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs = kTimeout) {
    return WaitForWindow(
        pid, [&](HWND h) { return IsClass(h, "#32770") && IsWindowVisible(h) && TextOf(h) == caption; },
        timeoutMs);
}

// Presses button id of a dialog and waits until the dialog is gone.
bool Dismiss(HWND hDlg, int id) {
    PostClick(hDlg, id);
    return PumpUntil([&] { return !IsWindow(hDlg); }, kTimeout);
}

// Selects a row of a list view of another process (the item record must live in that process).
bool SelectRow(const ChildProcess& owner, HWND list, int row) {
    void* remote = VirtualAllocEx(owner.process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return false;
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    bool ok = WriteProcessMemory(owner.process, remote, &item, sizeof(item), nullptr) &&
              SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(owner.process, remote, 0, MEM_RELEASE);
    return ok && SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0) == row;
}

struct Fixture : FixtureWindow {
    bool Layered() const { return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
    BYTE Alpha() const {
        BYTE alpha = 255;
        DWORD flags = 0;
        if (!GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags)) return 255;
        return alpha;
    }
};

// One run of the program in a fresh folder of its own.
class Program {
public:
    ~Program() { Stop(); }

    bool Start(const std::string& args = "", const std::string& ini = "") {
        dir = MakeTempDir();
        exe = dir + "\\Lumevarin.exe";
        if (!CopyFileA((ExeDir() + "\\Lumevarin.exe").c_str(), exe.c_str(), FALSE)) return false;
        if (!ini.empty() && !WriteFileText(IniPath(), ini)) return false;
        if (!proc.Start(exe, args, dir)) return false;
        main = WaitForWindow(
            proc.pid, [](HWND h) { return IsClass(h, "#32770") && TextOf(h) == "朧写鏡"; }, kTimeout);
        if (!main) return false;
        return PumpUntil([&] { return (panel = FindWindowExA(main, nullptr, "#32770", nullptr)) != nullptr; },
                         kTimeout);
    }

    std::string IniPath() const { return dir + "\\Lumevarin.ini"; }

    // Picks the window in front, as the pick hotkey does.
    void Pick(HWND target) {
        // A copy shown just before may still take the activation back: wait until the target stays in front.
        for (int attempt = 0; attempt < 10; ++attempt) {
            SetForegroundWindow(target);
            PumpUntil([&] { return GetForegroundWindow() == target; }, 500);
            PumpFor(100);
            if (GetForegroundWindow() == target) break;
        }
        PostMessageA(panel, WM_HOTKEY, kPickHotKey, 0);
    }

    std::vector<HWND> Copies() const {
        std::vector<HWND> copies;
        for (HWND h : TopLevelWindowsOf(proc.pid)) {
            if (IsWindowVisible(h) && TextOf(h).rfind("幻写[", 0) == 0) copies.push_back(h);
        }
        return copies;
    }
    HWND WaitForCopy(HWND target, DWORD timeoutMs = kTimeout) {
        HWND found = nullptr;
        PumpUntil(
            [&] {
                for (HWND h : Copies()) {
                    if (GetWindow(h, GW_OWNER) == target) found = h;
                }
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }
    // Picks target and waits for its copy.
    HWND PinCopy(HWND target) {
        Pick(target);
        return WaitForCopy(target);
    }
    int ListRows() const {
        return static_cast<int>(SendMessageA(GetDlgItem(panel, 1000), LVM_GETITEMCOUNT, 0, 0));
    }

    // "終了" from the tray menu; true when the process ended with exit code 0.
    bool Exit() {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(kCmdExit, 0), 0);
        DWORD code = 1;
        return proc.WaitExit(kTimeout, &code) && code == 0;
    }

    void Stop() {
        if (proc.Running()) {
            if (main) PostMessageA(main, WM_COMMAND, MAKEWPARAM(kCmdExit, 0), 0);
            if (!proc.WaitExit(5000)) proc.Kill();
        }
        if (!dir.empty()) RemoveTree(dir);
        dir.clear();
    }

    std::string dir, exe;
    ChildProcess proc;
    HWND main = nullptr;
    HWND panel = nullptr;
};

const char kDefaultIni[] =
    "[SYSTEM]\r\nINISIZE=0\r\nLEFTCLK=0\r\nLEFTDBLCLK=0\r\nWSHOTKEY=67\r\nWSMODIFIERS=8\r\n";

} // namespace

// A run of the program and a fixture window, each started by the test that uses it; the fixture ends
// first, then the program.
class ProgramTest : public testing::Test {
protected:
    Program prog;
    Fixture target;
};

TEST_F(ProgramTest, SingleInstanceAndHiddenMainWindow) {
    ASSERT_TRUE(prog.Start());
    PumpFor(300);
    EXPECT_FALSE(IsWindowVisible(prog.main));
    EXPECT_FALSE(IsWindowVisible(prog.panel) && IsWindowVisible(prog.main));

    ChildProcess second;
    ASSERT_TRUE(second.Start(prog.exe, "", prog.dir));
    HWND box = WaitForDialog(second.pid, "２重起動");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "     Lumevarinは既に起動されています.     ");
    PostClick(box, IDOK);
    EXPECT_TRUE(second.WaitExit(kTimeout));
    EXPECT_TRUE(prog.proc.Running());
    EXPECT_TRUE(IsWindow(prog.main));
    EXPECT_TRUE(prog.Exit());
}

TEST_F(ProgramTest, PickConcealsAndClosingTheCopyGivesTheWindowBack) {
    ASSERT_TRUE(prog.Start());
    ASSERT_TRUE(target.Start());
    const RECT before = WindowRectOf(target.hwnd);

    HWND copy = prog.PinCopy(target.hwnd);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(TextOf(copy), "幻写[Fixture Target]");
    const RECT rc = WindowRectOf(copy);
    EXPECT_TRUE(EqualRect(&rc, &before)); // INISIZE 0: the copy covers the real window
    // The copy is shown just before the real window is concealed.
    EXPECT_TRUE(PumpUntil([&] { return target.Layered() && target.Alpha() == 0; }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return prog.ListRows() == 1; }, 3000));

    PostMessageA(copy, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(copy); }, kTimeout));
    EXPECT_FALSE(target.Layered());
    const RECT after = WindowRectOf(target.hwnd);
    EXPECT_TRUE(EqualRect(&after, &before));
    EXPECT_EQ(prog.ListRows(), 0);
    // The removal asks for a settings write about half a second later.
    EXPECT_TRUE(PumpUntil([&] { return ReadFileText(prog.IniPath()) == kDefaultIni; }, 5000));
    EXPECT_TRUE(prog.Exit());
}

TEST_F(ProgramTest, CopyEndsWhenItsWindowCloses) {
    ASSERT_TRUE(prog.Start());
    ASSERT_TRUE(target.Start());
    HWND copy = prog.PinCopy(target.hwnd);
    ASSERT_NE(copy, nullptr);

    PostMessageA(target.hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(target.proc.WaitExit(kTimeout));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(copy); }, kTimeout));
    EXPECT_TRUE(PumpUntil([&] { return prog.ListRows() == 0; }, 3000));
    EXPECT_TRUE(prog.proc.Running());
    EXPECT_TRUE(prog.Exit());
}

TEST_F(ProgramTest, SilentRefusalsMakeNothing) {
    ASSERT_TRUE(prog.Start());
    for (const char* args :
         {"--maximized", "--nosysmenu", "--disabled", "--untitled", "--zero-size", "--offscreen"}) {
        SCOPED_TRACE(args);
        Fixture refused;
        ASSERT_TRUE(refused.Start(args));
        prog.Pick(refused.hwnd);
        PumpFor(1500);
        EXPECT_TRUE(prog.Copies().empty());
        EXPECT_FALSE(refused.Layered());
        EXPECT_EQ(prog.ListRows(), 0);
        // No message box either.
        EXPECT_EQ(WaitForWindow(
                      prog.proc.pid, [](HWND h) { return IsWindowVisible(h) && IsClass(h, "#32770"); }, 0),
                  nullptr);
    }
    EXPECT_TRUE(prog.Exit());
}

TEST_F(ProgramTest, DuplicateAndLimitAreReported) {
    ASSERT_TRUE(prog.Start());
    std::vector<Fixture> targets(6);
    for (size_t i = 0; i < targets.size(); ++i) {
        ASSERT_TRUE(targets[i].Start("--title=Target" + std::to_string(i) +
                                     " --pos=" + std::to_string(40 * i) + ",40,400,300"));
    }
    for (size_t i = 0; i < 5; ++i) ASSERT_NE(prog.PinCopy(targets[i].hwnd), nullptr) << i;
    EXPECT_TRUE(PumpUntil([&] { return prog.ListRows() == 5; }, 3000));

    // The duplicate test comes first, even at the limit.
    prog.Pick(targets[0].hwnd);
    HWND dup = WaitForDialog(prog.proc.pid, "重複操作");
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(MessageBoxText(dup), "既に制御中です.");
    EXPECT_EQ(GetWindow(dup, GW_OWNER), targets[0].hwnd);
    EXPECT_TRUE(Dismiss(dup, IDOK));

    prog.Pick(targets[5].hwnd);
    HWND limit = WaitForDialog(prog.proc.pid, "制限超過");
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(MessageBoxText(limit), "制限数を超えています.");
    EXPECT_EQ(GetWindow(limit, GW_OWNER), targets[5].hwnd);
    EXPECT_TRUE(Dismiss(limit, IDOK));
    EXPECT_EQ(prog.Copies().size(), 5u);
    EXPECT_FALSE(targets[5].Layered());

    // Exit gives every real window back and writes the settings.
    EXPECT_TRUE(prog.Exit());
    for (size_t i = 0; i < 5; ++i) EXPECT_FALSE(targets[i].Layered()) << i;
    EXPECT_EQ(ReadFileText(prog.IniPath()), kDefaultIni);
}

TEST_F(ProgramTest, DeleteButtonEndsTheSelectedCopy) {
    ASSERT_TRUE(prog.Start());
    Fixture a, b;
    ASSERT_TRUE(a.Start("--title=A --pos=50,50,400,300"));
    ASSERT_TRUE(b.Start("--title=B --pos=500,50,400,300"));
    ASSERT_NE(prog.PinCopy(a.hwnd), nullptr);
    ASSERT_NE(prog.PinCopy(b.hwnd), nullptr);

    // Newest first: row 1 is A. Select it as a click would.
    HWND list = GetDlgItem(prog.panel, 1000);
    ASSERT_TRUE(PumpUntil([&] { return prog.ListRows() == 2; }, 3000));
    ASSERT_TRUE(SelectRow(prog.proc, list, 1));
    PostClick(prog.panel, 1002);
    HWND ask = WaitForDialog(prog.proc.pid, "Lumevarin");
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(MessageBoxText(ask), "選択したデータを削除しますか？");
    PostClick(ask, IDYES);
    EXPECT_TRUE(PumpUntil([&] { return !a.Layered(); }, kTimeout));
    EXPECT_TRUE(b.Layered());
    EXPECT_TRUE(PumpUntil([&] { return prog.Copies().size() == 1u; }, kTimeout));
    EXPECT_TRUE(PumpUntil([&] { return prog.ListRows() == 1; }, 3000));
    EXPECT_TRUE(prog.Exit());
    EXPECT_FALSE(b.Layered());
}

TEST_F(ProgramTest, StoredModifiersAreTheRegisteredHotKey) {
    ASSERT_TRUE(prog.Start("", "[SYSTEM]\r\nWSMODIFIERS=2\r\n"));
    // Ctrl+C is now held by the program.
    EXPECT_TRUE(PumpUntil([] { return HotKeyTaken(MOD_CONTROL, 'C'); }, 5000));
    EXPECT_TRUE(prog.Exit());
    EXPECT_TRUE(HotKeyFree(MOD_CONTROL, 'C'));
    EXPECT_EQ(ReadFileText(prog.IniPath()),
              "[SYSTEM]\r\nWSMODIFIERS=2\r\nINISIZE=0\r\nLEFTCLK=0\r\nLEFTDBLCLK=0\r\nWSHOTKEY=67\r\n");
}

TEST_F(ProgramTest, TakenHotKeyIsReportedAndTheProgramRunsOn) {
    HeldHotKey other(MOD_WIN, 'C');
    ASSERT_TRUE(other.Held());
    ASSERT_TRUE(prog.Start());
    HWND box = WaitForDialog(prog.proc.pid, "Lumevarin");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "ホットキーの登録が失敗しました.他のキーに変更してください.");
    EXPECT_TRUE(Dismiss(box, IDOK));
    PumpFor(500);
    EXPECT_EQ(WaitForDialog(prog.proc.pid, "Lumevarin", 0), nullptr); // reported once
    EXPECT_TRUE(prog.proc.Running());
    EXPECT_TRUE(prog.Exit());
}

TEST_F(ProgramTest, PropertyDialogChangesTheInitialSize) {
    ASSERT_TRUE(prog.Start());
    PostMessageA(prog.main, kTrayNotify, 0, WM_LBUTTONDBLCLK);
    HWND dlg = WaitForDialog(prog.proc.pid, "プロパティ設定");
    ASSERT_NE(dlg, nullptr);
    RECT work, rc;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(dlg, &rc);
    EXPECT_EQ(rc.right, work.right);
    EXPECT_EQ(rc.bottom, work.bottom);
    EXPECT_TRUE(IsChecked(dlg, 1014));

    // Cancel takes nothing and writes nothing.
    ASSERT_TRUE(Dismiss(dlg, IDCANCEL));
    PumpFor(800);
    EXPECT_EQ(GetFileAttributesA(prog.IniPath().c_str()), INVALID_FILE_ATTRIBUTES);

    // OK with "1/2" stores INISIZE 1 about half a second later, and the next copy is half size.
    PostMessageA(prog.main, WM_COMMAND, MAKEWPARAM(kCmdProperty, 0), 0);
    dlg = WaitForDialog(prog.proc.pid, "プロパティ設定");
    ASSERT_NE(dlg, nullptr);
    SendDlgItemMessageA(dlg, 1014, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(dlg, 1015, BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(Dismiss(dlg, IDOK));
    EXPECT_TRUE(PumpUntil(
        [&] { return ReadFileText(prog.IniPath()).find("INISIZE=1\r\n") != std::string::npos; }, 5000));

    ASSERT_TRUE(target.Start()); // (100,50)-(900,650)
    HWND copy = prog.PinCopy(target.hwnd);
    ASSERT_NE(copy, nullptr);
    rc = WindowRectOf(copy);
    EXPECT_EQ(rc.left, 300);
    EXPECT_EQ(rc.top, 200);
    EXPECT_EQ(rc.right, 700);
    EXPECT_EQ(rc.bottom, 500);
    EXPECT_TRUE(prog.Exit());
    EXPECT_FALSE(target.Layered());
}

TEST_F(ProgramTest, WinCFromTheKeyboardPicksTheForegroundWindow) {
    ASSERT_TRUE(prog.Start());
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(BringToFront(target.hwnd));
    ASSERT_TRUE(SendWinC());
    EXPECT_NE(prog.WaitForCopy(target.hwnd), nullptr);
    EXPECT_TRUE(prog.Exit());
    EXPECT_FALSE(target.Layered());
}

TEST_F(ProgramTest, DebugModeShowsTheMainWindowAndKeepsTargetsFaint) {
    ASSERT_TRUE(prog.Start("-D583"));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(prog.main) != FALSE; }, kTimeout));
    RECT desk, rc;
    GetWindowRect(GetDesktopWindow(), &desk);
    GetWindowRect(prog.main, &rc);
    EXPECT_EQ(rc.right, desk.right);
    EXPECT_EQ(rc.bottom, desk.bottom);

    ASSERT_TRUE(target.Start());
    ASSERT_NE(prog.PinCopy(target.hwnd), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return target.Alpha() == 80; }, 3000));

    // "閉じる" only hides the window.
    PostClick(prog.main, IDOK);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(prog.main); }, kTimeout));
    EXPECT_TRUE(prog.proc.Running());
    EXPECT_TRUE(prog.Exit());
    EXPECT_FALSE(target.Layered());
}

TEST_F(ProgramTest, EscOnTheShownMainWindowEndsTheProgramThroughTheClosePath) {
    ASSERT_TRUE(prog.Start("-D583"));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(prog.main) != FALSE; }, kTimeout));
    ASSERT_TRUE(target.Start());
    ASSERT_NE(prog.PinCopy(target.hwnd), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return target.Layered(); }, 3000));

    PostMessageA(prog.main, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD code = 1;
    EXPECT_TRUE(prog.proc.WaitExit(kTimeout, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(target.Layered());
    EXPECT_EQ(ReadFileText(prog.IniPath()), kDefaultIni);
}

// A real window that stops answering holds the program no longer than the capture's probe: the copy keeps
// its old picture meanwhile, and once the window answers again the copy still gives it back.
TEST_F(ProgramTest, HungTargetDoesNotFreezeTheProgram) {
    ASSERT_TRUE(prog.Start());
    ASSERT_TRUE(target.Start("--hang-on-request"));
    HWND copy = prog.PinCopy(target.hwnd);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return target.Layered(); }, 3000));

    ASSERT_TRUE(PostMessageA(target.hwnd, RegisterWindowMessageA(fixture::kHangMessageName), 4000, 0));
    const DWORD hungAt = GetTickCount();
    ASSERT_TRUE(PumpUntil(
        [&] { return !SendMessageTimeoutA(target.hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, nullptr); },
        3000));
    // Over three seconds of the hang (three or so refresh ticks) the program answers every time, both a sent
    // message (answered even from inside a send of its own) and posted ones (only from its message loop):
    // the property dialog opens and closes again on the tray's double click and the cancel button.
    int answered = 0;
    while (GetTickCount() - hungAt < 3000) {
        const DWORD sentAt = GetTickCount();
        ASSERT_NE(SendMessageTimeoutA(prog.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1500, nullptr), 0)
            << "no answer within " << GetTickCount() - sentAt << " ms, " << sentAt - hungAt
            << " ms into the hang";
        const DWORD postedAt = GetTickCount();
        PostMessageA(prog.main, kTrayNotify, 0, WM_LBUTTONDBLCLK);
        HWND dlg = WaitForDialog(prog.proc.pid, "プロパティ設定", 1500);
        ASSERT_NE(dlg, nullptr) << postedAt - hungAt << " ms into the hang";
        PostClick(dlg, IDCANCEL);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dlg); }, 1500))
            << postedAt - hungAt << " ms into the hang";
        ++answered;
    }
    EXPECT_GE(answered, 3);

    // Recovered: closing the copy gives the real window back.
    ASSERT_TRUE(SendMessageTimeoutA(target.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, kTimeout, nullptr));
    EXPECT_TRUE(IsWindow(copy));
    PostMessageA(copy, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(copy); }, kTimeout));
    EXPECT_FALSE(target.Layered());
    EXPECT_TRUE(prog.Exit());
}

// "終了" while the property dialog is open ends the copies at once, but the dialog's loop runs on until the
// dialog is closed, and a window may be picked meanwhile: it is given back when the main window goes.
TEST_F(ProgramTest, WindowPickedAfterExitWhileThePropertyDialogIsOpenIsGivenBack) {
    ASSERT_TRUE(prog.Start());
    Fixture first;
    ASSERT_TRUE(first.Start("--title=First --pos=500,50,400,300"));
    ASSERT_TRUE(target.Start("--pos=50,50,400,300"));
    ASSERT_NE(prog.PinCopy(first.hwnd), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return first.Layered(); }, 3000));
    PostMessageA(prog.main, kTrayNotify, 0, WM_LBUTTONDBLCLK);
    HWND dlg = WaitForDialog(prog.proc.pid, "プロパティ設定");
    ASSERT_NE(dlg, nullptr);

    PostMessageA(prog.main, WM_COMMAND, MAKEWPARAM(kCmdExit, 0), 0);
    // The close path has run once the copy made before is given back.
    ASSERT_TRUE(PumpUntil([&] { return !first.Layered(); }, kTimeout));
    EXPECT_TRUE(prog.proc.Running());
    ASSERT_NE(prog.PinCopy(target.hwnd), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return target.Layered(); }, 3000));

    ASSERT_TRUE(Dismiss(dlg, IDCANCEL));
    DWORD code = 1;
    EXPECT_TRUE(prog.proc.WaitExit(kTimeout, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(target.Layered());
    EXPECT_FALSE(first.Layered());
}
