// The window copy: pinning and ending a copy, the concealment and the restore of the real window, the
// copy window's life, closing paths, capture and painting. The real windows are made by the test itself
// (same process; some on a thread of their own so that their owner relation is the one of another program).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "copy/EidrelData.h"
#include "copy/EidrelDlg.h"
#include "copy/MultiDisplay.h"
#include "copy/PlatformQueries.h"
#include "framework/Afx.h"
#include "panel/ControlDlg.h"
#include "res/resource.h"
#include "tests/common/ModalDriver.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestUtil.h"
#include "tests/unit/PanelTestSupport.h"

using panel_test::CopiesOwnedBy;
using panel_test::CopyPointFor;
using panel_test::CountedCopy;
using panel_test::CreateTarget;
using panel_test::g_deletedCopies;
using panel_test::g_liveCopies;
using panel_test::kBand;
using panel_test::MessagesOf;
using panel_test::PanelHost;
using panel_test::PinCounted;

namespace {

// ---- Real windows ------------------------------------------------------------------------------

constexpr COLORREF kGrey = RGB(200, 200, 200);

// A real window on a thread of its own, as the window of another program would be: destroying it does not
// take the copy window with it.
class ThreadTarget {
public:
    explicit ThreadTarget(RECT rect) : m_rect(rect) {
        m_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &ThreadTarget::Run, this, 0, nullptr);
        WaitForSingleObject(m_ready, 10000);
    }
    ~ThreadTarget() {
        Close();
        CloseHandle(m_thread);
        CloseHandle(m_ready);
    }
    HWND hwnd() const { return m_hwnd; }
    // Destroys the window on its own thread and waits until the thread has ended.
    void Close() {
        if (IsWindow(m_hwnd)) PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
        PumpUntil([this] { return WaitForSingleObject(m_thread, 0) == WAIT_OBJECT_0; }, 10000);
    }

private:
    static DWORD WINAPI Run(LPVOID p) {
        auto* self = static_cast<ThreadTarget*>(p);
        self->m_hwnd = CreateTarget(self->m_rect);
        SetWindowLongPtrA(self->m_hwnd, GWLP_USERDATA, 1);
        SetEvent(self->m_ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return 0;
    }
    RECT m_rect;
    HWND m_hwnd = nullptr;
    HANDLE m_ready = nullptr;
    HANDLE m_thread = nullptr;
};

constexpr RECT kTargetRect = {100, 50, 900, 650};

bool RectIs(const RECT& r, int l, int t, int rr, int b) {
    return r.left == l && r.top == t && r.right == rr && r.bottom == b;
}

std::string RectText(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) +
           "," + std::to_string(r.bottom) + ")";
}

struct Layered {
    bool ok = false;
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
};

Layered LayeredOf(HWND hwnd) {
    Layered l;
    l.ok = GetLayeredWindowAttributes(hwnd, &l.key, &l.alpha, &l.flags) != 0;
    return l;
}

// Keeps the process-wide settings of a test and puts them back afterwards.
class CopyTest : public testing::Test {
protected:
    void SetUp() override {
        g_bDebugMode = 0;
        g_pControlDlg = nullptr;
        g_liveCopies = 0;
        g_deletedCopies = 0;
    }
    void TearDown() override {
        for (HWND h : m_targets)
            if (IsWindow(h)) DestroyWindow(h);
        PumpFor(0);
    }
    HWND Target(RECT rect = kTargetRect, DWORD exStyle = 0) {
        HWND h = CreateTarget(rect, exStyle);
        m_targets.push_back(h);
        return h;
    }

    std::vector<HWND> m_targets;

private:
    Restore<int> m_debug{g_bDebugMode};
    Restore<int> m_interval{g_nRefreshInterval};
    Restore<CControlDlg*> m_panel{g_pControlDlg};
};

} // namespace

// ==== CEidrelData: pin and end ======================================================================

class EidrelDataTest : public CopyTest {};

TEST_F(EidrelDataTest, PinPlacesTheCopyFromTheInitialSize) {
    struct Case {
        RECT real;
        int nIniSize;
        RECT expected;
    };
    // Full size for anything but 1 and 2; half centred; a quarter an eighth in from the top-left corner;
    // odd sizes truncate (801 x 601 at half: 400 x 300, 200 and 150 in).
    const RECT odd = {100, 50, 901, 651};
    const Case cases[] = {{kTargetRect, 0, {100, 50, 900, 650}},  {kTargetRect, 3, {100, 50, 900, 650}},
                          {kTargetRect, -1, {100, 50, 900, 650}}, {kTargetRect, 1, {300, 200, 700, 500}},
                          {kTargetRect, 2, {200, 125, 400, 275}}, {odd, 1, {300, 200, 700, 500}}};
    for (const Case& c : cases) {
        HWND target = Target(c.real);
        CEidrelData data;
        data.m_strTitle = "Target";
        data.StartPin(target, c.nIniSize);
        ASSERT_NE(data.m_pDlg, nullptr) << c.nIniSize;
        HWND copy = data.m_pDlg->m_hWnd;
        EXPECT_EQ(data.m_bPinned, 1);
        EXPECT_EQ(data.m_hTarget, target);
        EXPECT_TRUE(EqualRect(&data.m_rectWin, &c.expected)) << c.nIniSize << " " << RectText(data.m_rectWin);
        RECT actual = WindowRectOf(copy);
        EXPECT_TRUE(EqualRect(&actual, &c.expected)) << c.nIniSize << " " << RectText(actual);
        // Owned by the real window, visible, captioned with the title.
        EXPECT_EQ(GetWindow(copy, GW_OWNER), target);
        EXPECT_TRUE(IsWindowVisible(copy));
        EXPECT_EQ(TextOf(copy), "幻写[Target]");
        data.EndPin();
        EXPECT_FALSE(IsWindow(copy));
    }
}

TEST_F(EidrelDataTest, SecondPinAndSecondEndChangeNothing) {
    HWND target = Target();
    CEidrelData data;
    data.m_strTitle = "Twice";
    StdoutCapture out;
    data.StartPin(target, 1);
    CEidrelDlg* first = data.m_pDlg;
    data.StartPin(target, 2);
    EXPECT_EQ(data.m_pDlg, first);
    EXPECT_EQ(CopiesOwnedBy(target).size(), 1u);
    EXPECT_EQ(out.Count("●●StartPin! title=Twice\n"), 1);
    EXPECT_EQ(out.Count("OnShowWindow() bShow=1, nStatus=0\n"), 1);

    data.EndPin();
    data.EndPin();
    out.Stop();
    EXPECT_EQ(out.Count("EndPin! title=Twice\n"), 1);
    EXPECT_EQ(data.m_bPinned, 0);
    EXPECT_EQ(data.m_pDlg, nullptr);
    EXPECT_TRUE(CopiesOwnedBy(target).empty());
}

