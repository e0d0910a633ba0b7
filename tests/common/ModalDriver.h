// Driving dialogs and message boxes of this thread from inside their modal loops: a thread timer runs
// a script of steps, or answers every message box; and a message pump that pre-translates like the
// application's loops do.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "tests/common/TestUtil.h"

inline BOOL CALLBACK CollectDialog(HWND h, LPARAM lp) {
    if (::IsWindowVisible(h) && ClassNameOf(h) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

// Visible dialog-class windows (#32770) of this thread, message boxes included.
inline std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A visible message box of this thread: a dialog-class window other than the given dialogs.
inline HWND FindMessageBox(std::initializer_list<HWND> dialogs) {
    for (HWND h : ThreadDialogs()) {
        if (std::find(dialogs.begin(), dialogs.end(), h) == dialogs.end()) return h;
    }
    return nullptr;
}

// Steps run one after another by a thread timer, so they run inside whatever modal loop the test
// started (a dialog's, a message box's). A step returns true when done and false to be tried again
// at the next tick; steps only post, so a step never runs inside another. When the deadline passes,
// every dialog of the thread is cancelled so that the modal loops end and the test can fail.
class Script {
public:
    using Step = std::function<bool()>;

    Script& Then(Step step) {
        m_steps.push_back(std::move(step));
        return *this;
    }

    // Calls run() (which enters a modal loop) with the script's timer running.
    template <class Run> auto RunWith(Run run, DWORD timeoutMs = 15000) {
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
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
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

// A step that waits until the dialog object's window is shown, then calls then() with it.
inline Script::Step WhenShown(const CWnd& dlg, std::function<void(HWND)> then) {
    return [&dlg, then] {
        if (!dlg.m_hWnd || !::IsWindowVisible(dlg.m_hWnd)) return false;
        then(dlg.m_hWnd);
        return true;
    };
}

// A message box of this thread, as it was shown.
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
    // A dialog with the buttons of a message box (copy windows and the panel have none).
    static bool IsMessageBox(HWND h) {
        return ::GetDlgItem(h, IDOK) || ::GetDlgItem(h, IDYES) || ::GetDlgItem(h, IDNO);
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        MessageBoxDriver* self = s_active;
        if (!self) return;
        for (HWND h : ThreadDialogs()) {
            if (!IsMessageBox(h) || std::count(self->answered_.begin(), self->answered_.end(), h)) continue;
            self->boxes.push_back(ShownBox{MessageBoxText(h), TextOf(h), ::GetWindow(h, GW_OWNER)});
            self->answered_.push_back(h);
            if (self->onBox) self->onBox(h);
            const size_t n = self->boxes.size() - 1;
            PostClick(h, n < self->answers_.size() ? self->answers_[n] : IDOK);
        }
    }

    std::vector<int> answers_;
    std::vector<HWND> answered_;
    UINT_PTR timer_ = 0;
    static inline MessageBoxDriver* s_active = nullptr;
};

// Handles every message now queued for this thread the way the application's loops do
// (pre-translation by the target window and its parents, then dispatch).
inline void DrainMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}
