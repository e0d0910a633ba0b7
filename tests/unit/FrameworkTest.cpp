// The application layer: window binding, message routing, self-deleting objects, data exchange, the modal
// loop and the message box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Afx.h"
#include "res/resource.h"
#include "tests/common/ModalDriver.h"
#include "tests/common/TestUtil.h"

namespace {

// The property dialog's template has a radio group, two check boxes and a hotkey field.
class ExchangeDlg : public CDialog {
public:
    ExchangeDlg() : CDialog(IDD_SELSIZE_DIALOG) {}
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Radio(pDX, IDC_RADIO_11, m_nRadio);
        DDX_Check(pDX, IDC_CHECK_LEFTCLK, m_nCheck);
        DDX_Control(pDX, IDC_HOTKEY, m_ctrl);
        ++m_nExchanges;
    }
    int m_nRadio = 0;
    int m_nCheck = 0;
    int m_nExchanges = 0;
    CWnd m_ctrl;
};

} // namespace

TEST(FrameworkTest, RadioAndCheckExchange) {
    ExchangeDlg dlg;
    dlg.m_nRadio = 1;
    dlg.m_nCheck = 1;
    ASSERT_TRUE(dlg.Create(IDD_SELSIZE_DIALOG, static_cast<HWND>(nullptr)));
    EXPECT_EQ(dlg.m_nExchanges, 1); // the initial exchange runs in OnInitDialog
    EXPECT_FALSE(IsChecked(dlg.m_hWnd, IDC_RADIO_11));
    EXPECT_TRUE(IsChecked(dlg.m_hWnd, IDC_RADIO_12));
    EXPECT_FALSE(IsChecked(dlg.m_hWnd, IDC_RADIO_14));
    EXPECT_TRUE(IsChecked(dlg.m_hWnd, IDC_CHECK_LEFTCLK));

    // A value outside the group selects none; taking with none selected gives -1.
    dlg.m_nRadio = 5;
    dlg.m_nCheck = 7; // outside 0..2: shown clear
    dlg.UpdateData(FALSE);
    for (int id : {IDC_RADIO_11, IDC_RADIO_12, IDC_RADIO_14}) EXPECT_FALSE(IsChecked(dlg.m_hWnd, id)) << id;
    EXPECT_FALSE(IsChecked(dlg.m_hWnd, IDC_CHECK_LEFTCLK));
    dlg.UpdateData(TRUE);
    EXPECT_EQ(dlg.m_nRadio, -1);
    EXPECT_EQ(dlg.m_nCheck, 0);

    // Taking: the position of the selected radio; the group ends at the next group start (the OK button).
    SendDlgItemMessageA(dlg.m_hWnd, IDC_RADIO_14, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(dlg.m_hWnd, IDC_CHECK_LEFTCLK, BM_SETCHECK, BST_CHECKED, 0);
    dlg.UpdateData(TRUE);
    EXPECT_EQ(dlg.m_nRadio, 2);
    EXPECT_EQ(dlg.m_nCheck, 1);

    // The control is attached on the first exchange and stays attached to the same window.
    HWND hCtrl = GetDlgItem(dlg.m_hWnd, IDC_HOTKEY);
    EXPECT_EQ(dlg.m_ctrl.m_hWnd, hCtrl);
    EXPECT_EQ(CWnd::FromHandlePermanent(hCtrl), &dlg.m_ctrl);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_ctrl.m_hWnd, nullptr); // unbound when its window went with the dialog
}

namespace {

int g_liveObjects = 0;

// Heap dialog that records the messages it saw and deletes itself after its window is gone.
class SelfDeletingDlg : public CDialogEx {
public:
    explicit SelfDeletingDlg(std::vector<UINT>* pLog) : CDialogEx(IDD_EIDREL_DIALOG), m_pLog(pLog) {
        ++g_liveObjects;
    }
    ~SelfDeletingDlg() override { --g_liveObjects; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE || message == WM_INITDIALOG || message == WM_CLOSE)
            m_pLog->push_back(message);
        return CDialogEx::WindowProc(message, wParam, lParam);
    }
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        if (message == WM_CLOSE) { // closing is handled here: no default processing
            DestroyWindow();
            *pResult = 0;
            return TRUE;
        }
        return CDialogEx::OnWndMsg(message, wParam, lParam, pResult);
    }
    void PostNcDestroy() override { delete this; }
    std::vector<UINT>* m_pLog;
};

} // namespace

TEST(FrameworkTest, CreationMessagesReachWindowProcAndObjectDeletesItself) {
    std::vector<UINT> log;
    auto* pDlg = new SelfDeletingDlg(&log);
    ASSERT_TRUE(pDlg->Create(IDD_EIDREL_DIALOG, static_cast<HWND>(nullptr)));
    HWND hWnd = pDlg->m_hWnd;
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(log[1], static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), pDlg);

    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(hWnd); }, 5000));
    EXPECT_EQ(g_liveObjects, 0);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