TEST_F(EidrelDataTest, EndPinKeepsRectanglesAndARepinStartsFromThem) {
    HWND target = Target();
    CEidrelData data;
    data.m_strTitle = "Again";
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);
    // The user moves the copy; the real window's program moves the real window.
    data.m_pDlg->MoveWindow(320, 210, 400, 300);
    SetWindowPos(target, nullptr, 150, 80, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE);

    StdoutCapture out;
    data.EndPin();
    std::string text = out.Stop();
    EXPECT_TRUE(RectIs(data.m_rectWin, 320, 210, 720, 510)) << RectText(data.m_rectWin);
    EXPECT_TRUE(RectIs(data.m_rectTarget, 100, 50, 900, 650)) << RectText(data.m_rectTarget);
    EXPECT_NE(text.find("EndPin! title=Again\n■■m_rectWin.top=210, m_rectWin.left=320\n"), std::string::npos)
        << text;
    RECT back = WindowRectOf(target);
    EXPECT_TRUE(RectIs(back, 100, 50, 900, 650)) << RectText(back);

    // Pinned again at half size: half of the kept half-size copy, i.e. a quarter of the real window.
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);
    RECT again = WindowRectOf(data.m_pDlg->m_hWnd);
    EXPECT_TRUE(RectIs(again, 420, 285, 620, 435)) << RectText(again);
    data.EndPin();
}

TEST_F(EidrelDataTest, PinOfAVanishedWindowIsGivenUp) {
    HWND target = Target();
    DestroyWindow(target);
    CEidrelData data;
    StdoutCapture out;
    data.StartPin(target, 1);
    std::string text = out.Stop();
    EXPECT_EQ(data.m_bPinned, 0);
    EXPECT_EQ(data.m_pDlg, nullptr);
    EXPECT_EQ(out.Count("●●StartPin! title=\n"), 1);
    EXPECT_EQ(text.find("OnShowWindow"), std::string::npos);
    // The record may be pinned later like a new one.
    HWND other = Target();
    data.StartPin(other, 0);
    EXPECT_EQ(data.m_bPinned, 1);
    EXPECT_NE(data.m_pDlg, nullptr);
    data.EndPin();
}

TEST_F(EidrelDataTest, RecordCopiesShareTheCopyWindow) {
    HWND target = Target();
    auto data = std::make_unique<CEidrelData>();
    data->m_strTitle = "Shared";
    data->m_strProgramName = "prog.exe";
    data->StartPin(target, 1);
    CEidrelData keep(*data);
    CEidrelData assigned;
    assigned = keep;
    data.reset(); // destroying a copy of the record leaves the copy window alone
    ASSERT_NE(keep.m_pDlg, nullptr);
    EXPECT_TRUE(IsWindow(keep.m_pDlg->m_hWnd));
    EXPECT_EQ(assigned.m_pDlg, keep.m_pDlg);
    EXPECT_EQ(assigned.m_strProgramName, "prog.exe");
    EXPECT_TRUE(EqualRect(&assigned.m_rectWin, &keep.m_rectWin));
    keep.EndPin();
}

// ==== CEidrelDlg: concealment, restore, life ========================================================

class EidrelDlgTest : public CopyTest {};

TEST_F(EidrelDlgTest, RealWindowIsConcealedAndGivenBackAsItWas) {
    for (int debug : {0, 1}) {
        g_bDebugMode = debug;
        HWND target = Target();
        const LONG style = GetWindowLongA(target, GWL_STYLE);
        const LONG exStyle = GetWindowLongA(target, GWL_EXSTYLE);
        ASSERT_FALSE(exStyle & WS_EX_LAYERED);

        CEidrelData data;
        data.StartPin(target, 1);
        ASSERT_NE(data.m_pDlg, nullptr);
        EXPECT_EQ(GetWindowLongA(target, GWL_EXSTYLE), exStyle | WS_EX_LAYERED);
        Layered l = LayeredOf(target);
        EXPECT_TRUE(l.ok);
        EXPECT_EQ(l.alpha, debug ? 80 : 0);
        EXPECT_EQ(l.flags, static_cast<DWORD>(LWA_ALPHA));
        // Still where it was.
        RECT r = WindowRectOf(target);
        EXPECT_TRUE(EqualRect(&r, &kTargetRect)) << RectText(r);

        // A second concealment does nothing.
        SetLayeredWindowAttributes(target, 0, 33, LWA_ALPHA);
        data.m_pDlg->HideTargetWindow();
        EXPECT_EQ(LayeredOf(target).alpha, 33);

        // Its program moves and resizes it meanwhile; the restore puts it back to the binding-time rectangle.
        SetWindowPos(target, nullptr, 10, 20, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        data.EndPin();
        EXPECT_EQ(GetWindowLongA(target, GWL_STYLE), style);
        EXPECT_EQ(GetWindowLongA(target, GWL_EXSTYLE), exStyle);
        r = WindowRectOf(target);
        EXPECT_TRUE(EqualRect(&r, &kTargetRect)) << RectText(r);
    }
}

TEST_F(EidrelDlgTest, LayeredWindowGetsItsOwnAlphaBack) {
    HWND target = Target(kTargetRect, WS_EX_LAYERED);
    ASSERT_TRUE(SetLayeredWindowAttributes(target, RGB(1, 2, 3), 200, LWA_ALPHA | LWA_COLORKEY));
    CEidrelData data;
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);
    EXPECT_EQ(LayeredOf(target).alpha, 0);
    data.EndPin();
    EXPECT_TRUE(GetWindowLongA(target, GWL_EXSTYLE) & WS_EX_LAYERED);
    Layered l = LayeredOf(target);
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.alpha, 200);
    EXPECT_EQ(l.key, RGB(1, 2, 3));
    EXPECT_EQ(l.flags, static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY));
}

namespace {

// Draws a layered window as its program would without attributes: an opaque green picture of its own size,
// through UpdateLayeredWindow. Whether the system took it.
bool DrawWithUpdateLayeredWindow(HWND hwnd) {
    const RECT rc = WindowRectOf(hwnd);
    SIZE size = {rc.right - rc.left, rc.bottom - rc.top};
    POINT at = {rc.left, rc.top}, origin = {0, 0};
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::fill_n(static_cast<DWORD*>(bits), size.cx * size.cy, 0xFF00FF00u);
    HGDIOBJ old = SelectObject(mem, bmp);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const BOOL ok = UpdateLayeredWindow(hwnd, screen, &at, &size, mem, &origin, 0, &blend, ULW_ALPHA);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok != FALSE;
}

} // namespace

