// Helpers of the control panel's tests: a panel hosted in a window of the test, target windows,
// the process's standard output caught in a file, and answers to the message boxes the code shows.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "copy/EidrelDlg.h"
#include "panel/ControlDlg.h"
#include "res/resource.h"
#include "tests/common/TestUtil.h"

namespace panel_test {

// Everything the process writes to its standard output while the object lives goes to a file.
class StdoutCapture {
public:
    StdoutCapture() {
        char dir[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, dir);
        char file[MAX_PATH] = {};
        ::GetTempFileNameA(dir, "out", 0, file);
        path_ = file;
        fflush(stdout);
        saved_ = _dup(1);
        int fd = _open(path_.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
        _dup2(fd, 1);
        _close(fd);
    }
    ~StdoutCapture() {
        Stop();
        ::DeleteFileA(path_.c_str());
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // What was written so far.
    std::string Text() const {
        fflush(stdout);
        return ReadFileText(path_);
    }
    // Occurrences of line (with its line end) in the output.
    int Count(const std::string& line) const {
        std::string text = Text();
        int n = 0;
        for (size_t pos = text.find(line); pos != std::string::npos; pos = text.find(line, pos + line.size())) ++n;
        return n;
    }
    void Stop() {
        if (saved_ < 0) return;
        fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        saved_ = -1;
    }

private:
    std::string path_;
    int saved_ = -1;
};

// A message box of this process, as it was shown.
struct ShownBox {
    std::string text;
    std::string caption;
    HWND owner = nullptr;
};

// While it lives, every message box of this thread is read and answered, in turn, with the given
// answers (IDOK once they run out). A thread timer does it from inside the box's own message loop.
class MessageBoxDriver {
public:
    explicit MessageBoxDriver(std::vector<int> answers = {}) : answers_(std::move(answers)) {
        s_active = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &MessageBoxDriver::Tick);
    }
    ~MessageBoxDriver() {
        ::KillTimer(nullptr, timer_);
        s_active = nullptr;
    }
    MessageBoxDriver(const MessageBoxDriver&) = delete;
    MessageBoxDriver& operator=(const MessageBoxDriver&) = delete;

    std::vector<ShownBox> boxes;
    // Called with each box before it is answered (while the code under test waits for the answer).
    std::function<void(HWND)> onBox;

private:
    static bool IsMessageBox(HWND h) {
        char cls[64] = {};
        ::GetClassNameA(h, cls, sizeof(cls));
        if (std::string(cls) != "#32770" || !::IsWindowVisible(h)) return false;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(h, &pid);
        if (pid != ::GetCurrentProcessId()) return false;
        return ::GetDlgItem(h, IDOK) || ::GetDlgItem(h, IDYES) || ::GetDlgItem(h, IDNO);
    }
    static BOOL CALLBACK FindBox(HWND h, LPARAM lParam) {
        auto* self = reinterpret_cast<MessageBoxDriver*>(lParam);
        if (!IsMessageBox(h)) return TRUE;
        for (HWND done : self->answered_) {
            if (done == h) return TRUE;
        }
        ShownBox box;
        box.caption = TextOf(h);
        box.owner = ::GetWindow(h, GW_OWNER);
        for (HWND c = ::GetWindow(h, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            if (ClassNameOf(c) == "Static") box.text += TextOf(c);
        }
        self->boxes.push_back(box);
        self->answered_.push_back(h);
        if (self->onBox) self->onBox(h);
        size_t n = self->boxes.size() - 1;
        int answer = n < self->answers_.size() ? self->answers_[n] : IDOK;
        ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(h, answer)));
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_active) ::EnumWindows(&MessageBoxDriver::FindBox, reinterpret_cast<LPARAM>(s_active));
    }

    std::vector<int> answers_;
    std::vector<HWND> answered_;
    UINT_PTR timer_ = 0;
    static inline MessageBoxDriver* s_active = nullptr;
};

inline LRESULT CALLBACK PlainWndProc(HWND h, UINT m, WPARAM w, LPARAM l) { return ::DefWindowProcA(h, m, w, l); }

// A top-level window of this thread with the given title, style and window rectangle.
inline HWND CreateTopWindow(const char* title, DWORD style, int x, int y, int cx, int cy, DWORD exStyle = 0) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &PlainWndProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = "PanelTestWindow";
        ::RegisterClassA(&wc);
        registered = true;
    }
    return ::CreateWindowExA(exStyle, "PanelTestWindow", title, style, x, y, cx, cy, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

// An ordinary window that passes every check of the pick.
inline HWND CreateTarget(const char* title, int x = 120, int y = 80) {
    return CreateTopWindow(title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 320, 240);
}

// The panel created as child dialog 129 of a top-level window of the test, with its settings file
// in a fresh folder. The global panel pointer is put back as it was when the host goes.
class PanelHost {
public:
    explicit PanelHost(bool visible = false) {
        saved_ = g_pControlDlg;
        dir = MakeTempDir();
        iniPath = dir + "\\Lumevarin.ini";
        parent =
            CreateTopWindow("panel host", WS_OVERLAPPED | WS_CAPTION | (visible ? WS_VISIBLE : 0), 40, 40, 460, 300);
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

    // A new target window, destroyed with the host (after the copies).
    HWND Target(const char* title, int x = 120, int y = 80) {
        HWND h = CreateTarget(title, x, y);
        targets.push_back(h);
        return h;
    }
    HWND Own(HWND h) {
        targets.push_back(h);
        return h;
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
};

// Whether another registration of the combination is refused because someone holds it (1409).
inline bool HotKeyTaken(UINT modifiers, UINT vk) {
    if (::RegisterHotKey(nullptr, 0x7ABC, modifiers, vk)) {
        ::UnregisterHotKey(nullptr, 0x7ABC);
        return false;
    }
    return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

}  // namespace panel_test