namespace {

// Modal dialog that records what its pre-translation saw.
class ModalDlg : public CDialog {
public:
    ModalDlg() : CDialog(IDD_ABOUTBOX) {}
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_APP) ++m_nPreTranslated;
        return CDialog::PreTranslateMessage(pMsg);
    }
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        if (message == WM_APP) {
            m_bOwnerDisabledMeanwhile = m_hOwner && !IsWindowEnabled(m_hOwner);
            PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            *pResult = 0;
            return TRUE;
        }
        return CDialog::OnWndMsg(message, wParam, lParam, pResult);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        PostMessage(WM_APP);
        return TRUE;
    }
    HWND m_hOwner = nullptr;
    int m_nPreTranslated = 0;
    bool m_bOwnerDisabledMeanwhile = false;
};

class OwnerWnd : public CWnd {};

} // namespace

TEST(FrameworkTest, ModalLoopDisablesOwnerAndPreTranslates) {
    HWND hOwner = CreateTopWindow("owner", WS_OVERLAPPED, 0, 0, 100, 100);
    ASSERT_NE(hOwner, nullptr);
    OwnerWnd owner;
    ASSERT_TRUE(owner.SubclassWindow(hOwner));

    // The owner is taken from the parent given at construction.
    struct Dlg : ModalDlg {
        explicit Dlg(CWnd* p) { m_pParentWnd = p; }
    } modal(&owner);
    modal.m_hOwner = hOwner;
    INT_PTR result = modal.DoModal();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(modal.m_nPreTranslated, 1);
    EXPECT_TRUE(modal.m_bOwnerDisabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(hOwner));
    EXPECT_EQ(modal.m_hWnd, nullptr);
    owner.UnsubclassWindow();
    DestroyWindow(hOwner);
}

namespace {

// The icon a message box shows.
HICON IconOf(HWND box) {
    for (HWND h = GetWindow(box, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if ((GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ClassNameOf(h) == "Static")
            return reinterpret_cast<HICON>(SendMessageA(h, STM_GETICON, 0, 0));
    }
    return nullptr;
}

} // namespace

TEST(FrameworkTest, MessageBoxCaptionIsExecutableNameAndIconFollowsType) {
    MessageBoxDriver boxes({IDOK, IDYES});
    std::vector<HICON> icons;
    boxes.onBox = [&](HWND box) { icons.push_back(IconOf(box)); };

    EXPECT_EQ(AfxMessageBox("テスト OK", MB_OK), IDOK);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, ExeStem());
    EXPECT_EQ(boxes.boxes[0].text, "テスト OK");
    EXPECT_EQ(icons[0], LoadIconA(nullptr, IDI_EXCLAMATION));

    EXPECT_EQ(AfxMessageBox("テスト YESNO", MB_YESNO), IDYES);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].caption, ExeStem());
    EXPECT_EQ(icons[1], LoadIconA(nullptr, IDI_QUESTION));
}

TEST(FrameworkTest, StringFormatReplaceAndResources) {
    CString s;
    s.Format("%s-%d", std::string(3000, 'x').c_str(), 42); // no fixed buffer limit
    EXPECT_EQ(s.GetLength(), 3003);

    CString v("Ver.:1.0,1;117%");
    EXPECT_EQ(v.Replace(".:", "%"), 1);
    EXPECT_EQ(v.Replace(".", "-"), 1);
    EXPECT_EQ(v.Replace(",", "-"), 1);
    EXPECT_EQ(v.Replace(";", "."), 1);
    EXPECT_EQ(v.Replace("%", ".:"), 2);
    EXPECT_EQ(v, "Ver.:1-0-1.117.:");
    EXPECT_EQ(v.Replace("zz", "y"), 0);

    CString r;
    EXPECT_TRUE(r.LoadString(IDS_ABOUTBOX));
    EXPECT_EQ(r, "朧写鏡 のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_FALSE(r.LoadString(9999));
    EXPECT_TRUE(r.IsEmpty());
}

TEST(FrameworkTest, UnplacedDialogIsCentredOverItsOwnerInsideTheWorkArea) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // An owner in the middle of the work area: the dialog is centred over it.
    HWND owner = CreateTopWindow("owner", WS_OVERLAPPED | WS_VISIBLE, (work.left + work.right) / 2 - 200,
                                 (work.top + work.bottom) / 2 - 150, 400, 300);
    CDialog centred(IDD_ABOUTBOX);
    ASSERT_TRUE(centred.Create(IDD_ABOUTBOX, owner));
    RECT ro, rd;
    GetWindowRect(owner, &ro);
    GetWindowRect(centred.m_hWnd, &rd);
    EXPECT_LE(std::abs((rd.left + rd.right) / 2 - (ro.left + ro.right) / 2), 1);
    EXPECT_LE(std::abs((rd.top + rd.bottom) / 2 - (ro.top + ro.bottom) / 2), 1);
    centred.DestroyWindow();

    // An owner in the bottom-right corner: the dialog stays inside the work area.
    MoveWindow(owner, work.right - 150, work.bottom - 100, 400, 300, TRUE);
    CDialog clamped(IDD_ABOUTBOX);
    ASSERT_TRUE(clamped.Create(IDD_ABOUTBOX, owner));
    GetWindowRect(clamped.m_hWnd, &rd);
    EXPECT_LE(rd.right, work.right);
    EXPECT_LE(rd.bottom, work.bottom);
    EXPECT_GE(rd.left, work.left);
    EXPECT_GE(rd.top, work.top);
    clamped.DestroyWindow();
    DestroyWindow(owner);
}
