// The control panel: its list view, the list of copies with removal, deletion and the end of all
// copies, the pick with its checks, and the process-name queries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/ProcessName.h"
#include "tests/unit/PanelTestSupport.h"

using namespace panel_test;

namespace {

using Rows = std::vector<std::string>;

int RowImage(const CListCtrl& list, int row) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = -99;
    list.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

LONG ExStyle(HWND h) {
    return ::GetWindowLongA(h, GWL_EXSTYLE);
}

std::string HexLine(const char* label, HWND h) {
    char buf[64];
    snprintf(buf, sizeof(buf), "%s hWnd=0x%08x\n", label,
             static_cast<unsigned>(reinterpret_cast<UINT_PTR>(h)));
    return buf;
}

// Pixel of a window's client area as the screen shows it.
COLORREF ClientPixel(HWND h, int x, int y) {
    return ClientImage(h).At(x, y);
}

// Refuses the creation of every window whose parent or owner is the given window (a copy window
// that cannot be made).
HWND g_hRefusedOwner = nullptr;
HHOOK g_hRefuseHook = nullptr;
LRESULT CALLBACK RefuseCopyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        auto* cbt = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        if (cbt->lpcs->hwndParent == g_hRefusedOwner) return 1;
    }
    return ::CallNextHookEx(g_hRefuseHook, code, wParam, lParam);
}

} // namespace

// ---- List view and appearance -------------------------------------------------------------------

TEST(ControlDlgTest, ListViewHasItsColumnsAndTheCacheImages) {
    PanelHost host;
    ASSERT_TRUE(host.created);
    EXPECT_EQ(g_pControlDlg, host.panel);
    const CListCtrl& list = host.panel->m_listCtrl;
    ASSERT_EQ(list.m_hWnd, ::GetDlgItem(host.panel->m_hWnd, IDC_LIST_DATA));
    EXPECT_EQ(list.GetExtendedStyle(), static_cast<DWORD>(LVS_EX_FULLROWSELECT));
    EXPECT_EQ(list.GetImageList(LVSIL_SMALL), host.panel->m_imageList.m_imageList.GetSafeHandle());
    EXPECT_EQ(list.GetItemCount(), 0);

    const char* names[] = {"ProgramName", "Window Title", "  "};
    const int widths[] = {100, 300, 10};
    for (int i = 0; i < 3; ++i) {
        char text[64] = {};
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = text;
        col.cchTextMax = sizeof(text);
        ASSERT_TRUE(list.SendMessage(LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&col))) << i;
        EXPECT_STREQ(text, names[i]);
        EXPECT_EQ(col.cx, widths[i]);
        EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    LVCOLUMNA col = {};
    col.mask = LVCF_WIDTH;
    EXPECT_FALSE(list.SendMessage(LVM_GETCOLUMNA, 3, reinterpret_cast<LPARAM>(&col)));
}

TEST(ControlDlgTest, PanelAndItsLabelAreGrey) {
    PanelHost host(true);
    ASSERT_TRUE(host.created);
    HWND hPanel = host.panel->m_hWnd;
    ::UpdateWindow(host.parent);

    RECT gap = {100, 6, 101, 7}; // between the label and the button, dialog units
    ::MapDialogRect(hPanel, &gap);
    HWND hLabel = nullptr;
    for (HWND c = ::GetWindow(hPanel, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if (ClassNameOf(c) == "Static") hLabel = c;
    }
    ASSERT_NE(hLabel, nullptr);
    EXPECT_EQ(TextOf(hLabel), "幻写一覧");

    const COLORREF grey = RGB(230, 230, 230);
    EXPECT_TRUE(PumpUntil([&] { return ClientPixel(hPanel, gap.left, gap.top) == grey; }, 3000))
        << std::hex << ClientPixel(hPanel, gap.left, gap.top);
    EXPECT_TRUE(PumpUntil([&] { return ClientPixel(hLabel, 0, 0) == grey; }, 3000))
        << std::hex << ClientPixel(hLabel, 0, 0);
}

TEST(ControlDlgTest, DeleteWithoutSelectionOnlyAsks) {
    PanelHost host;
    ASSERT_TRUE(host.created);
    MessageBoxDriver boxes;
    host.ClickDelete();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "削除更するデータを一覧で選択してください");
    EXPECT_EQ(boxes.boxes[0].caption, ExeStem());
    EXPECT_EQ(host.panel->m_bIniWritePending, 0);
}