TEST_F(EidrelDlgTest, WindowDrawnWithUpdateLayeredWindowCanDrawItselfAgainAfterTheCopy) {
    HWND target = Target(kTargetRect, WS_EX_LAYERED);
    ASSERT_TRUE(DrawWithUpdateLayeredWindow(target));
    ASSERT_FALSE(LayeredOf(target).ok); // no attributes to save
    CEidrelData data;
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);
    data.EndPin();
    EXPECT_TRUE(GetWindowLongA(target, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(DrawWithUpdateLayeredWindow(target));
}

TEST_F(EidrelDlgTest, CopyIsDeletedOnceAndAVanishedRealWindowIsLeftAlone) {
    ThreadTarget t(kTargetRect);
    ASSERT_TRUE(IsWindow(t.hwnd()));
    CountedCopy* p = PinCounted(t.hwnd(), RECT{300, 200, 700, 500});
    ASSERT_NE(p, nullptr);
    HWND copy = p->m_hWnd;
    EXPECT_EQ(g_liveCopies, 1);
    t.Close();
    ASSERT_FALSE(IsWindow(t.hwnd()));
    // The copy of a window of another thread stays when that window goes.
    EXPECT_TRUE(IsWindow(copy));
    p->DestroyWindow();
    EXPECT_FALSE(IsWindow(copy));
    EXPECT_EQ(g_liveCopies, 0);
    EXPECT_EQ(g_deletedCopies, 1);
}

TEST_F(EidrelDlgTest, CopyDestroyedBehindItsBackStillGivesTheRealWindowBack) {
    HWND target = Target();
    const LONG exStyle = GetWindowLongA(target, GWL_EXSTYLE);
    CountedCopy* p = PinCounted(target, RECT{300, 200, 700, 500});
    ASSERT_NE(p, nullptr);
    SetWindowPos(target, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    ::DestroyWindow(p->m_hWnd); // not through CEidrelDlg::DestroyWindow
    EXPECT_EQ(g_deletedCopies, 1);
    EXPECT_EQ(GetWindowLongA(target, GWL_EXSTYLE), exStyle);
    RECT r = WindowRectOf(target);
    EXPECT_TRUE(EqualRect(&r, &kTargetRect)) << RectText(r);
}

TEST_F(EidrelDlgTest, CopyKeepsItsLastRectangleOnTheDesktop) {
    HWND target = Target();
    CEidrelData data;
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);
    CEidrelDlg* dlg = data.m_pDlg;
    const bool single = CMultiDisplay::GetInstance()->m_nMonitorCount <= 1;
    dlg->MoveWindow(50, 60, 400, 300);
    EXPECT_TRUE(RectIs(dlg->m_rectWindow, 50, 60, 450, 360)) << RectText(dlg->m_rectWindow);
    dlg->MoveWindow(-5000, -5000, 400, 300);
    if (single) {
        EXPECT_TRUE(RectIs(dlg->m_rectWindow, 50, 60, 450, 360)) << RectText(dlg->m_rectWindow);
    }
    data.EndPin();
    if (single) {
        EXPECT_TRUE(RectIs(data.m_rectWin, 50, 60, 450, 360)) << RectText(data.m_rectWin);
    }
}

TEST_F(EidrelDlgTest, SystemMenuOpensTheVersionBoxModally) {
    HWND target = Target();
    CEidrelData data;
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);
    HWND copy = data.m_pDlg->m_hWnd;
    HMENU sys = GetSystemMenu(copy, FALSE);
    char text[128] = {};
    ASSERT_GT(GetMenuStringA(sys, IDM_ABOUTBOX, text, sizeof text, MF_BYCOMMAND), 0);
    EXPECT_STREQ(text, "朧写鏡 のﾊﾞｰｼﾞｮﾝ情報(&A)...");

    // While the box is open (inside the modal loop) the flag is set; the box is then closed with OK.
    int flagWhileOpen = -1;
    HWND versionBox = nullptr;
    Script script;
    script.Then([&] {
        for (HWND h : ThreadDialogs()) {
            if (!GetDlgItem(h, IDC_STATIC_VERSION)) continue;
            versionBox = h;
            flagWhileOpen = g_bModalDialogOpen;
            PostClick(h, IDOK);
            return true;
        }
        return false;
    });
    script.RunWith([&] { return SendMessageA(copy, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); });
    EXPECT_NE(versionBox, nullptr);
    EXPECT_EQ(flagWhileOpen, 1);
    EXPECT_EQ(g_bModalDialogOpen, 0);
    EXPECT_FALSE(IsWindow(versionBox));
    EXPECT_TRUE(IsWindow(copy)); // the command closes nothing
    data.EndPin();
}

// ---- Closing a copy, through the panel ----------------------------------------------------------

namespace {

// Posts a key to the copy and lets it through the dialog key handling, as the program's loops do.
void PressKey(HWND hwnd, UINT msg, WPARAM vk, LPARAM lParam) {
    PostMessageA(hwnd, msg, vk, lParam);
    DrainMessages();
}

} // namespace

