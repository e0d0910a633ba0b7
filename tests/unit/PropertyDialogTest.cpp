// The property dialog and the panel's operation around it, run modally and driven from a timer.
#include <gtest/gtest.h>

#include <string>

#include "app/Globals.h"
#include "copy/PlatformQueries.h"
#include "panel/SelSizeDlg.h"
#include "res/resource.h"
#include "tests/unit/PanelTestSupport.h"

using panel_test::PanelHost;

namespace {

// Ctrl+Alt+Shift+F9 is held by "another program"; Ctrl+Alt+Shift+F10 is free.
constexpr UINT kMods = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
constexpr UINT kTakenKey = VK_F9;
constexpr UINT kFreeKey = VK_F10;

bool IsFree(UINT vk) {
    return HotKeyFree(kMods, vk);
}

// Steps on a dialog object besides WhenShown(): once a message box over it has been answered (its
// text kept); once that box is gone.
Script::Step AnswerBox(const CWnd& dlg, std::string* text) {
    return [&dlg, text] {
        HWND box = FindMessageBox({dlg.m_hWnd});
        if (!box) return false;
        *text = MessageBoxText(box);
        PostClick(box, IDOK);
        return true;
    };
}
Script::Step WhenBoxGone(const CWnd& dlg, std::function<void(HWND)> then) {
    return [&dlg, then] {
        if (FindMessageBox({dlg.m_hWnd})) return false;
        then(dlg.m_hWnd);
        return true;
    };
}

INT_PTR RunModal(CSelSizeDlg& dlg, Script& script, std::string* log = nullptr) {
    StdoutCapture out;
    INT_PTR result = script.RunWith([&] { return dlg.DoModal(); });
    if (log) *log = out.Stop();
    EXPECT_TRUE(script.Finished()) << "steps done: " << script.StepsDone();
    return result;
}

} // namespace

TEST(SelSizeDlgTest, OpensAtTheWorkAreaCornerShowingTheSettings) {
    CSelSizeDlg dlg;
    dlg.m_nIniSize = 5; // outside the group: no radio
    dlg.m_bLeftClk = 7; // outside 0..2: clear, taken back as 0
    dlg.m_bLeftDblClk = 1;
    RECT rcFrame = {}, rcWindow = {}, rcWork = {};
    bool anyRadio = true, leftClk = true, leftDblClk = false, focusOnOk = false;
    std::string shownKey, log;
    Script script;
    script.Then(WhenShown(dlg, [&](HWND h) {
        GetWindowRects(h, &rcFrame, &rcWindow);
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
        anyRadio = IsChecked(h, IDC_RADIO_11) || IsChecked(h, IDC_RADIO_12) || IsChecked(h, IDC_RADIO_14);
        leftClk = IsChecked(h, IDC_CHECK_LEFTCLK);
        leftDblClk = IsChecked(h, IDC_CHECK_LEFTDBLCLK);
        focusOnOk = ::GetFocus() == ::GetDlgItem(h, IDOK);
        shownKey = dlg.m_hotKeyCtrl.GetHotKeyName().GetString();
        PostClick(h, IDOK);
    }));
    INT_PTR result = RunModal(dlg, script, &log);

    // The visible frame's bottom-right corner lies on the work area's (here frame = window).
    int fw = rcFrame.right - rcFrame.left, rw = rcWindow.right - rcWindow.left;
    int fh = rcFrame.bottom - rcFrame.top, rh = rcWindow.bottom - rcWindow.top;
    EXPECT_EQ(rcWindow.left, rcWork.right - fw + (fw - rw) / 2);
    EXPECT_EQ(rcWindow.top, rcWork.bottom - fh + (fh - rh) / 2);
    if (::EqualRect(&rcFrame, &rcWindow)) {
        EXPECT_EQ(rcWindow.right, rcWork.right);
        EXPECT_EQ(rcWindow.bottom, rcWork.bottom);
    }
    EXPECT_FALSE(anyRadio);
    EXPECT_FALSE(leftClk);
    EXPECT_TRUE(leftDblClk);
    EXPECT_TRUE(focusOnOk);
    EXPECT_EQ(shownKey, std::string(CHotKeyExCtrl::MakeHotKeyName(MOD_WIN, 'C')));

    // OK with the hotkey unchanged takes the boxes without testing the hotkey.
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_nIniSize, -1);
    EXPECT_EQ(dlg.m_bLeftClk, 0);
    EXPECT_EQ(dlg.m_bLeftDblClk, 1);
    EXPECT_EQ(log, "");
}

