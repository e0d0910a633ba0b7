// The hotkey entry field: flag conversions, names, tracking of the key events its hook reposts, the
// hook's lifetime, and real typing while the field has the focus.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "panel/HotKeyExCtrl.h"
#include "panel/SelSizeDlg.h"
#include "res/resource.h"
#include "tests/common/ModalDriver.h"
#include "tests/common/TestUtil.h"

namespace {

std::string Name(UINT vk) {
    return CHotKeyExCtrl::GetKeyName(vk, FALSE).GetString();
}

// Sends key events from a thread of its own while the test thread pumps (the hook runs there).
class InputThread {
public:
    explicit InputThread(std::initializer_list<std::pair<WORD, bool>> keys) : m_inputs(KeyInputs(keys)) {
        m_thread = ::CreateThread(nullptr, 0, &InputThread::Run, this, 0, nullptr);
    }
    ~InputThread() {
        ::WaitForSingleObject(m_thread, 10000);
        ::CloseHandle(m_thread);
    }
    bool Done() const { return ::WaitForSingleObject(m_thread, 0) == WAIT_OBJECT_0; }
    bool AllSent() const { return m_sent == m_inputs.size(); }

private:
    static DWORD WINAPI Run(void* p) {
        auto* self = static_cast<InputThread*>(p);
        for (INPUT& in : self->m_inputs) self->m_sent += ::SendInput(1, &in, sizeof(INPUT));
        return 0;
    }
    std::vector<INPUT> m_inputs;
    HANDLE m_thread = nullptr;
    std::atomic<UINT> m_sent{0};
};

INT_PTR CALLBACK PlainDlgProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

TEST(HotKeyExCtrlTest, FlagsConvertAtTheEdges) {
    EXPECT_EQ(HotKeyFlagsFromModifiers(MOD_CONTROL | MOD_WIN), 0x12);
    EXPECT_EQ(HotKeyFlagsFromModifiers(0xFFFF), 0x17); // only the four modifier bits are read
    EXPECT_EQ(ModifiersFromHotKeyFlags(HOTKEYF_ALT | HOTKEYF_SHIFT | HOTKEYF_EXT | 0xE0),
              MOD_ALT | MOD_SHIFT);
    for (WORD mods = 0; mods < 16; ++mods)
        EXPECT_EQ(ModifiersFromHotKeyFlags(HotKeyFlagsFromModifiers(mods)), mods);

    CHotKeyExCtrl ctrl; // no window needed to hold a combination
    ctrl.SetHotKeyForRegister('C', MOD_CONTROL | MOD_WIN);
    EXPECT_EQ(ctrl.m_wModifiers, 0x12);
    EXPECT_TRUE(ctrl.m_bComplete);
}

TEST(HotKeyExCtrlTest, NamesFollowTheLayoutInAFixedOrder) {
    ASSERT_FALSE(Name('C').empty());
    EXPECT_EQ(std::string(CHotKeyExCtrl::MakeHotKeyName(0, 0)), "");
    EXPECT_EQ(std::string(CHotKeyExCtrl::MakeHotKeyName(MOD_WIN, 'C')), "Win + " + Name('C'));
    EXPECT_EQ(std::string(CHotKeyExCtrl::MakeHotKeyName(MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN, VK_F5)),
              Name(VK_CONTROL) + " + " + Name(VK_SHIFT) + " + " + Name(VK_MENU) + " + Win + " + Name(VK_F5));
    EXPECT_EQ(std::string(CHotKeyExCtrl::MakeHotKeyName(MOD_SHIFT, 0)), Name(VK_SHIFT) + " + ");
}

// The property dialog, modeless, with its field; key events are posted as the hook posts them and
// handled by a loop that pre-translates like the modal loop.
class HotKeyExCtrlTracking : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dlg.Create(IDD_SELSIZE_DIALOG, static_cast<HWND>(nullptr)));
        m_ctrl = m_dlg.m_hotKeyCtrl.m_hWnd;
    }
    void TearDown() override {
        if (m_dlg.m_hWnd) m_dlg.DestroyWindow();
        EXPECT_EQ(g_hKeyboardHook, nullptr);
    }
    void Key(UINT vk, bool down) {
        ::PostMessageA(m_ctrl, down ? WM_HOTKEYEX_KEYDOWN : WM_HOTKEYEX_KEYUP, vk, 0);
        DrainMessages();
    }
    void Down(UINT vk) { Key(vk, true); }
    void Up(UINT vk) { Key(vk, false); }
    std::string Shown() const { return m_dlg.m_hotKeyCtrl.GetHotKeyName().GetString(); }
    CHotKeyExCtrl& Ctrl() { return m_dlg.m_hotKeyCtrl; }

    CSelSizeDlg m_dlg;
    HWND m_ctrl = nullptr;
};