TEST_F(EidrelDlgTest, EscCloseBoxAndAltF4EndTheCopyThroughThePanel) {
    PanelHost host;
    ASSERT_EQ(g_pControlDlg, host.panel);
    enum Way { kEsc, kClose, kAltF4, kSysClose };
    for (Way way : {kEsc, kClose, kAltF4, kSysClose}) {
        HWND target = Target();
        const LONG exStyle = GetWindowLongA(target, GWL_EXSTYLE);
        CEidrelDlg* dlg = host.Pin(target);
        ASSERT_NE(dlg, nullptr);
        HWND copy = dlg->m_hWnd;

        // Enter leaves the copy open.
        PressKey(copy, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        ASSERT_TRUE(IsWindow(copy)) << way;
        ASSERT_EQ(host.panel->m_vecData.size(), 1u);

        switch (way) {
        case kEsc:
            PressKey(copy, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            break;
        case kClose:
            SendMessageA(copy, WM_CLOSE, 0, 0);
            break;
        case kAltF4:
            PressKey(copy, WM_SYSKEYDOWN, VK_F4, 0x203E0001); // context code: Alt held
            break;
        case kSysClose:
            SendMessageA(copy, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
        EXPECT_FALSE(IsWindow(copy)) << way;
        EXPECT_TRUE(host.panel->m_vecData.empty()) << way;
        EXPECT_EQ(GetWindowLongA(target, GWL_EXSTYLE), exStyle) << way;
    }
}

TEST_F(EidrelDlgTest, WithoutAPanelClosingDoesNothing) {
    HWND target = Target();
    CEidrelData data;
    data.StartPin(target, 1);
    ASSERT_NE(data.m_pDlg, nullptr);
    HWND copy = data.m_pDlg->m_hWnd;
    SendMessageA(copy, WM_CLOSE, 0, 0);
    PressKey(copy, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_TRUE(IsWindow(copy));
    EXPECT_TRUE(GetWindowLongA(target, GWL_EXSTYLE) & WS_EX_LAYERED);
    data.EndPin();
    EXPECT_FALSE(GetWindowLongA(target, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(EidrelDlgTest, TickRemovesTheCopyOfAVanishedWindow) {
    g_nRefreshInterval = 1; // 100 ms
    PanelHost host;
    ThreadTarget t(kTargetRect);
    CEidrelDlg* dlg = host.Pin(t.hwnd());
    ASSERT_NE(dlg, nullptr);
    HWND copy = dlg->m_hWnd;
    // Ticks go on while the real window lives.
    PumpFor(350);
    ASSERT_TRUE(IsWindow(copy));
    ASSERT_EQ(host.panel->m_vecData.size(), 1u);
    t.Close();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(copy); }, 3000));
    EXPECT_TRUE(host.panel->m_vecData.empty());
}

// ---- Capture and painting ----------------------------------------------------------------------

namespace {

// The point of the cache that shows the point (x, y) of the real window's client area.
POINT CachePointOf(CEidrelDlg* dlg, HWND target, int x, int y) {
    RECT wr;
    GetWindowRect(target, &wr);
    POINT client = {0, 0};
    ClientToScreen(target, &client);
    // Content coordinates: from the corner of the window less the frame and the caption.
    const int contentX = x + client.x - (wr.left + dlg->m_nXOffset);
    const int contentY = y + client.y - (wr.top + dlg->m_nYOffset);
    const int contentWidth = (wr.right - wr.left) - 2 * dlg->m_nXOffset;
    const int contentHeight = (wr.bottom - wr.top) - dlg->m_nYOffset - dlg->m_nBottomOffset;
    return POINT{contentX * dlg->m_nCacheWidth / contentWidth,
                 contentY * dlg->m_nCacheHeight / contentHeight};
}

COLORREF CachePixelAt(CEidrelDlg* dlg, HWND target, int x, int y) {
    POINT p = CachePointOf(dlg, target, x, y);
    return PixelOfBitmap(dlg->m_bmpCache, p.x, p.y);
}

std::string Hex(COLORREF c) {
    char b[16];
    snprintf(b, sizeof b, "%06lx", static_cast<unsigned long>(c));
    return b;
}

} // namespace

// The fixture program's window is a window of another process, whose input-idle state the capture can
// wait for (a process cannot wait for its own).
TEST_F(EidrelDlgTest, BindingMeasuresTheFrameOfAnotherProgramsWindow) {
    FixtureWindow fixture;
    ASSERT_TRUE(fixture.Start());
    HWND target = fixture.hwnd;

    StdoutCapture out;
    CEidrelData data;
    data.StartPin(target, 1);
    std::string text = out.Stop();
    ASSERT_NE(data.m_pDlg, nullptr);
    CEidrelDlg* dlg = data.m_pDlg;

    RECT wr = WindowRectOf(target);
    RECT cr;
    GetClientRect(target, &cr);
    const int frame = ((wr.right - wr.left) - cr.right) / 2;
    EXPECT_EQ(dlg->m_nXOffset, frame);
    EXPECT_EQ(dlg->m_nBottomOffset, frame);
    EXPECT_EQ(dlg->m_nYOffset, frame + GetSystemMetrics(SM_CYCAPTION));
    char line[160];
    snprintf(line, sizeof line,
             "WH=%d, CH=%d, TITLE=%d, FRAMEY=%d, FIXFRAMY=%d, SIZEY=%d\nXOFFSET=%d, YOFFSET=%d\n",
             static_cast<int>(wr.bottom - wr.top), static_cast<int>(cr.bottom),
             GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CYDLGFRAME),
             GetSystemMetrics(SM_CYSIZE), dlg->m_nXOffset, dlg->m_nYOffset);
    EXPECT_NE(text.find(line), std::string::npos) << text;
    // The idle program is captured at once, into a cache of the copy's size.
    EXPECT_EQ(text.find("WaitForInputIdle"), std::string::npos) << text;
    RECT copyClient;
    GetClientRect(dlg->m_hWnd, &copyClient);
    EXPECT_EQ(dlg->m_nCacheWidth, copyClient.right);
    EXPECT_EQ(dlg->m_nCacheHeight, copyClient.bottom);
    const int contentWidth = (wr.right - wr.left) - 2 * dlg->m_nXOffset;
    const int contentHeight = (wr.bottom - wr.top) - dlg->m_nYOffset - dlg->m_nBottomOffset;
    EXPECT_DOUBLE_EQ(dlg->m_dScaleX, static_cast<double>(copyClient.right) / contentWidth);
    EXPECT_DOUBLE_EQ(dlg->m_dScaleY, static_cast<double>(copyClient.bottom) / contentHeight);
    data.EndPin();
}

TEST_F(EidrelDlgTest, CaptureShowsTheContentScaledToTheCopy) {
    HWND target = Target();
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500}, true);
    ASSERT_NE(dlg, nullptr);
    RECT copyClient;
    GetClientRect(dlg->m_hWnd, &copyClient);
    ASSERT_EQ(dlg->m_nCacheWidth, copyClient.right);
    ASSERT_EQ(dlg->m_nCacheHeight, copyClient.bottom);

    // The four quadrants without caption or frame, at their scaled places.
    RECT cr;
    GetClientRect(target, &cr);
    const int cw = cr.right, ch = cr.bottom - kBand;
    for (int q = 0; q < 4; ++q) {
        POINT p = fixture::QuadrantCentre(q, cw, ch);
        COLORREF got = CachePixelAt(dlg, target, p.x, p.y);
        EXPECT_EQ(got, fixture::kQuadrantColour[q]) << "quadrant " << q << " got " << Hex(got);
    }
    // Just inside the top-left corner: the client area, no caption or frame.
    EXPECT_EQ(PixelOfBitmap(dlg->m_bmpCache, 1, 1), fixture::kQuadrantColour[fixture::kTopLeft]);
    // What the real window leaves unpainted is grey.
    COLORREF band = CachePixelAt(dlg, target, cw - 40, ch + kBand / 2);
    EXPECT_EQ(band, kGrey) << Hex(band);

    // The copy shows the cache, 1:1 at this size.
    UpdateWindow(dlg->m_hWnd);
    Image shown = ClientImage(dlg->m_hWnd);
    ASSERT_FALSE(shown.Empty());
    for (int q = 0; q < 4; ++q) {
        POINT p = CachePointOf(dlg, target, fixture::QuadrantCentre(q, cw, ch).x,
                               fixture::QuadrantCentre(q, cw, ch).y);
        EXPECT_EQ(shown.At(p.x, p.y), fixture::kQuadrantColour[q]) << "quadrant " << q;
    }
    dlg->DestroyWindow();
    EXPECT_EQ(g_deletedCopies, 1);
}

TEST_F(EidrelDlgTest, ResizedCopyIsRecapturedAtItsNewSizeOnTheNextTick) {
    g_nRefreshInterval = 1;
    HWND target = Target();
    CountedCopy* dlg = PinCounted(target, RECT{200, 125, 400, 275}, true);
    ASSERT_NE(dlg, nullptr);
    dlg->MoveWindow(300, 200, 500, 350);
    RECT cc;
    GetClientRect(dlg->m_hWnd, &cc);
    ASSERT_NE(dlg->m_nCacheWidth, cc.right);
    ASSERT_TRUE(
        PumpUntil([&] { return dlg->m_nCacheWidth == cc.right && dlg->m_nCacheHeight == cc.bottom; }, 3000));
    RECT cr;
    GetClientRect(target, &cr);
    POINT p = fixture::QuadrantCentre(fixture::kBottomLeft, cr.right, cr.bottom - kBand);
    EXPECT_EQ(CachePixelAt(dlg, target, p.x, p.y), fixture::kQuadrantColour[fixture::kBottomLeft]);
    dlg->DestroyWindow();
}

TEST_F(EidrelDlgTest, TooSmallRealWindowKeepsThePreviousPicture) {
    HWND target = Target();
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500}, true);
    ASSERT_NE(dlg, nullptr);
    const int width = dlg->m_nCacheWidth, height = dlg->m_nCacheHeight;
    ASSERT_GT(width, 0);
    const double sx = dlg->m_dScaleX, sy = dlg->m_dScaleY;
    HGDIOBJ cache = dlg->m_bmpCache.GetSafeHandle();
    // No bigger than its frame and caption: no content to capture.
    SetWindowPos(target, nullptr, 0, 0, 2 * dlg->m_nXOffset, dlg->m_nYOffset + dlg->m_nBottomOffset,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    dlg->CaptureTarget();
    EXPECT_EQ(dlg->m_nCacheWidth, width);
    EXPECT_EQ(dlg->m_nCacheHeight, height);
    EXPECT_EQ(dlg->m_dScaleX, sx);
    EXPECT_EQ(dlg->m_dScaleY, sy);
    EXPECT_EQ(dlg->m_bmpCache.GetSafeHandle(), cache);
    // Zoom and mapping keep working with the kept scales.
    dlg->ChangeZoom(-50, -50);
    dlg->ChangePan(10000, 10000);
    dlg->CalcZoomSource();
    EXPECT_EQ(dlg->m_nSrcLeft + dlg->m_nSrcWidth, width);
    EXPECT_EQ(dlg->m_nSrcTop + dlg->m_nSrcHeight, height);
    dlg->DestroyWindow();
}

TEST_F(EidrelDlgTest, BusyRealWindowShowsThePlaceholder) {
    FixtureWindow fixture;
    ASSERT_TRUE(fixture.Start("--busy-every=150"));
    HWND target = fixture.hwnd;
    StdoutCapture out;
    CEidrelData data;
    data.m_strTitle = "Busy";
    data.StartPin(target, 1);
    std::string text = out.Stop();
    ASSERT_NE(data.m_pDlg, nullptr);
    CEidrelDlg* dlg = data.m_pDlg;
    EXPECT_EQ(dlg->m_nCacheWidth, 0);
    EXPECT_NE(text.find("WaitForInputIdle()関数がTIMEOUTです\n"), std::string::npos) << text;

    // Grey, with the title in one line at the top-left.
    UpdateWindow(dlg->m_hWnd);
    RECT cc;
    GetClientRect(dlg->m_hWnd, &cc);
    Image shown = ClientImage(dlg->m_hWnd);
    ASSERT_FALSE(shown.Empty());
    EXPECT_EQ(shown.At(cc.right / 2, cc.bottom / 2), kGrey);
    EXPECT_EQ(shown.At(cc.right - 2, cc.bottom - 2), kGrey);
    int dark = 0;
    for (int y = 0; y < 16 && y < shown.height; ++y)
        for (int x = 0; x < 40 && x < shown.width; ++x)
            if (shown.At(x, y) != kGrey) ++dark;
    EXPECT_GT(dark, 0) << "no title drawn";
    data.EndPin();
}

TEST_F(EidrelDlgTest, CapturePassesLeaveNoGdiObjectsBehind) {
    HWND target = Target();
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500}, true);
    ASSERT_NE(dlg, nullptr);
    int grows = 0;
    auto pass = [&] {
        // Alternate sizes so that the cache is made anew at another size as well.
        grows ^= 1;
        dlg->MoveWindow(300, 200, 400 + grows * 10, 300 + grows * 10);
        dlg->CaptureTarget();
        dlg->Invalidate(TRUE);
        UpdateWindow(dlg->m_hWnd);
    };
    // The platform's count where it keeps one; else the slot a new GDI object gets: leaked objects keep
    // their slots, so new objects go to ever higher ones, while freed slots are handed out again.
    const bool counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0;
    auto probe = [&]() -> long {
        if (counted) return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        HBRUSH b = CreateSolidBrush(RGB(1, 1, 1));
        long slot = static_cast<long>(reinterpret_cast<UINT_PTR>(b) & 0xFFFF);
        DeleteObject(b);
        return slot;
    };
    for (int i = 0; i < 10; ++i) pass();
    const long before = probe();
    for (int i = 0; i < 300; ++i) pass();
    const long after = probe();
    std::printf("GDI measure: %s %ld -> %ld\n", counted ? "GetGuiResources" : "handle slot", before, after);
    EXPECT_LE(after - before, 8) << (counted ? "GetGuiResources" : "handle slot") << " " << before << " -> "
                                 << after;
    EXPECT_GT(dlg->m_nCacheWidth, 0);
    dlg->DestroyWindow();
}