// The icon cache alone releases its image list, whichever way the list view goes.
TEST(ControlDlgTest, ImageListOutlivesTheListViewAndGoesWithTheCache) {
    std::string exe = ExePath();
    for (bool viaPanel : {true, false}) {
        HBITMAP hbm = nullptr;
        HIMAGELIST hList = nullptr;
        {
            PanelHost host;
            ASSERT_TRUE(host.created);
            hList = host.panel->m_imageList.m_imageList.GetSafeHandle();
            ASSERT_EQ(host.panel->m_imageList.getIconIndex(exe.c_str()), 0);
            IMAGEINFO info = {};
            ASSERT_TRUE(ImageList_GetImageInfo(hList, 0, &info));
            hbm = info.hbmImage;
            ASSERT_EQ(::GetObjectType(hbm), static_cast<DWORD>(OBJ_BITMAP));

            if (viaPanel) {
                host.panel->DestroyWindow();
            } else {
                ::DestroyWindow(host.parent); // takes the panel and its list view along
            }
            EXPECT_EQ(host.panel->m_hWnd, nullptr);
            EXPECT_EQ(::GetObjectType(hbm), static_cast<DWORD>(OBJ_BITMAP)) << viaPanel;
            EXPECT_EQ(ImageList_GetImageCount(hList), 1) << viaPanel;
        }
        EXPECT_EQ(::GetObjectType(hbm), 0u) << "released with the cache " << viaPanel;
    }
}

// ---- The list of copies -------------------------------------------------------------------------

TEST(ControlDlgTest, CopiesAreListedNewestFirstAndDeleteEndsTheSelectedOne) {
    PanelHost host;
    ASSERT_TRUE(host.created);
    HWND a = host.Foreign("--title=Alpha --pos=60,60,320,240");
    HWND b = host.Foreign("--title=Bravo --pos=200,90,320,240");
    HWND c = host.Foreign("--title=Charlie --pos=340,120,320,240");
    const LONG exB = ExStyle(b);
    for (HWND t : {a, b, c}) host.panel->addTargetWindow(t);
    ASSERT_EQ(host.panel->m_vecData.size(), 3u);

    EXPECT_EQ(host.Column(1), (Rows{"Charlie", "Bravo", "Alpha"}));
    EXPECT_EQ(host.Column(0), (Rows{fixture::kExeName, fixture::kExeName, fixture::kExeName}));
    EXPECT_EQ(host.Column(2), (Rows{"", "", ""}));
    // One program, one cached icon, shown in every row.
    EXPECT_EQ(host.panel->m_imageList.m_vecPath.size(), 1u);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(RowImage(host.panel->m_listCtrl, row), 0) << row;
    EXPECT_EQ(host.panel->m_bIniWritePending, 0) << "a pick requests no write";

    HWND copyA = host.CopyOf(2);
    HWND copyB = host.CopyOf(1);
    HWND copyC = host.CopyOf(0);
    ASSERT_TRUE(::IsWindow(copyB));
    ASSERT_NE(ExStyle(b) & WS_EX_LAYERED, 0);

    {
        MessageBoxDriver boxes({IDNO});
        host.panel->m_listCtrl.SetSelectionMark(1);
        host.ClickDelete();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, "選択したデータを削除しますか？");
        EXPECT_EQ(host.Column(1), (Rows{"Charlie", "Bravo", "Alpha"}));
        EXPECT_TRUE(::IsWindow(copyB));
        EXPECT_EQ(host.panel->m_bIniWritePending, 0);
    }
    {
        MessageBoxDriver boxes({IDYES});
        host.panel->m_listCtrl.SetSelectionMark(1);
        host.ClickDelete();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(host.Column(1), (Rows{"Charlie", "Alpha"}));
        EXPECT_FALSE(::IsWindow(copyB));
        EXPECT_EQ(ExStyle(b), exB) << "the real window is given back";
        EXPECT_TRUE(::IsWindow(copyA));
        EXPECT_TRUE(::IsWindow(copyC));
        EXPECT_EQ(host.panel->m_bIniWritePending, 1);
        EXPECT_EQ(host.panel->m_nIniWriteCount, 5);
    }
}