TEST_F(HotKeyExCtrlTracking, HeldKeyIsStoredWithTheModifiersHeldAtEachEvent) {
    EXPECT_EQ(Shown(), "Win + " + Name('C')); // opened with the default pick hotkey, finished
    Down(VK_CONTROL);
    EXPECT_EQ(Shown(), Name(VK_CONTROL) + " + "); // the finished one gave way
    Down('A');
    EXPECT_EQ(Shown(), Name(VK_CONTROL) + " + " + Name('A'));
    Up(VK_CONTROL);
    Up('A');
    EXPECT_EQ(Shown(), Name('A'));
    EXPECT_TRUE(Ctrl().m_bComplete);

    Down(VK_MENU);
    Down(VK_SHIFT);
    Down(VK_F5);
    Up(VK_F5);
    Up(VK_SHIFT);
    Up(VK_MENU);
    WORD key = 0, mods = 0;
    Ctrl().GetHotKeyForRegister(key, mods);
    EXPECT_EQ(key, 0x74);
    EXPECT_EQ(mods, 0x05);

    Down(VK_APPS);
    Down('C'); // the application key counts as a Windows key
    EXPECT_EQ(Shown(), "Win + " + Name('C'));
}

TEST_F(HotKeyExCtrlTracking, ModifiersAloneAndSeveralKeys) {
    Down(VK_LSHIFT);
    Down(VK_RSHIFT);
    EXPECT_EQ(Shown(), Name(VK_SHIFT) + " + ");
    Up(VK_RSHIFT); // left and right share one bit
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(Ctrl().m_wModifiers, 0);
    EXPECT_TRUE(Ctrl().m_bComplete);

    Down('A');
    Down('B');
    Up('A'); // the last pressed is the key; releasing the earlier changes nothing
    EXPECT_EQ(Ctrl().m_wVirtualKeyCode, 'B');
    Up('B');
    EXPECT_EQ(Shown(), Name('B'));
    Up('Q'); // even a release clears a finished combination
    EXPECT_EQ(Shown(), "");
}

TEST_F(HotKeyExCtrlTracking, FieldPaintsTheCombination) {
    m_dlg.ShowWindow(SW_SHOW);
    ::SetWindowPos(m_dlg.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    auto darkPixels = [&] {
        DrainMessages();
        int dark = 0;
        for (uint32_t p : ClientImage(m_ctrl).pixels)
            dark += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 384;
        return dark;
    };
    Ctrl().SetHotKey(0, 0);
    EXPECT_EQ(darkPixels(), 0);
    Ctrl().SetHotKeyForRegister('C', MOD_WIN);
    EXPECT_GT(darkPixels(), 10);
}

TEST_F(HotKeyExCtrlTracking, HookExistsExactlyWhileTheFieldHasTheFocus) {
    m_dlg.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_dlg.m_hWnd);
    HWND hOk = m_dlg.GetDlgItem(IDOK);
    ::SetFocus(m_ctrl);
    EXPECT_NE(g_hKeyboardHook, nullptr);
    EXPECT_EQ(g_hHotKeyCtrlWnd, m_ctrl);
    Down('A'); // still held when the focus goes
    ::SetFocus(hOk);
    EXPECT_EQ(g_hKeyboardHook, nullptr);
    EXPECT_EQ(g_hHotKeyCtrlWnd, nullptr);

    ::SetFocus(m_ctrl); // back: nothing held, the shown combination stays
    EXPECT_NE(g_hKeyboardHook, nullptr);
    EXPECT_EQ(Ctrl().m_wHeldKey, 0);
    EXPECT_EQ(Ctrl().m_wVirtualKeyCode, 'A');

    m_dlg.DestroyWindow(); // destroyed with the focus
    EXPECT_EQ(g_hKeyboardHook, nullptr);
    EXPECT_EQ(g_hHotKeyCtrlWnd, nullptr);
}

