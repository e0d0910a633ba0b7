// Helpers shared by the test executables: message pumping with deadlines, child processes and
// their windows, windows of the test's own, dialogs, keys and hotkeys, temporary folders, pixels
// and screenshots, and the fixture program with its log.
#pragma once

#include "tests/fixtures/FixtureLayout.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// Keeps a process-wide setting as it was when the guard was made and puts it back when the guard goes
// (a test fixture holds one per global it changes).
template <typename T> class Restore {
public:
    explicit Restore(T& value) : m_value(value), m_saved(value) {}
    ~Restore() { m_value = m_saved; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& m_value;
    T m_saved;
};

// ---- Message pumping --------------------------------------------------------------------------

// Pumps this thread's messages until cond() holds or timeoutMs has passed; cond() is checked
// before the first wait, after every batch of messages and at least every few milliseconds (it
// may depend on other processes). Returns whether cond() held.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs);

// Pumps this thread's messages for ms milliseconds. Only for waiting on something that has no
// observable end (e.g. "nothing happens"); anything else goes through PumpUntil.
void PumpFor(DWORD ms);

// ---- Processes and their windows ---------------------------------------------------------------

// A process started by the test; killed by the destructor if still running.
struct ChildProcess {
    HANDLE process = nullptr;
    DWORD pid = 0;

    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    // Starts exePath with the command line "exePath" args in workDir (empty: the test's current
    // folder). Returns false (and leaves the object empty) when CreateProcessA fails.
    bool Start(const std::string& exePath, const std::string& args = "", const std::string& workDir = "");
    bool Running() const;
    // Waits up to ms for the process to end; stores its exit code when it did.
    bool WaitExit(DWORD ms, DWORD* exitCode = nullptr);
    // Terminates the process if it still runs, waits for it and releases the handle.
    void Kill();
};

// All top-level windows (visible or not) that belong to process pid.
std::vector<HWND> TopLevelWindowsOf(DWORD pid);
// Pumps until a top-level window of pid satisfies pred; nullptr on timeout.
HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& pred, DWORD timeoutMs);
HWND WaitForWindowClass(DWORD pid, const std::string& className, DWORD timeoutMs);
HWND WaitForWindowTitle(DWORD pid, const std::string& title, DWORD timeoutMs);

std::string ClassNameOf(HWND hwnd);
std::string TextOf(HWND hwnd);
RECT WindowRectOf(HWND hwnd);
// The centre of a window's rectangle, on screen.
POINT CentreOf(HWND hwnd);

// Brings hwnd to the front and pumps until the system reports it as the foreground window.
bool BringToFront(HWND hwnd, DWORD timeoutMs = 3000);

// ---- Windows of the test's own ----------------------------------------------------------------

// A top-level window of this thread with the given title, style, window rectangle and extended
// style; its class only erases with the window colour.
HWND CreateTopWindow(const char* title, DWORD style, int x, int y, int cx, int cy, DWORD exStyle = 0);

// ---- Dialogs and message boxes (of this process or another) -----------------------------------

// Presses a dialog button the way a click does, without moving the focus: BN_CLICKED to the dialog.
void PostClick(HWND dlg, int id);
// The text of a message box (its static control 0xFFFF).
std::string MessageBoxText(HWND box);
bool IsChecked(HWND dlg, int id);

// ---- Keys and hotkeys -------------------------------------------------------------------------

// Key events for SendInput, in order: (virtual key, pressed); with scan codes, the Windows key extended.
std::vector<INPUT> KeyInputs(std::initializer_list<std::pair<WORD, bool>> keys);
// Win+C pressed and released through SendInput; whether all four events were taken.
bool SendWinC();

// Whether a registration of the combination is refused because someone holds it (error 1409).
bool HotKeyTaken(UINT modifiers, UINT vk);
// Whether the combination can be registered now (the test's registration is undone at once).
bool HotKeyFree(UINT modifiers, UINT vk);