// ==== Zoom and pan ==================================================================================

namespace {

void Wheel(HWND copy, short delta, WORD keys = 0) {
    POINT pt = {0, 0};
    ClientToScreen(copy, &pt);
    SendMessageA(copy, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)), MAKELPARAM(pt.x, pt.y));
}

// Sets the Shift key's state for this thread, as GetKeyState sees it.
void SetShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

} // namespace

class EidrelDlgZoomTest : public CopyTest {
protected:
    void SetUp() override {
        CopyTest::SetUp();
        m_target = Target();
        m_dlg = PinCounted(m_target, RECT{300, 200, 700, 500});
        ASSERT_NE(m_dlg, nullptr);
    }
    void TearDown() override {
        SetShift(false);
        if (m_dlg) m_dlg->DestroyWindow();
        CopyTest::TearDown();
    }
    // A picture of w x h cache units at the given scale, as a capture would leave it.
    void Picture(int w, int h, double scale) {
        m_dlg->m_nCacheWidth = w;
        m_dlg->m_nCacheHeight = h;
        m_dlg->m_dScaleX = scale;
        m_dlg->m_dScaleY = scale;
    }
    HWND m_target = nullptr;
    CountedCopy* m_dlg = nullptr;
};

TEST_F(EidrelDlgZoomTest, WheelNarrowsAndWidensTheViewByNotches) {
    HWND copy = m_dlg->m_hWnd;
    EXPECT_EQ(m_dlg->m_nZoomX, 100);
    Wheel(copy, 360);
    EXPECT_EQ(m_dlg->m_nZoomX, 97);
    EXPECT_EQ(m_dlg->m_nZoomY, 97);
    Wheel(copy, 60); // less than a notch: nothing, and nothing carried over
    Wheel(copy, 60);
    EXPECT_EQ(m_dlg->m_nZoomX, 97);
    Wheel(copy, 240, MK_CONTROL);
    EXPECT_EQ(m_dlg->m_nZoomX, 95);
    EXPECT_EQ(m_dlg->m_nZoomY, 97);
    Wheel(copy, 120, MK_SHIFT);
    EXPECT_EQ(m_dlg->m_nZoomX, 95);
    EXPECT_EQ(m_dlg->m_nZoomY, 96);
    Wheel(copy, 120, MK_CONTROL | MK_SHIFT); // Ctrl wins
    EXPECT_EQ(m_dlg->m_nZoomX, 94);
    EXPECT_EQ(m_dlg->m_nZoomY, 96);
    Wheel(copy, -120 * 20);
    EXPECT_EQ(m_dlg->m_nZoomX, 100);
    EXPECT_EQ(m_dlg->m_nZoomY, 100);
    Wheel(copy, 120 * 200);
    EXPECT_EQ(m_dlg->m_nZoomX, 0);
    EXPECT_EQ(m_dlg->m_nZoomY, 0);

    // Under composition the modifier keys are ignored: both axes change. (The flag is set only for the
    // message; nothing is painted meanwhile.)
    m_dlg->ResetZoom();
    m_dlg->m_bComposition = TRUE;
    Wheel(copy, 120, MK_CONTROL);
    Wheel(copy, 120, MK_SHIFT);
    m_dlg->m_bComposition = FALSE;
    EXPECT_EQ(m_dlg->m_nZoomX, 98);
    EXPECT_EQ(m_dlg->m_nZoomY, 98);
}