TEST(SelSizeDlgTest, OkRefusesATakenCombinationAndTakesAFreeOne) {
    HeldHotKey holder(kMods, kTakenKey);
    ASSERT_TRUE(holder.Held());
    CSelSizeDlg dlg;
    dlg.m_nIniSize = 0;
    std::string boxText, log;
    bool openAfterRefusal = false, radioKept = false;
    Script script;
    script
        .Then(WhenShown(dlg,
                        [&](HWND h) {
                            dlg.m_hotKeyCtrl.SetHotKeyForRegister(kTakenKey, kMods);
                            ::CheckRadioButton(h, IDC_RADIO_11, IDC_RADIO_14, IDC_RADIO_14);
                            PostClick(h, IDOK);
                        }))
        .Then(AnswerBox(dlg, &boxText))
        .Then(WhenBoxGone(dlg, [&](HWND h) {
            openAfterRefusal = ::IsWindowVisible(h) != FALSE;
            radioKept = IsChecked(h, IDC_RADIO_14);
            dlg.m_hotKeyCtrl.SetHotKeyForRegister(kFreeKey, kMods);
            PostClick(h, IDOK);
        }));
    INT_PTR result = RunModal(dlg, script, &log);

    EXPECT_EQ(boxText,
              "HotKey設定は既に他のアプリケーションで使用されています。他の組み合わせに変更してください.");
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_TRUE(radioKept);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_nHotKey, static_cast<int>(kFreeKey));
    EXPECT_EQ(dlg.m_nModifiers, static_cast<int>(kMods));
    EXPECT_EQ(dlg.m_nIniSize, 2);
    EXPECT_EQ(log, "Modifiers=7\nHotKey = 120\nModifiers=7\nHotKey = 121\n");
    EXPECT_TRUE(IsFree(kFreeKey)); // the test registration was undone
}

TEST(SelSizeDlgTest, DuplicateCheckAnswersAndCancelTakesNothing) {
    HeldHotKey holder(kMods, kTakenKey);
    ASSERT_TRUE(holder.Held());
    CSelSizeDlg dlg;
    dlg.m_nIniSize = 0;
    std::string current, free, taken, log;
    bool freeAfterCheck = false;
    auto checkWith = [&](UINT vk) {
        return [&dlg, vk](HWND h) {
            dlg.m_hotKeyCtrl.SetHotKeyForRegister(static_cast<WORD>(vk), kMods);
            PostClick(h, IDC_BUTTON_CHECKHOTKEY);
        };
    };
    Script script;
    script.Then(WhenShown(dlg, [](HWND h) { PostClick(h, IDC_BUTTON_CHECKHOTKEY); }))
        .Then(AnswerBox(dlg, &current))
        .Then(WhenBoxGone(dlg, checkWith(kFreeKey)))
        .Then(AnswerBox(dlg, &free))
        .Then(WhenBoxGone(dlg,
                          [&](HWND h) {
                              freeAfterCheck = IsFree(kFreeKey);
                              checkWith(kTakenKey)(h);
                          }))
        .Then(AnswerBox(dlg, &taken))
        .Then(WhenBoxGone(dlg, [](HWND h) {
            ::CheckRadioButton(h, IDC_RADIO_11, IDC_RADIO_14, IDC_RADIO_12);
            PostClick(h, IDCANCEL);
        }));
    INT_PTR result = RunModal(dlg, script, &log);

    EXPECT_EQ(current, "現在の設定です。");
    EXPECT_EQ(free, "設定可能です.");
    EXPECT_EQ(taken, "このキーの組み合わせは既に他のアプリケーションで使用されています。他の組み合わせに変更"
                     "してください.");
    EXPECT_TRUE(freeAfterCheck);
    EXPECT_EQ(log,
              "Modifiers=7\nHotKey = 121\nModifiers=7\nHotKey = 120\n"); // the unchanged one is not tested
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.m_nHotKey, 'C');
    EXPECT_EQ(dlg.m_nModifiers, MOD_WIN);
    EXPECT_EQ(dlg.m_nIniSize, 0);
}

// The panel's operation on a real panel window.
class ShowPropertyDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_host.created);
        m_panel.m_nIniSize = 1;
        m_panel.m_nLeftDblClk = 1;
        m_panel.m_nWsHotKey = kFreeKey;
        m_panel.m_nWsModifiers = kMods;
    }
    // Runs the panel's operation with the script; the property dialogs shown are found by caption.
    void Run(Script& script, std::string* log = nullptr) {
        StdoutCapture out;
        script.RunWith([&] {
            m_panel.showPropertyDialog();
            return 0;
        });
        if (log) *log = out.Stop();
        EXPECT_TRUE(script.Finished()) << "steps done: " << script.StepsDone();
        EXPECT_EQ(g_bModalDialogOpen, 0);
    }
    static std::vector<HWND> PropertyDialogs() {
        std::vector<HWND> found;
        for (HWND h : ThreadDialogs()) {
            if (TextOf(h) == "プロパティ設定") found.push_back(h);
        }
        return found;
    }
    static Script::Step WhenOneShown(std::function<void(HWND)> then) {
        return [then] {
            auto dlgs = PropertyDialogs();
            if (dlgs.size() != 1) return false;
            then(dlgs[0]);
            return true;
        };
    }

    PanelHost m_host;
    CControlDlg& m_panel = *m_host.panel;
};

