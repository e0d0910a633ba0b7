// Helpers shared by the test executables: message pumping with deadlines, child processes and
// their windows, temporary folders, pixels and screenshots, and the fixture program's log.
#pragma once

#include "tests/fixtures/FixtureLayout.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// ---- Files ------------------------------------------------------------------------------------

// Folder of the running test executable (the build folder), without a trailing backslash.
std::string ExeDir();
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
// What the screen shows in rect (screen coordinates).
Image ScreenImage(const RECT& rect);
bool SaveImageBmp(const Image& image, const std::string& path);
// The whole screen as a 24-bit .bmp file.
bool SaveScreenshot(const char* bmpPath);

// ---- The fixture target program --------------------------------------------------------------

// Path of fixture_target.exe next to the test executable.
std::string FixturePath();
// Starts the fixture with args and waits until its main window is made, shown (unless --hidden)
// and painted once.
bool StartFixture(ChildProcess& proc, const std::string& args, HWND* mainWindow, DWORD timeoutMs = 15000);

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