TEST_F(EidrelDlgZoomTest, ZoomSourceStaysInsideThePicture) {
    Picture(400, 300, 1.0);
    m_dlg->ChangeZoom(-50, -50);
    m_dlg->CalcZoomSource();
    EXPECT_EQ(m_dlg->m_nSrcWidth, 200);
    EXPECT_EQ(m_dlg->m_nSrcHeight, 150);
    EXPECT_EQ(m_dlg->m_nSrcLeft, 100);
    EXPECT_EQ(m_dlg->m_nSrcTop, 75);

    // Beyond the right and top edges: put at the edge, the pan rewritten to the edge's value.
    m_dlg->ChangePan(150, -500);
    m_dlg->CalcZoomSource();
    EXPECT_EQ(m_dlg->m_nSrcLeft, 200);
    EXPECT_EQ(m_dlg->m_nPanX, 100);
    EXPECT_EQ(m_dlg->m_nSrcTop, 0);
    EXPECT_EQ(m_dlg->m_nPanY, -75);

    // An odd margin: the rewritten pan places the next source one unit left of the edge.
    Picture(401, 300, 1.0);
    m_dlg->ChangePan(10000, 0);
    m_dlg->CalcZoomSource();
    EXPECT_EQ(m_dlg->m_nSrcLeft, 201);
    EXPECT_EQ(m_dlg->m_nPanX, 100);
    m_dlg->CalcZoomSource();
    EXPECT_EQ(m_dlg->m_nSrcLeft, 200);

    // The pan is in content pixels: with a scale of 2 it moves the source twice as far.
    Picture(800, 600, 2.0);
    m_dlg->m_nPanX = 10;
    m_dlg->m_nPanY = 0;
    m_dlg->CalcZoomSource();
    EXPECT_EQ(m_dlg->m_nSrcLeft, 200 + 20);

    // At 0 % one unit is shown.
    m_dlg->ChangeZoom(-100, -100);
    m_dlg->CalcZoomSource();
    EXPECT_EQ(m_dlg->m_nSrcWidth, 1);
    EXPECT_EQ(m_dlg->m_nSrcHeight, 1);
}

TEST_F(EidrelDlgZoomTest, AnAxisAt100ShowsItWhole) {
    Picture(400, 300, 1.0);
    m_dlg->ChangeZoom(0, -50);
    m_dlg->m_nPanX = 5;
    m_dlg->CalcZoomSource();
    EXPECT_EQ(m_dlg->m_nSrcLeft, 0);
    EXPECT_EQ(m_dlg->m_nSrcWidth, 400);
    EXPECT_EQ(m_dlg->m_nPanX, 0); // it would have moved the source: rewritten
    // A pan whose scaled value truncates to 0 stays.
    Picture(400, 300, 0.1);
    m_dlg->m_nPanX = 5;
    m_dlg->CalcZoomSource();
    EXPECT_EQ(m_dlg->m_nPanX, 5);
    // A scale of 0 or one that is no number moves nothing and is never divided by.
    for (double bad : {0.0, std::nan(""), HUGE_VAL}) {
        Picture(400, 300, bad);
        m_dlg->m_nPanY = 9999;
        m_dlg->CalcZoomSource();
        EXPECT_EQ(m_dlg->m_nPanY, 9999);
        EXPECT_EQ(m_dlg->m_nSrcTop, 75);
    }
}

TEST_F(EidrelDlgZoomTest, KeysPanByFourOrByOneWithShift) {
    HWND copy = m_dlg->m_hWnd;
    PressKey(copy, WM_KEYDOWN, VK_RIGHT, 0x014D0001);
    EXPECT_EQ(m_dlg->m_nPanX, 4);
    PressKey(copy, WM_KEYDOWN, 'A', 0x001E0001);
    EXPECT_EQ(m_dlg->m_nPanX, 0);
    PressKey(copy, WM_KEYDOWN, 'Z', 0x002C0001);
    PressKey(copy, WM_KEYDOWN, VK_DOWN, 0x01500001);
    EXPECT_EQ(m_dlg->m_nPanY, 8);
    SetShift(true);
    PressKey(copy, WM_KEYDOWN, 'W', 0x00110001);
    PressKey(copy, WM_KEYDOWN, 'S', 0x001F0001);
    PressKey(copy, WM_KEYDOWN, VK_UP, 0x01480001);
    PressKey(copy, WM_KEYDOWN, VK_LEFT, 0x014B0001);
    SetShift(false);
    EXPECT_EQ(m_dlg->m_nPanX, 0);
    EXPECT_EQ(m_dlg->m_nPanY, 6);
    // The pan is kept within +-10000 while the view is unzoomed.
    for (int i = 0; i < 2600; ++i) m_dlg->ChangePan(4, -4);
    EXPECT_EQ(m_dlg->m_nPanX, 10000);
    EXPECT_EQ(m_dlg->m_nPanY, -10000);
    EXPECT_EQ(m_dlg->m_nZoomX, 100);
}