TEST_F(ShowPropertyDialogTest, OkRegistersThePickHotKeyAgainAndAsksForAWrite) {
    ASSERT_TRUE(IsFree(kFreeKey));
    int flagWhileShown = 0;
    bool radioShown = false, dblClkShown = false;
    Script script;
    script.Then(WhenOneShown([&](HWND h) {
        flagWhileShown = g_bModalDialogOpen;
        radioShown = IsChecked(h, IDC_RADIO_12);
        dblClkShown = IsChecked(h, IDC_CHECK_LEFTDBLCLK);
        ::CheckRadioButton(h, IDC_RADIO_11, IDC_RADIO_14, IDC_RADIO_11);
        ::CheckDlgButton(h, IDC_CHECK_LEFTCLK, BST_CHECKED);
        PostClick(h, IDOK);
    }));
    Run(script);

    EXPECT_EQ(flagWhileShown, 1);
    EXPECT_TRUE(radioShown);
    EXPECT_TRUE(dblClkShown);
    EXPECT_EQ(m_panel.m_nIniSize, 0);
    EXPECT_EQ(m_panel.m_nLeftClk, 1);
    EXPECT_EQ(m_panel.m_nLeftDblClk, 1);
    EXPECT_EQ(m_panel.m_nWsHotKey, static_cast<int>(kFreeKey));
    EXPECT_EQ(m_panel.m_bIniWritePending, 1);
    // Registered anew for the panel, unchanged as it was: now nobody else can have it.
    EXPECT_FALSE(IsFree(kFreeKey));
    EXPECT_TRUE(::UnregisterHotKey(m_panel.m_hWnd, kPickHotKeyId));
}

TEST_F(ShowPropertyDialogTest, CancelChangesNothingAndASecondRequestOpensNoSecondDialog) {
    size_t dialogsAfterSecondRequest = 0;
    int flagAfterSecondRequest = 0;
    bool otherInFront = false, broughtToFront = false;
    Script script;
    script
        .Then(WhenOneShown([&](HWND h) {
            ::CheckRadioButton(h, IDC_RADIO_11, IDC_RADIO_14, IDC_RADIO_14);
            HWND hOther = CreateTopWindow("", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
            ::SetForegroundWindow(hOther);
            otherInFront = ::GetForegroundWindow() == hOther;
            m_panel.showPropertyDialog(); // as a second double click on the tray icon would
            dialogsAfterSecondRequest = PropertyDialogs().size();
            flagAfterSecondRequest = g_bModalDialogOpen;
            broughtToFront = ::GetForegroundWindow() == h;
            ::DestroyWindow(hOther);
        }))
        .Then([] {
            for (HWND h : PropertyDialogs()) PostClick(h, IDCANCEL);
            return true;
        });
    Run(script);

    EXPECT_EQ(dialogsAfterSecondRequest, 1u);
    EXPECT_EQ(flagAfterSecondRequest, 1);
    EXPECT_TRUE(otherInFront);
    EXPECT_TRUE(broughtToFront);
    EXPECT_EQ(m_panel.m_nIniSize, 1);
    EXPECT_EQ(m_panel.m_bIniWritePending, 0);
    EXPECT_TRUE(IsFree(kFreeKey)); // nothing registered

    Script again; // once closed, the next request opens it again
    again.Then(WhenOneShown([](HWND h) { PostClick(h, IDCANCEL); }));
    Run(again);
}

TEST_F(ShowPropertyDialogTest, FailedRegistrationIsReportedAndTheValuesAreStillWritten) {
    // The pick hotkey is held elsewhere: OK with it unchanged needs no test, so only the panel's own
    // registration finds out.
    HeldHotKey holder(kMods, kTakenKey);
    ASSERT_TRUE(holder.Held());
    m_panel.m_nWsHotKey = kTakenKey;
    HWND hDlg = nullptr;
    std::string boxText, log;
    Script script;
    script
        .Then(WhenOneShown([&](HWND h) {
            hDlg = h;
            PostClick(h, IDOK);
        }))
        .Then([&] {
            HWND box = ::IsWindow(hDlg) ? nullptr : FindMessageBox({}); // the dialog is gone first
            if (!box) return false;
            boxText = MessageBoxText(box);
            PostClick(box, IDOK);
            return true;
        });
    Run(script, &log);

    EXPECT_EQ(boxText, "ホットキーの登録が重複しています.他のキーに変更してください ");
    EXPECT_EQ(log, "RegisterHotKey() Error=1409\n");
    EXPECT_EQ(m_panel.m_bIniWritePending, 1);
}