// Holds a combination for this thread while it lives, as another program would.
class HeldHotKey {
public:
    HeldHotKey(UINT modifiers, UINT vk);
    ~HeldHotKey();
    HeldHotKey(const HeldHotKey&) = delete;
    HeldHotKey& operator=(const HeldHotKey&) = delete;
    bool Held() const { return held_; }

private:
    int id_;
    bool held_;
};

// ---- Files ------------------------------------------------------------------------------------

// The running test executable: full path, folder (the build folder, without a trailing backslash),
// file name, and file name without extension (the caption AfxMessageBox gives its boxes).
std::string ExePath();
std::string ExeDir();
std::string ExeName();
std::string ExeStem();
// A new, empty folder under %TEMP%.
std::string MakeTempDir();
// Deletes a folder and everything in it.
bool RemoveTree(const std::string& dir);
std::string ReadFileText(const std::string& path);
bool WriteFileText(const std::string& path, const std::string& text);

// ---- Pixels -----------------------------------------------------------------------------------

// A 32-bit top-down picture.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
    bool Empty() const { return width <= 0 || height <= 0; }
    COLORREF At(int x, int y) const;
};

// What PrintWindowImage() and ScreenImage() hold where nothing was drawn.
inline constexpr COLORREF kUnpaintedColour = RGB(255, 0, 255);

Image ImageOfBitmap(HBITMAP bitmap);
COLORREF PixelOfBitmap(HBITMAP bitmap, int x, int y);
// Whole window (flags 0) or client area (PW_CLIENTONLY) through PrintWindow.
Image PrintWindowImage(HWND hwnd, UINT flags = 0);
// What the screen shows in rect (screen coordinates), and of a window's client area.
Image ScreenImage(const RECT& rect);
Image ClientImage(HWND hwnd);
bool SaveImageBmp(const Image& image, const std::string& path);
// The whole screen as a 24-bit .bmp file.
bool SaveScreenshot(const char* bmpPath);

// ---- The fixture target program --------------------------------------------------------------

// Path of fixture_target.exe next to the test executable.
std::string FixturePath();
// Starts the fixture with args and waits until its main window is made, shown (unless --hidden)
// and painted once.
bool StartFixture(ChildProcess& proc, const std::string& args, HWND* mainWindow, DWORD timeoutMs = 15000);

// The fixture's main window, in a process of its own that ends with the object.
struct FixtureWindow {
    ChildProcess proc;
    HWND hwnd = nullptr;
    bool Start(const std::string& args = "") { return StartFixture(proc, args, &hwnd); }
};

// The descendant of the fixture's main window with control id id, found through the parents the
// layout gives it; nullptr when the tree differs from the layout.
HWND FixtureChild(HWND main, int id);

// Reader of the fixture's shared-memory log (see FixtureLayout.h). Records are numbered from 0;
// "from" arguments take a value of Written() read earlier, to see only what came after it.
class FixtureLog {
public:
    FixtureLog() = default;
    FixtureLog(const FixtureLog&) = delete;
    FixtureLog& operator=(const FixtureLog&) = delete;
    ~FixtureLog();

    bool Open(DWORD pid);
    void Close();
    bool IsOpen() const { return log_ != nullptr; }

    uint32_t Written() const;
    LONG PaintCount() const;
    bool IsReady() const;
    HWND MainWindow() const;
    // Records with seq >= from that are still in the ring, oldest first.
    std::vector<fixture::LogRecord> Records(uint32_t from = 0) const;
    // Those of them that window ctrlId received with message msg.
    std::vector<fixture::LogRecord> Find(int ctrlId, UINT msg, uint32_t from = 0) const;
    bool Contains(int ctrlId, UINT msg, uint32_t from = 0) const { return !Find(ctrlId, msg, from).empty(); }

private:
    HANDLE mapping_ = nullptr;
    const fixture::SharedLog* log_ = nullptr;
};