TEST_F(EidrelDlgZoomTest, DraggingPansTheZoomedViewWithRemainders) {
    HWND copy = m_dlg->m_hWnd;
    RECT cc = {0, 0, 400, 300};
    AdjustWindowRectEx(&cc, GetWindowLongA(copy, GWL_STYLE), FALSE, GetWindowLongA(copy, GWL_EXSTYLE));
    m_dlg->MoveWindow(300, 200, cc.right - cc.left, cc.bottom - cc.top);
    GetClientRect(copy, &cc);
    ASSERT_EQ(cc.right, 400);
    ASSERT_EQ(cc.bottom, 300);
    // Unzoomed: a drag changes nothing.
    SendMessageA(copy, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    EXPECT_EQ(GetCapture(), copy);
    SendMessageA(copy, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 60));
    EXPECT_EQ(m_dlg->m_nPanX, 0);
    EXPECT_EQ(m_dlg->m_nLastX, 100);
    SendMessageA(copy, WM_LBUTTONUP, 0, MAKELPARAM(50, 60));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(m_dlg->m_bLButtonDown);

    // Zoomed: the source width over the client width per pixel; fractions add up.
    m_dlg->ChangeZoom(-50, -50);
    m_dlg->m_nSrcWidth = 100;  // a quarter unit per pixel
    m_dlg->m_nSrcHeight = 150; // half a unit per pixel
    SendMessageA(copy, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageA(copy, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(99, 100));
    SendMessageA(copy, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(98, 100));
    SendMessageA(copy, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(97, 100));
    EXPECT_EQ(m_dlg->m_nPanX, 0);
    SendMessageA(copy, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(96, 100));
    EXPECT_EQ(m_dlg->m_nPanX, 1); // four pixels to the left: one unit to the right
    SendMessageA(copy, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(96, 110));
    EXPECT_EQ(m_dlg->m_nPanY, -5); // the picture follows the mouse down: the source moves up
    EXPECT_EQ(m_dlg->m_nLastY, 110);
    SendMessageA(copy, WM_LBUTTONUP, 0, MAKELPARAM(96, 110));
}

// ==== Child-window snapshot and search ==============================================================

namespace {

// Makes the copy's client area exactly w x h.
void SetClientSize(CEidrelDlg* dlg, int w, int h) {
    RECT r = {0, 0, w, h};
    AdjustWindowRectEx(&r, GetWindowLongA(dlg->m_hWnd, GWL_STYLE), FALSE,
                       GetWindowLongA(dlg->m_hWnd, GWL_EXSTYLE));
    RECT now = WindowRectOf(dlg->m_hWnd);
    dlg->MoveWindow(now.left, now.top, r.right - r.left, r.bottom - r.top);
}

} // namespace

class EidrelDlgChildrenTest : public CopyTest {};

TEST_F(EidrelDlgChildrenTest, SnapshotAndSearchFollowTheChildTree) {
    FixtureWindow fixture;
    ASSERT_TRUE(fixture.Start());
    HWND target = fixture.hwnd;
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500});
    ASSERT_NE(dlg, nullptr);
    HWND innerButton = FixtureChild(target, fixture::kIdInnerButton);
    HWND panelButton = FixtureChild(target, fixture::kIdPanelButton);
    HWND panel = FixtureChild(target, fixture::kIdPanel);
    ASSERT_TRUE(innerButton && panelButton && panel);

    // Before the first tick the snapshot is empty: the real window itself.
    HWND found = nullptr;
    EXPECT_TRUE(dlg->FindDeepestChild(CentreOf(innerButton), &found));
    EXPECT_EQ(found, target);

    dlg->RefreshChildList();
    ASSERT_EQ(dlg->m_vecChildWinInf.size(), std::size(fixture::kChildren));
    for (const fixture::ChildSpec& spec : fixture::kChildren) {
        HWND h = FixtureChild(target, spec.id);
        bool seen = false;
        for (const CChildWinInf& inf : dlg->m_vecChildWinInf) {
            if (inf.m_hWindow != h) continue;
            seen = true;
            EXPECT_EQ(inf.m_hParent,
                      spec.parentId == fixture::kIdMain ? target : FixtureChild(target, spec.parentId));
            EXPECT_EQ(inf.m_bVisible != 0, spec.visible) << spec.id;
            EXPECT_EQ(inf.m_bEnabled != 0, spec.enabled) << spec.id;
        }
        EXPECT_TRUE(seen) << spec.id;
    }

    StdoutCapture out;
    // Three levels down.
    found = nullptr;
    EXPECT_TRUE(dlg->FindDeepestChild(CentreOf(innerButton), &found));
    EXPECT_EQ(found, innerButton);
    std::string text = out.Text();
    POINT client = CentreOf(innerButton);
    ScreenToClient(target, &client);
    char line[96];
    snprintf(line, sizeof line, "spoint x=%d, y=%d\nFind ChildWindow handle=0x%08x\n",
             static_cast<int>(client.x), static_cast<int>(client.y),
             static_cast<unsigned>(reinterpret_cast<UINT_PTR>(panel)));
    EXPECT_NE(text.find(line), std::string::npos) << text;

    EXPECT_TRUE(dlg->FindDeepestChild(CentreOf(panelButton), &found));
    EXPECT_EQ(found, panelButton);
    // The right edge of a window lies outside it.
    RECT br = WindowRectOf(panelButton);
    EXPECT_TRUE(dlg->FindDeepestChild(POINT{br.right, (br.top + br.bottom) / 2}, &found));
    EXPECT_EQ(found, panel);
    EXPECT_TRUE(dlg->FindDeepestChild(POINT{br.right - 1, br.bottom - 1}, &found));
    EXPECT_EQ(found, panelButton);
    // A disabled window hides its enabled child; a hidden one is not found.
    EXPECT_TRUE(dlg->FindDeepestChild(CentreOf(FixtureChild(target, fixture::kIdEnabledButton)), &found));
    EXPECT_EQ(found, target);
    EXPECT_TRUE(dlg->FindDeepestChild(CentreOf(FixtureChild(target, fixture::kIdHiddenButton)), &found));
    EXPECT_EQ(found, target);
    // Over no child: the real window.
    RECT cr;
    GetClientRect(target, &cr);
    POINT corner = {cr.right - 5, cr.bottom - 5};
    ClientToScreen(target, &corner);
    EXPECT_TRUE(dlg->FindDeepestChild(corner, &found));
    EXPECT_EQ(found, target);
    out.Stop();
    dlg->DestroyWindow();
}

TEST_F(EidrelDlgChildrenTest, SearchGoesTenLevelsDeepAndNoFurther) {
    HWND target = Target();
    // A chain of nested windows, each one pixel inside its parent.
    std::vector<HWND> chain;
    HWND parent = target;
    for (int level = 1; level <= 11; ++level) {
        HWND h = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 1, 1, 100 - 2 * level,
                                 100 - 2 * level, parent, nullptr, nullptr, nullptr);
        chain.push_back(h);
        parent = h;
    }
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500});
    ASSERT_NE(dlg, nullptr);
    POINT pt = CentreOf(chain.back());

    // Ten levels: found.
    ShowWindow(chain[10], SW_HIDE);
    dlg->RefreshChildList();
    HWND found = nullptr;
    EXPECT_TRUE(dlg->FindDeepestChild(pt, &found));
    EXPECT_EQ(found, chain[9]);
    // Eleven: the search gives up and leaves its result alone.
    ShowWindow(chain[10], SW_SHOWNA);
    dlg->RefreshChildList();
    found = reinterpret_cast<HWND>(1);
    EXPECT_FALSE(dlg->FindDeepestChild(pt, &found));
    EXPECT_EQ(found, reinterpret_cast<HWND>(1));
    // A child destroyed since the snapshot never matches: the search ends at its parent.
    DestroyWindow(chain[5]);
    EXPECT_TRUE(dlg->FindDeepestChild(pt, &found));
    EXPECT_EQ(found, chain[4]);
    // No real window: nothing found.
    dlg->m_hTarget = nullptr;
    StdoutCapture out;
    EXPECT_FALSE(dlg->FindDeepestChild(pt, &found));
    EXPECT_NE(out.Stop().find("NotFind ChildWindow!\n"), std::string::npos);
    dlg->m_hTarget = target;
    dlg->DestroyWindow();
}

// ==== Click forwarding ==============================================================================

class EidrelDlgForwardTest : public CopyTest {};

