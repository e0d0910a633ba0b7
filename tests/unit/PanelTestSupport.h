// Helpers of the panel's tests: a panel hosted in a window of the test, with its target windows; the
// stdout capture and the message-box driver come along.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "copy/EidrelDlg.h"
#include "panel/ControlDlg.h"
#include "res/resource.h"
#include "tests/common/ModalDriver.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestUtil.h"

namespace panel_test {

// The panel created as child dialog 129 of a top-level window of the test, with its settings file
// in a fresh folder. The global panel pointer is put back as it was when the host goes.
class PanelHost {
public:
    explicit PanelHost(bool visible = false) {
        saved_ = g_pControlDlg;
        dir = MakeTempDir();
        iniPath = dir + "\\Lumevarin.ini";
        parent = CreateTopWindow("panel host", WS_OVERLAPPED | WS_CAPTION | (visible ? WS_VISIBLE : 0), 40,
                                 40, 460, 300);
        panel = new CControlDlg();
        created = panel->Create(IDD_CONTROL_DIALOG, parent) != FALSE;
        panel->m_strIniFile = iniPath.c_str();
        if (visible && created) panel->ShowWindow(SW_SHOW);
    }
    ~PanelHost() {
        EndCopies();
        if (panel->m_hWnd) panel->DestroyWindow();
        delete panel;
        ::DestroyWindow(parent);
        g_pControlDlg = saved_;
        for (HWND h : targets) ::DestroyWindow(h);
        RemoveTree(dir);
    }
    PanelHost(const PanelHost&) = delete;
    PanelHost& operator=(const PanelHost&) = delete;

    // Ends every copy still listed, without touching the settings file.
    void EndCopies() {
        for (CEidrelData& d : panel->m_vecData) {
            if (d.m_pDlg) d.m_pDlg->DestroyWindow();
            d.m_pDlg = nullptr;
        }
        panel->m_vecData.clear();
    }

    // A new target window, an ordinary one that passes every check of the pick; destroyed with the
    // host (after the copies), like the windows handed to Own().
    HWND Target(const char* title, int x = 120, int y = 80) {
        return Own(CreateTopWindow(title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 320, 240));
    }
    HWND Own(HWND h) {
        targets.push_back(h);
        return h;
    }
    // Targets "Alpha", "Bravo" and "Charlie", apart from each other, not yet picked.
    std::array<HWND, 3> ThreeTargets() {
        return {Target("Alpha", 60, 60), Target("Bravo", 200, 90), Target("Charlie", 340, 120)};
    }
    // A target window that the pick takes: the fixture program's, started with args, in a process of
    // its own (the pick refuses every window of this one); it ends with the host, after the copies.
    HWND Foreign(const std::string& args) {
        foreign_.emplace_back();
        if (foreign_.back().Start(args)) return foreign_.back().hwnd;
        ADD_FAILURE() << "the fixture program did not start with " << args;
        return nullptr;
    }
    // Pins hwnd at half size the way the pick does, without its checks: a new record at the front.
    CEidrelDlg* Pin(HWND hwnd, const char* title = "Target") {
        CEidrelData data;
        data.m_strTitle = title;
        panel->m_vecData.insert(panel->m_vecData.begin(), data);
        panel->m_vecData.front().StartPin(hwnd, 1);
        return panel->m_vecData.front().m_pDlg;
    }

    // Pins each window in turn and shows the list, as picks would (the last one ends up first), each
    // record titled with its window's text.
    void PinAll(std::initializer_list<HWND> hwnds) {
        for (HWND h : hwnds) Pin(h, TextOf(h).c_str());
        panel->refreshList();
    }

    // Texts of column col of every row, top to bottom.
    std::vector<std::string> Column(int col) const {
        std::vector<std::string> rows;
        int n = panel->m_listCtrl.GetItemCount();
        for (int i = 0; i < n; ++i) rows.push_back(panel->m_listCtrl.GetItemText(i, col).GetString());
        return rows;
    }
    HWND CopyOf(size_t i) const {
        const CEidrelData& d = panel->m_vecData.at(i);
        return d.m_pDlg ? d.m_pDlg->m_hWnd : nullptr;
    }
    void ClickDelete() const {
        ::SendMessageA(panel->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_DELETE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(panel->m_hWnd, IDC_BUTTON_DELETE)));
    }

    std::string dir;
    std::string iniPath;
    HWND parent = nullptr;
    CControlDlg* panel = nullptr;
    bool created = false;
    std::vector<HWND> targets;

private:
    CControlDlg* saved_ = nullptr;
    std::vector<FixtureWindow> foreign_;
};

} // namespace panel_test