// The confirmation runs a message loop; a copy that closes meanwhile shifts the rows, and the answer
// still ends the copy that was selected.
TEST(ControlDlgTest, DeleteEndsTheSelectedCopyEvenWhenRowsMoveDuringTheQuestion) {
    PanelHost host;
    auto [a, b, c] = host.ThreeTargets();
    host.PinAll({a, b, c});
    ASSERT_EQ(host.panel->m_vecData.size(), 3u);
    HWND copyA = host.CopyOf(2);
    HWND copyB = host.CopyOf(1);
    HWND copyC = host.CopyOf(0);

    MessageBoxDriver boxes({IDYES});
    boxes.onBox = [&](HWND) { ::SendMessageA(copyC, WM_CLOSE, 0, 0); };
    host.panel->m_listCtrl.SetSelectionMark(1); // Bravo
    host.ClickDelete();

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_FALSE(::IsWindow(copyC));
    EXPECT_FALSE(::IsWindow(copyB));
    EXPECT_TRUE(::IsWindow(copyA));
    EXPECT_EQ(host.Column(1), (Rows{"Alpha"}));
}

TEST(ControlDlgTest, RemoveDataByWindowMatchesOnlyPinnedRecordsWithThatCopyWindow) {
    PanelHost host;
    auto [a, b, c] = host.ThreeTargets();
    const LONG exA = ExStyle(a);
    host.PinAll({a, b, c});
    ASSERT_EQ(host.panel->m_vecData.size(), 3u);
    CEidrelDlg* dlgA = host.panel->m_vecData[2].m_pDlg;
    CEidrelDlg* dlgB = host.panel->m_vecData[1].m_pDlg;
    HWND copyA = dlgA->m_hWnd;
    HWND copyB = dlgB->m_hWnd;
    HWND copyC = host.CopyOf(0);

    // A record without a copy window in front, and Alpha's record no longer marked pinned.
    CEidrelData bare;
    bare.m_strTitle = "Bare";
    bare.m_bPinned = 1;
    host.panel->m_vecData.insert(host.panel->m_vecData.begin(), bare);
    host.panel->m_vecData[3].m_bPinned = 0;
    host.panel->refreshList();

    {
        StdoutCapture out;
        host.panel->removeDataByWindow(dlgA);
        EXPECT_EQ(out.Stop(), HexLine("Data", copyC) + HexLine("Obj ", copyA) + HexLine("Data", copyB) +
                                  HexLine("Obj ", copyA));
        EXPECT_EQ(host.panel->m_vecData.size(), 4u);
        EXPECT_TRUE(::IsWindow(copyA));
        EXPECT_EQ(host.panel->m_bIniWritePending, 0);
    }
    {
        StdoutCapture out;
        host.panel->removeDataByWindow(dlgB);
        EXPECT_EQ(out.Stop(), HexLine("Data", copyC) + HexLine("Obj ", copyB) + HexLine("Data", copyB) +
                                  HexLine("Obj ", copyB));
        EXPECT_FALSE(::IsWindow(copyB));
        EXPECT_TRUE(::IsWindow(copyA));
        EXPECT_TRUE(::IsWindow(copyC));
        EXPECT_EQ(host.Column(1), (Rows{"Bare", "Charlie", "Alpha"}));
        EXPECT_EQ(host.panel->m_bIniWritePending, 1);
    }

    // The delete button ends the copy of a record that is not marked pinned, and erases a bare record.
    MessageBoxDriver boxes({IDYES, IDYES});
    host.panel->m_listCtrl.SetSelectionMark(2);
    host.ClickDelete();
    EXPECT_FALSE(::IsWindow(copyA));
    EXPECT_EQ(ExStyle(a), exA);
    host.panel->m_listCtrl.SetSelectionMark(0);
    host.ClickDelete();
    EXPECT_EQ(host.Column(1), (Rows{"Charlie"}));
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST(ControlDlgTest, ClosingACopyRemovesItsRecord) {
    PanelHost host;
    HWND a = host.Target("Alpha", 60, 60);
    HWND b = host.Target("Bravo", 200, 90);
    const LONG exA = ExStyle(a);
    host.PinAll({a, b});
    HWND copyA = host.CopyOf(1);

    ::SendMessageA(copyA, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(copyA));
    EXPECT_EQ(ExStyle(a), exA);
    EXPECT_EQ(host.Column(1), (Rows{"Bravo"}));
    EXPECT_EQ(host.panel->m_bIniWritePending, 1);
}

TEST(ControlDlgTest, CopyDestroyedWithItsOwnerLeavesNoRecordBehind) {
    PanelHost host;
    HWND a = host.Target("Alpha", 60, 60);
    HWND b = host.Target("Bravo", 200, 90);
    host.PinAll({a, b});
    HWND copyA = host.CopyOf(1);

    // A real window of this very thread takes its owned copy with it when it goes.
    ::DestroyWindow(a);
    EXPECT_FALSE(::IsWindow(copyA));
    ASSERT_EQ(host.panel->m_vecData.size(), 1u);
    EXPECT_EQ(host.panel->m_vecData[0].m_hTarget, b);
    EXPECT_EQ(host.Column(1), (Rows{"Bravo"}));
    host.panel->endAllPin(); // touches no freed copy
    EXPECT_TRUE(host.panel->m_vecData.empty());
}

TEST(ControlDlgTest, EndAllPinEndsEveryCopyThenWritesAndEmptiesTheList) {
    PanelHost host;
    host.panel->setIniFile(host.iniPath.c_str());
    const std::array<HWND, 3> targets = host.ThreeTargets();
    std::vector<LONG> styles;
    for (HWND t : targets) styles.push_back(ExStyle(t));
    host.PinAll({targets[0], targets[1], targets[2]});
    ASSERT_EQ(host.panel->m_vecData.size(), 3u);
    std::vector<HWND> copies = {host.CopyOf(0), host.CopyOf(1), host.CopyOf(2)};

    StdoutCapture out;
    host.panel->endAllPin();
    const std::string text = out.Stop();
    EXPECT_EQ(out.Count("CControlDlg::notifyUpdateWindow()\n"), 3) << text;
    EXPECT_EQ(out.Count("CControlDlg::__writeIniFile()\n"), 1) << text;
    EXPECT_GT(text.find("CControlDlg::__writeIniFile()\n"),
              text.rfind("CControlDlg::notifyUpdateWindow()\n"));
    EXPECT_TRUE(host.panel->m_vecData.empty());
    for (HWND copy : copies) EXPECT_FALSE(::IsWindow(copy));
    for (size_t i = 0; i < targets.size(); ++i) EXPECT_EQ(ExStyle(targets[i]), styles[i]) << i;
    EXPECT_NE(ReadFileText(host.iniPath).find("WSMODIFIERS=8"), std::string::npos);
}

TEST(ControlDlgTest, EnterAndEscKeepTheCopies) {
    PanelHost host(true);
    host.PinAll({host.Target("Alpha")});
    ASSERT_EQ(host.panel->m_vecData.size(), 1u);
    HWND copy = host.CopyOf(0);

    // The keys as the dialog manager turns them into commands, and the commands themselves.
    ::SetFocus(host.panel->m_listCtrl.m_hWnd);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG msg = {host.panel->m_listCtrl.m_hWnd,          WM_KEYDOWN, key, 0,
                   static_cast<DWORD>(::GetMessageTime()), {0, 0}};
        ::IsDialogMessageA(host.panel->m_hWnd, &msg);
    }
    ::SendMessageA(host.panel->m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ::SendMessageA(host.panel->m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);

    EXPECT_EQ(host.panel->m_vecData.size(), 1u);
    EXPECT_TRUE(::IsWindow(copy));
    EXPECT_TRUE(::IsWindowVisible(host.panel->m_hWnd));
    EXPECT_EQ(host.Column(1), (Rows{"Alpha"}));
}

// ---- The pick -----------------------------------------------------------------------------------

TEST(ControlDlgPickTest, RefusedWindowsGetNothing) {
    PanelHost host;
    const DWORD normal = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    struct Case {
        const char* what;
        HWND hwnd;
        SIZE size = {-1, -1}; // given to the window first, when set
    };
    // Windows that pass the test of the title are another program's, so that the test of the program's
    // own process does not refuse them first; one that may be sized to nothing is made thin, then flat.
    HWND hEmpty = host.Foreign("--title=Empty --zero-size");
    std::vector<Case> refused = {
        {"untitled", host.Own(CreateTopWindow("", normal, 100, 100, 300, 200))},
        {"desktop title", host.Own(CreateTopWindow("Program Manager", normal, 100, 100, 300, 200))},
        {"no window", nullptr},
        {"invisible", host.Foreign("--title=Hidden --hidden")},
        {"maximised", host.Foreign("--title=Big --maximized")},
        {"no system menu", host.Foreign("--title=NoMenu --nosysmenu")},
        {"disabled", host.Foreign("--title=Disabled --disabled")},
        {"zero width", hEmpty, {0, 200}},
        {"zero height", hEmpty, {300, 0}},
        {"off every monitor", host.Foreign("--title=Away --offscreen")},
    };
    ASSERT_TRUE(::IsZoomed(refused[4].hwnd));
    RECT rc = WindowRectOf(refused[9].hwnd);
    ASSERT_EQ(::MonitorFromRect(&rc, MONITOR_DEFAULTTONULL), nullptr);

    MessageBoxDriver boxes;
    for (const Case& k : refused) {
        if (k.size.cx >= 0) {
            ::SetWindowPos(k.hwnd, nullptr, 100, 100, k.size.cx, k.size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
            rc = WindowRectOf(k.hwnd);
            ASSERT_EQ(rc.right - rc.left, k.size.cx) << k.what;
            ASSERT_EQ(rc.bottom - rc.top, k.size.cy) << k.what;
        }
        host.panel->addTargetWindow(k.hwnd);
        EXPECT_TRUE(host.panel->m_vecData.empty()) << k.what;
        if (k.hwnd) {
            EXPECT_EQ(ExStyle(k.hwnd) & WS_EX_LAYERED, 0) << k.what;
        }
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(ControlDlgPickTest, DuplicateComesBeforeTheLimitAndOnlyThoseTwoAreShown) {
    PanelHost host;
    HWND untitled = host.Own(CreateTopWindow("", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200));
    HWND hidden = host.Own(CreateTopWindow("Hidden", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200));
    std::vector<HWND> pinned;
    for (int i = 0; i < 5; ++i) {
        pinned.push_back(host.Target(("Copy " + std::to_string(i)).c_str(), 40 + 60 * i, 40 + 30 * i));
        host.PinAll({pinned.back()});
    }
    ASSERT_EQ(host.panel->m_vecData.size(), 5u);

    MessageBoxDriver boxes;
    // A window that fails a silent test gets nothing, even at the limit.
    host.panel->addTargetWindow(untitled);
    host.panel->addTargetWindow(hidden);
    EXPECT_TRUE(boxes.boxes.empty());

    host.panel->addTargetWindow(pinned[2]);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "既に制御中です.");
    EXPECT_EQ(boxes.boxes[0].caption, "重複操作");
    EXPECT_EQ(boxes.boxes[0].owner, pinned[2]);

    HWND sixth = host.Foreign("--title=Sixth --pos=500,300,320,240");
    host.panel->addTargetWindow(sixth);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, "制限数を超えています.");
    EXPECT_EQ(boxes.boxes[1].caption, "制限超過");
    EXPECT_EQ(boxes.boxes[1].owner, sixth);
    EXPECT_EQ(host.panel->m_vecData.size(), 5u);
    EXPECT_EQ(ExStyle(sixth) & WS_EX_LAYERED, 0);
}

TEST(ControlDlgPickTest, NewRecordCarriesTitleProgramAndPath) {
    PanelHost host;
    const std::string longTitle = fixture::LongTitle();
    HWND t = host.Foreign("--long-title");
    host.panel->addTargetWindow(t);
    ASSERT_EQ(host.panel->m_vecData.size(), 1u);
    const CEidrelData& d = host.panel->m_vecData[0];
    EXPECT_EQ(d.m_strTitle, longTitle.substr(0, 259).c_str());
    EXPECT_EQ(d.m_strProgramName, fixture::kExeName);
    EXPECT_EQ(lstrcmpiA(d.m_strProgramPath, FixturePath().c_str()), 0) << d.m_strProgramPath.GetString();
    EXPECT_EQ(d.m_hTarget, t);
    EXPECT_EQ(d.m_bPinned, 1);
    ASSERT_NE(d.m_pDlg, nullptr);
    EXPECT_EQ(::GetWindow(d.m_pDlg->m_hWnd, GW_OWNER), t);
    EXPECT_EQ(host.Column(1), (Rows{longTitle.substr(0, 259)}));
}

TEST(ControlDlgPickTest, HotKeyMessagePicksTheForegroundWindow) {
    PanelHost host;
    HWND t = host.Foreign("--title=Front");
    HWND other = host.Target("Other", 300, 200);
    ASSERT_TRUE(BringToFront(t));

    ::SendMessageA(host.panel->m_hWnd, WM_HOTKEY, kPickHotKeyId + 1, MAKELPARAM(MOD_WIN, 'C'));
    EXPECT_TRUE(host.panel->m_vecData.empty()) << "another hotkey id picks nothing";

    ::SendMessageA(host.panel->m_hWnd, WM_HOTKEY, kPickHotKeyId, MAKELPARAM(MOD_WIN, 'C'));
    ASSERT_EQ(host.panel->m_vecData.size(), 1u);
    EXPECT_EQ(host.panel->m_vecData[0].m_hTarget, t);
    EXPECT_NE(host.panel->m_vecData[0].m_hTarget, other);
}

// The pick hotkey as the user presses it, with the stored initial size handed to the new copy.
TEST(ControlDlgPickTest, PressedHotKeyPinsAHalfSizeCopy) {
    PanelHost host;
    ASSERT_TRUE(WriteFileText(host.iniPath, "[SYSTEM]\r\nINISIZE=1\r\n"));
    host.panel->setIniFile(host.iniPath.c_str());
    ASSERT_TRUE(HotKeyTaken(MOD_WIN, 'C'));
    HWND t = host.Foreign("--title=Pressed --pos=100,50,400,300");
    ASSERT_TRUE(BringToFront(t));
    ASSERT_TRUE(SendWinC());
    ASSERT_TRUE(PumpUntil([&] { return !host.panel->m_vecData.empty(); }, 5000));

    const RECT rc = WindowRectOf(host.CopyOf(0));
    EXPECT_EQ(rc.left, 100 + 100);
    EXPECT_EQ(rc.top, 50 + 75);
    EXPECT_EQ(rc.right - rc.left, 200);
    EXPECT_EQ(rc.bottom - rc.top, 150);
}

// A pin that cannot make its copy window is given up and leaves no record.
TEST(ControlDlgPickTest, GivenUpPinLeavesNoRecord) {
    PanelHost host;
    HWND t = host.Foreign("--title=Unlucky");
    const LONG ex = ExStyle(t);
    g_hRefusedOwner = t;
    g_hRefuseHook = ::SetWindowsHookExA(WH_CBT, &RefuseCopyHook, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(g_hRefuseHook, nullptr);
    host.panel->addTargetWindow(t);
    ::UnhookWindowsHookEx(g_hRefuseHook);
    g_hRefuseHook = nullptr;
    g_hRefusedOwner = nullptr;

    EXPECT_TRUE(host.panel->m_vecData.empty());
    EXPECT_EQ(host.panel->m_listCtrl.GetItemCount(), 0);
    EXPECT_EQ(ExStyle(t), ex);

    // The same window can be picked again once its copy window can be made.
    host.panel->addTargetWindow(t);
    EXPECT_EQ(host.panel->m_vecData.size(), 1u);
}

TEST(ControlDlgPickTest, OtherProgramsAreCopiedButNotOneNamedLumevarin) {
    PanelHost host;
    std::string renamed = host.dir + "\\Lumevarin.exe";
    ASSERT_TRUE(::CopyFileA(FixturePath().c_str(), renamed.c_str(), FALSE));

    ChildProcess own;
    ASSERT_TRUE(own.Start(renamed, "--title=Own --pos=60,60,400,300"));
    HWND hOwn = WaitForWindowClass(own.pid, fixture::kClassName, 15000);
    ASSERT_NE(hOwn, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hOwn); }, 5000));
    host.panel->addTargetWindow(hOwn);
    EXPECT_TRUE(host.panel->m_vecData.empty());

    ChildProcess other;
    HWND hOther = nullptr;
    ASSERT_TRUE(StartFixture(other, "--title=Stranger --pos=500,80,400,300", &hOther));
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hOther); }, 5000));
    host.panel->addTargetWindow(hOther);
    ASSERT_EQ(host.panel->m_vecData.size(), 1u);
    const CEidrelData& d = host.panel->m_vecData[0];
    EXPECT_EQ(d.m_strTitle, "Stranger");
    EXPECT_EQ(d.m_strProgramName, fixture::kExeName);
    EXPECT_EQ(lstrcmpiA(d.m_strProgramPath, FixturePath().c_str()), 0) << d.m_strProgramPath.GetString();
    EXPECT_EQ(host.Column(0), (Rows{fixture::kExeName}));

    host.EndCopies();
    own.Kill();
    other.Kill();
}

// ---- Process names ------------------------------------------------------------------------------

TEST(ProcessNameTest, NamesOfThisProcess) {
    CString name;
    CString path;
    GetProcessBaseName(::GetCurrentProcessId(), name);
    GetProcessFilePath(::GetCurrentProcessId(), path);
    EXPECT_EQ(lstrcmpiA(name, ExeName().c_str()), 0) << name.GetString();
    EXPECT_EQ(lstrcmpiA(path, ExePath().c_str()), 0) << path.GetString();
}

TEST(ProcessNameTest, ProcessThatCannotBeOpenedGivesEmptyStrings) {
    CString name = "stale";
    CString path = "stale";
    GetProcessBaseName(0, name);
    GetProcessFilePath(0, path);
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_TRUE(path.IsEmpty());
}