TEST_F(EidrelDlgForwardTest, ClicksReachTheChildUnderTheCursor) {
    FixtureWindow fixture;
    ASSERT_TRUE(fixture.Start());
    HWND target = fixture.hwnd;
    FixtureLog log;
    ASSERT_TRUE(log.Open(fixture.proc.pid));
    PanelHost host;
    CEidrelDlg* dlg = host.Pin(target);
    ASSERT_NE(dlg, nullptr);
    HWND copy = dlg->m_hWnd;
    dlg->RefreshChildList();
    HWND button = FixtureChild(target, fixture::kIdPanelButton);
    const RECT before = WindowRectOf(target);

    // Neither setting on: nothing is posted or moved; a plain move gives the copy the focus.
    POINT c = CopyPointFor(dlg, CentreOf(button));
    uint32_t from = log.Written();
    SendMessageA(copy, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    SendMessageA(copy, WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    SendMessageA(copy, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    SendMessageA(copy, WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
    PumpFor(200);
    EXPECT_TRUE(MessagesOf(log, fixture::kIdPanelButton, from).empty());
    RECT now = WindowRectOf(target);
    EXPECT_TRUE(EqualRect(&now, &before));
    EXPECT_EQ(GetFocus(), copy);

    // Single clicks on: a release posts a whole click to the button, which then lies under the cursor.
    host.panel->m_nLeftClk = 1;
    from = log.Written();
    StdoutCapture out;
    SendMessageA(copy, WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    std::string text = out.Stop();
    const std::vector<UINT> click = {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP};
    EXPECT_TRUE(PumpUntil([&] { return MessagesOf(log, fixture::kIdPanelButton, from).size() >= 4; }, 3000));
    EXPECT_EQ(MessagesOf(log, fixture::kIdPanelButton, from), click);
    auto records = log.Find(fixture::kIdPanelButton, WM_LBUTTONUP, from);
    ASSERT_FALSE(records.empty());
    POINT posted = {records.back().x, records.back().y};
    ClientToScreen(button, &posted);
    POINT cursor = c;
    ClientToScreen(copy, &cursor);
    EXPECT_LE(std::abs(posted.x - cursor.x), 0);
    EXPECT_LE(std::abs(posted.y - cursor.y), 0);
    // The search names the first level (the panel), the forwarding the window it posts to.
    char line[128];
    snprintf(line, sizeof line, "Find ChildWindow handle=0x%08x\nFind ChildWindow handle=0x%08x\n",
             static_cast<unsigned>(reinterpret_cast<UINT_PTR>(FixtureChild(target, fixture::kIdPanel))),
             static_cast<unsigned>(reinterpret_cast<UINT_PTR>(button)));
    EXPECT_NE(text.find(line), std::string::npos) << text;
    EXPECT_NE(text.find("MouseUp left x="), std::string::npos);

    // Double clicks on as well: a double click goes as the double-click sequence.
    host.panel->m_nLeftClk = 0;
    host.panel->m_nLeftDblClk = 1;
    c = CopyPointFor(dlg, CentreOf(button));
    from = log.Written();
    SendMessageA(copy, WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y)); // not forwarded now
    SendMessageA(copy, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    const std::vector<UINT> dbl = {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    EXPECT_TRUE(PumpUntil([&] { return MessagesOf(log, fixture::kIdPanelButton, from).size() >= 4; }, 3000));
    PumpFor(100);
    EXPECT_EQ(MessagesOf(log, fixture::kIdPanelButton, from), dbl);

    // A press whose release the copy missed: the next plain move posts the release.
    host.panel->m_nLeftClk = 1;
    c = CopyPointFor(dlg, CentreOf(button));
    dlg->m_bLButtonDown = TRUE;
    from = log.Written();
    SendMessageA(copy, WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
    EXPECT_FALSE(dlg->m_bLButtonDown);
    const std::vector<UINT> up = {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONUP};
    EXPECT_TRUE(PumpUntil([&] { return MessagesOf(log, fixture::kIdPanelButton, from).size() >= 3; }, 3000));
    PumpFor(100);
    EXPECT_EQ(MessagesOf(log, fixture::kIdPanelButton, from), up);

    // With a modal dialog of the program open the copy does not take the focus.
    SetFocus(nullptr);
    g_bModalDialogOpen = 1;
    SendMessageA(copy, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    g_bModalDialogOpen = 0;
    EXPECT_NE(GetFocus(), copy);

    // A disabled real window (showing a modal dialog of its own, say) gets nothing and is not moved.
    host.panel->m_nLeftDblClk = 1;
    EnableWindow(target, FALSE);
    RECT moved = WindowRectOf(target);
    from = log.Written();
    SendMessageA(copy, WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    SendMessageA(copy, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    SendMessageA(copy, WM_MOUSEMOVE, 0, MAKELPARAM(c.x + 9, c.y + 9));
    PumpFor(200);
    EXPECT_TRUE(MessagesOf(log, fixture::kIdPanelButton, from).empty());
    now = WindowRectOf(target);
    EXPECT_TRUE(EqualRect(&now, &moved));
    EnableWindow(target, TRUE);

    // Ending the copy puts the real window back where it was.
    host.panel->removeDataByWindow(dlg);
    now = WindowRectOf(target);
    EXPECT_TRUE(EqualRect(&now, &before)) << RectText(now);
}

TEST_F(EidrelDlgForwardTest, MappingRoundsToTheNearestPixelAndNeedsAClientArea) {
    HWND target = Target(RECT{100, 50, 700, 450});
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500});
    ASSERT_NE(dlg, nullptr);
    // Content 600 wide shown 400 wide: ratio 1.5.
    dlg->m_nXOffset = dlg->m_nYOffset = dlg->m_nBottomOffset = 0;
    SetClientSize(dlg, 400, 200);
    EXPECT_EQ(dlg->MapToTarget(3, 0).x, 100 + 5); // 4.5 becomes 5
    EXPECT_EQ(dlg->MapToTarget(1, 0).x, 100 + 2); // 1.5 becomes 2
    EXPECT_EQ(dlg->MapToTarget(0, 100).y, 50 + 200);
    // Zoomed on the vertical axis only, without composition: the horizontal mapping is unchanged.
    dlg->m_nCacheWidth = 400;
    dlg->m_nCacheHeight = 200;
    dlg->m_dScaleX = 400.0 / 600;
    dlg->m_dScaleY = 1.0;
    dlg->ChangeZoom(0, -50);
    dlg->m_nCacheHeight = 400; // full resolution on the zoomed axis
    EXPECT_EQ(dlg->MapToTarget(3, 0).x, 100 + 5);
    EXPECT_EQ(dlg->MapToTarget(0, 0).y, 50 + 100); // the source starts at its margin
    dlg->ResetZoom();

    // A copy without client area forwards nothing and moves nothing.
    g_pControlDlg = nullptr;
    SetClientSize(dlg, 0, 0);
    RECT cc;
    GetClientRect(dlg->m_hWnd, &cc);
    const RECT before = WindowRectOf(target);
    if (cc.right == 0 || cc.bottom == 0) {
        dlg->ForwardClick(10, 10);
        dlg->MoveTargetUnderCursor(10, 10);
        RECT now = WindowRectOf(target);
        EXPECT_TRUE(EqualRect(&now, &before));
    }
    dlg->DestroyWindow();
}

// ==== Composition messages on a system without composition =========================================

TEST_F(EidrelDlgTest, CompositionChangeWithoutCompositionGoesBackToCapture) {
    HWND target = Target();
    CountedCopy* dlg = PinCounted(target, RECT{300, 200, 700, 500}, true);
    ASSERT_NE(dlg, nullptr);
    BOOL on = FALSE;
    SafeDwmIsCompositionEnabled(&on);
    if (on) GTEST_SKIP() << "composition is on here";
    // Erasing is skipped only while composition is on.
    HDC hdc = GetDC(dlg->m_hWnd);
    dlg->m_bComposition = TRUE;
    EXPECT_EQ(SendMessageA(dlg->m_hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0), 1);
    ReleaseDC(dlg->m_hWnd, hdc);
    // The system reports composition off: the copy captures again.
    SendMessageA(dlg->m_hWnd, WM_DWMCOMPOSITIONCHANGED, 0, 0);
    EXPECT_EQ(dlg->m_bComposition, FALSE);
    dlg->m_nCacheWidth = 0;
    dlg->CaptureTarget();
    EXPECT_GT(dlg->m_nCacheWidth, 0);
    dlg->DestroyWindow();
}