TEST(HotKeyExCtrlTest, HookGoesWithAnObjectThatGoesBeforeItsWindow) {
    HWND hDlg = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELSIZE_DIALOG),
                                     nullptr, &PlainDlgProc, 0);
    ASSERT_NE(hDlg, nullptr);
    ::ShowWindow(hDlg, SW_SHOW);
    auto* pCtrl = new CHotKeyExCtrl;
    ASSERT_TRUE(pCtrl->SubclassWindow(::GetDlgItem(hDlg, IDC_HOTKEY)));
    ::SetFocus(pCtrl->m_hWnd);
    EXPECT_NE(g_hKeyboardHook, nullptr);
    delete pCtrl;
    EXPECT_EQ(g_hKeyboardHook, nullptr);
    ::DestroyWindow(hDlg);
}

// Real key presses in the dialog's modal loop reach the field through the hook, and nothing else.
TEST(HotKeyExCtrlTest, TypingReachesOnlyTheField) {
    CSelSizeDlg dlg;
    dlg.m_nHotKey = VK_F5;
    dlg.m_nModifiers = MOD_ALT;
    CHotKeyExCtrl& ctrl = dlg.m_hotKeyCtrl;
    std::unique_ptr<InputThread> input;
    bool hooked = false, allSent = true, openAfterKeys = false, focusKept = false;
    std::string afterWinC, afterKeys;
    auto typed = [&](WORD vk) {
        if (!input->Done()) return false;
        allSent = allSent && input->AllSent();
        return ctrl.m_wVirtualKeyCode == vk && ctrl.m_bComplete;
    };

    Script script;
    script
        .Then(WhenShown(
            dlg,
            [&](HWND h) {
                ::SetForegroundWindow(h);
                ::SetFocus(ctrl.m_hWnd);
                hooked = g_hKeyboardHook != nullptr;
                input.reset(new InputThread({{VK_LWIN, true}, {'C', true}, {'C', false}, {VK_LWIN, false}}));
            }))
        .Then([&] {
            if (!typed('C')) return false;
            afterWinC = ctrl.GetHotKeyName().GetString();
            input.reset(new InputThread({{VK_TAB, true},
                                         {VK_TAB, false},
                                         {VK_RETURN, true},
                                         {VK_RETURN, false},
                                         {VK_ESCAPE, true},
                                         {VK_ESCAPE, false}}));
            return true;
        })
        .Then([&] {
            if (!typed(VK_ESCAPE)) return false;
            afterKeys = ctrl.GetHotKeyName().GetString();
            openAfterKeys = ::IsWindowVisible(dlg.m_hWnd) != FALSE;
            focusKept = ::GetFocus() == ctrl.m_hWnd;
            PostClick(dlg.m_hWnd, IDCANCEL); // the mouse is the way out
            return true;
        });
    INT_PTR result = script.RunWith([&] { return dlg.DoModal(); });

    EXPECT_TRUE(script.Finished()) << "steps done: " << script.StepsDone();
    EXPECT_TRUE(hooked);
    EXPECT_TRUE(allSent);
    EXPECT_EQ(afterWinC, "Win + " + Name('C'));
    EXPECT_EQ(afterKeys, Name(VK_ESCAPE));
    EXPECT_TRUE(openAfterKeys);
    EXPECT_TRUE(focusKept);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(g_hKeyboardHook, nullptr);
}
