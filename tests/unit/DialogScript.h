// Helpers for tests of dialogs: a script of steps run from inside a modal loop by a thread timer,
// message-box lookup, a message pump that pre-translates like the application's loops do, and a
// capture of what the code under test prints.
#pragma once

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/Wnd.h"

namespace dialog_test {

inline std::string WindowTextOf(HWND hwnd)
{
    char buf[1024] = {};
    ::GetWindowTextA(hwnd, buf, sizeof(buf));
    return buf;
}

inline std::string ClassOf(HWND hwnd)
{
    char buf[256] = {};
    ::GetClassNameA(hwnd, buf, sizeof(buf));
    return buf;
}

inline BOOL CALLBACK CollectDialog(HWND h, LPARAM lp)
{
    if (::IsWindowVisible(h) && ClassOf(h) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

// Visible dialog-class windows (#32770) of this thread, message boxes included.
inline std::vector<HWND> ThreadDialogs()
{
    std::vector<HWND> found;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A visible message box of this thread: a dialog-class window other than the given dialogs.
inline HWND FindMessageBox(std::initializer_list<HWND> dialogs)
{
    for (HWND h : ThreadDialogs()) {
        bool known = false;
        for (HWND d : dialogs) known = known || h == d;
        if (!known) return h;
    }
    return nullptr;
}

// The text of a message box (its static control 0xFFFF).
inline std::string MessageBoxText(HWND box)
{
    char buf[1024] = {};
    ::GetDlgItemTextA(box, 0xFFFF, buf, sizeof(buf));
    return buf;
}

// Presses a dialog button the way a click does, without moving the focus: BN_CLICKED to the dialog.
inline void PostClick(HWND hDlg, int id)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, id)));
}

// Steps run one after another by a thread timer, so they run inside whatever modal loop the test
// started (a dialog's, a message box's). A step returns true when done and false to be tried again
// at the next tick; steps only post, so a step never runs inside another. When the deadline passes,
// every dialog of the thread is cancelled so that the modal loops end and the test can fail.
class Script {
public:
    using Step = std::function<bool()>;

    Script& Then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }

    // Calls run() (which enters a modal loop) with the script's timer running.
    template <class Run> auto RunWith(Run run, DWORD timeoutMs = 15000)
    {
        m_deadline = ::GetTickCount() + timeoutMs;
        m_next = 0;
        m_timedOut = false;
        Script* previous = s_active;
        s_active = this;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 15, &Script::Tick);
        auto result = run();
        ::KillTimer(nullptr, timer);
        s_active = previous;
        return result;
    }

    bool Finished() const { return m_next == m_steps.size(); }
    bool TimedOut() const { return m_timedOut; }
    size_t StepsDone() const { return m_next; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        Script* self = s_active;
        if (!self) return;
        if (static_cast<LONG>(::GetTickCount() - self->m_deadline) >= 0) {
            self->m_timedOut = true;
            for (HWND h : ThreadDialogs()) ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        if (self->m_inStep || self->Finished()) return;
        self->m_inStep = true;
        if (self->m_steps[self->m_next]()) ++self->m_next;
        self->m_inStep = false;
    }

    static inline Script* s_active = nullptr;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_deadline = 0;
    bool m_timedOut = false;
    bool m_inStep = false;
};

// Handles every message now queued for this thread the way the application's loops do
// (pre-translation by the target window and its parents, then dispatch).
inline void DrainMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

// Collects what the process writes to its standard output between construction and Finish().
class StdoutCapture {
public:
    StdoutCapture()
    {
        char dir[MAX_PATH];
        ::GetTempPathA(MAX_PATH, dir);
        ::GetTempFileNameA(dir, "out", 0, m_path);
        std::fflush(stdout);
        m_saved = _dup(1);
        int fd = _open(m_path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
        _dup2(fd, 1);
        _close(fd);
    }
    ~StdoutCapture() { Finish(); }

    std::string Finish()
    {
        if (m_saved >= 0) {
            std::fflush(stdout);
            _dup2(m_saved, 1);
            _close(m_saved);
            m_saved = -1;
            if (FILE* f = std::fopen(m_path, "rb")) {
                char buf[4096];
                size_t n;
                while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) m_text.append(buf, n);
                std::fclose(f);
            }
            ::DeleteFileA(m_path);
        }
        return m_text;
    }

private:
    char m_path[MAX_PATH] = {};
    int m_saved = -1;
    std::string m_text;
};

} // namespace dialog_test
