#include "tests/common/TestUtil.h"

#include <algorithm>
#include <utility>

// ---- Message pumping --------------------------------------------------------------------------

namespace {

// Longest single wait: conditions may change in other processes, which wakes nobody here.
constexpr DWORD kPollSliceMs = 5;

// Handles the queued messages for one slice at most: a queue that never runs dry (a timer due again by
// the time its handler returns) must not keep the caller from its condition and its deadline.
void PumpPending() {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < kPollSliceMs && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue; // a test's own loop would have ended; nothing to end here
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (cond()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, std::min(timeoutMs - elapsed, kPollSliceMs), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// ---- Processes and their windows ---------------------------------------------------------------

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process(std::exchange(other.process, nullptr)), pid(std::exchange(other.pid, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Kill();
        process = std::exchange(other.process, nullptr);
        pid = std::exchange(other.pid, 0);
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    Kill();
}

bool ChildProcess::Start(const std::string& exePath, const std::string& args, const std::string& workDir) {
    Kill();
    std::string cmd = "\"" + exePath + "\"";
    if (!args.empty()) cmd += " " + args;
    std::vector<char> buffer(cmd.begin(), cmd.end());
    buffer.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    pid = pi.dwProcessId;
    return true;
}

bool ChildProcess::Running() const {
    return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitExit(DWORD ms, DWORD* exitCode) {
    if (!process) return false;
    // Pump while waiting: the child may send messages to windows of this thread.
    if (!PumpUntil([this] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, ms)) return false;
    if (exitCode) GetExitCodeProcess(process, exitCode);
    return true;
}

void ChildProcess::Kill() {
    if (!process) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
    }
    CloseHandle(process);
    process = nullptr;
    pid = 0;
}

namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->pid) search->found.push_back(hwnd);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& pred, DWORD timeoutMs) {
    HWND found = nullptr;
    PumpUntil(
        [&] {
            for (HWND hwnd : TopLevelWindowsOf(pid))
                if (pred(hwnd)) {
                    found = hwnd;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

HWND WaitForWindowClass(DWORD pid, const std::string& className, DWORD timeoutMs) {
    return WaitForWindow(
        pid, [&](HWND hwnd) { return ClassNameOf(hwnd) == className; }, timeoutMs);
}

HWND WaitForWindowTitle(DWORD pid, const std::string& title, DWORD timeoutMs) {
    return WaitForWindow(
        pid, [&](HWND hwnd) { return TextOf(hwnd) == title; }, timeoutMs);
}

std::string ClassNameOf(HWND hwnd) {
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd) {
    const int len = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(len) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), len + 1)));
    return text;
}

RECT WindowRectOf(HWND hwnd) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(hwnd, &r);
    return r;
}

POINT CentreOf(HWND hwnd) {
    RECT r = WindowRectOf(hwnd);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool BringToFront(HWND hwnd, DWORD timeoutMs) {
    return PumpUntil([&] { return SetForegroundWindow(hwnd) && GetForegroundWindow() == hwnd; }, timeoutMs);
}

// ---- Windows of the test's own ----------------------------------------------------------------

HWND CreateTopWindow(const char* title, DWORD style, int x, int y, int cx, int cy, DWORD exStyle) {
    static const char kClass[] = "LumevarinTestWindow";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClass;
        registered = RegisterClassA(&wc) != 0;
    }
    return CreateWindowExA(exStyle, kClass, title, style, x, y, cx, cy, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// ---- Dialogs and message boxes ----------------------------------------------------------------

void PostClick(HWND dlg, int id) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

std::string MessageBoxText(HWND box) {
    return TextOf(GetDlgItem(box, 0xFFFF));
}

bool IsChecked(HWND dlg, int id) {
    return SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// ---- Keys and hotkeys -------------------------------------------------------------------------

std::vector<INPUT> KeyInputs(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> inputs;
    for (auto [vk, down] : keys) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
        in.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (vk == VK_LWIN ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(in);
    }
    return inputs;
}

bool SendWinC() {
    std::vector<INPUT> in = KeyInputs({{VK_LWIN, true}, {'C', true}, {'C', false}, {VK_LWIN, false}});
    return SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) == in.size();
}

namespace {

// The error of a registration of the combination on this thread (0: it succeeded, and is undone).
DWORD TryHotKey(UINT modifiers, UINT vk) {
    constexpr int kProbeId = 0x7ABC;
    if (!RegisterHotKey(nullptr, kProbeId, modifiers, vk)) return GetLastError();
    UnregisterHotKey(nullptr, kProbeId);
    return 0;
}

} // namespace

bool HotKeyTaken(UINT modifiers, UINT vk) {
    return TryHotKey(modifiers, vk) == ERROR_HOTKEY_ALREADY_REGISTERED;
}

bool HotKeyFree(UINT modifiers, UINT vk) {
    return TryHotKey(modifiers, vk) == 0;
}

HeldHotKey::HeldHotKey(UINT modifiers, UINT vk) {
    static int nextId = 0x5100;
    id_ = nextId++;
    held_ = RegisterHotKey(nullptr, id_, modifiers, vk) != FALSE;
}

HeldHotKey::~HeldHotKey() {
    if (held_) UnregisterHotKey(nullptr, id_);
}

// ---- Files ------------------------------------------------------------------------------------

std::string ExePath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string ExeDir() {
    const std::string path = ExePath();
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string ExeName() {
    const std::string path = ExePath();
    return path.substr(path.find_last_of("\\/") + 1);
}

std::string ExeStem() {
    const std::string name = ExeName();
    return name.substr(0, name.rfind('.'));
}

std::string MakeTempDir() {
    static unsigned counter = 0;
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string base = temp;
    if (!base.empty() && base.back() != '\\') base += '\\';
    for (;;) {
        const std::string dir = base + "lumevarin_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                                std::to_string(GetTickCount()) + "_" + std::to_string(++counter);
        if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
}

bool RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    return RemoveDirectoryA(dir.c_str()) != 0;
}

std::string ReadFileText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

bool WriteFileText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    return ok;
}

// ---- Pixels -----------------------------------------------------------------------------------

COLORREF Image::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

Image ImageOfBitmap(HBITMAP bitmap) {
    Image image;
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return image;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
    HDC screen = GetDC(nullptr);
    const int rows =
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != bm.bmHeight) return image;
    for (uint32_t& p : pixels) p &= 0x00FFFFFF;
    image.width = bm.bmWidth;
    image.height = bm.bmHeight;
    image.pixels = std::move(pixels);
    return image;
}

COLORREF PixelOfBitmap(HBITMAP bitmap, int x, int y) {
    return ImageOfBitmap(bitmap).At(x, y);
}

namespace {

// Draws with draw(memoryDc) into a w x h bitmap first filled with kUnpaintedColour.
template <typename Draw> Image DrawToImage(int w, int h, Draw draw) {
    if (w <= 0 || h <= 0) return Image();
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bitmap);
    HBRUSH brush = CreateSolidBrush(kUnpaintedColour);
    const RECT all{0, 0, w, h};
    FillRect(mem, &all, brush);
    DeleteObject(brush);
    draw(mem, screen);
    SelectObject(mem, old);
    Image image = ImageOfBitmap(bitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return image;
}

} // namespace

Image PrintWindowImage(HWND hwnd, UINT flags) {
    RECT rc{};
    if (flags & PW_CLIENTONLY)
        GetClientRect(hwnd, &rc);
    else
        GetWindowRect(hwnd, &rc);
    return DrawToImage(rc.right - rc.left, rc.bottom - rc.top,
                       [&](HDC mem, HDC) { PrintWindow(hwnd, mem, flags); });
}

Image ScreenImage(const RECT& rect) {
    return DrawToImage(rect.right - rect.left, rect.bottom - rect.top, [&](HDC mem, HDC screen) {
        BitBlt(mem, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen, rect.left, rect.top,
               SRCCOPY);
    });
}

Image ClientImage(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return ScreenImage(rc);
}

bool SaveImageBmp(const Image& image, const std::string& path) {
    if (image.Empty()) return false;
    const DWORD stride = (static_cast<DWORD>(image.width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(image.height);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42; // "BM"
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + imageSize;
    ih.biSize = sizeof ih;
    ih.biWidth = image.width;
    ih.biHeight = image.height; // bottom-up
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = imageSize;

    std::string data(reinterpret_cast<const char*>(&fh), sizeof fh);
    data.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    std::string row(stride, '\0');
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) +
                                            static_cast<size_t>(x)];
            row[static_cast<size_t>(x) * 3 + 0] = static_cast<char>(p & 0xFF);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
        }
        data += row;
    }
    return WriteFileText(path, data);
}

bool SaveScreenshot(const char* bmpPath) {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT screen{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return SaveImageBmp(ScreenImage(screen), bmpPath);
}

// ---- The fixture target program --------------------------------------------------------------

std::string FixturePath() {
    return ExeDir() + "\\" + fixture::kExeName;
}

bool StartFixture(ChildProcess& proc, const std::string& args, HWND* mainWindow, DWORD timeoutMs) {
    if (mainWindow) *mainWindow = nullptr;
    if (!proc.Start(FixturePath(), args)) return false;
    FixtureLog log;
    const bool ready = PumpUntil(
        [&] {
            if (!log.IsOpen() && !log.Open(proc.pid)) return !proc.Running();
            return log.IsReady();
        },
        timeoutMs);
    if (!ready || !log.IsOpen() || !log.IsReady()) return false;
    if (mainWindow) *mainWindow = log.MainWindow();
    return true;
}

HWND FixtureChild(HWND main, int id) {
    const fixture::ChildSpec* spec = fixture::FindChild(id);
    if (!spec) return nullptr;
    HWND parent = spec->parentId == fixture::kIdMain ? main : FixtureChild(main, spec->parentId);
    return parent ? GetDlgItem(parent, id) : nullptr;
}

FixtureLog::~FixtureLog() {
    Close();
}

bool FixtureLog::Open(DWORD pid) {
    Close();
    mapping_ = OpenFileMappingA(FILE_MAP_READ, FALSE, fixture::LogName(pid).c_str());
    if (!mapping_) return false;
    log_ = static_cast<const fixture::SharedLog*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
    if (!log_ || log_->header.magic != fixture::kLogMagic) {
        Close();
        return false;
    }
    return true;
}

void FixtureLog::Close() {
    if (log_) UnmapViewOfFile(log_);
    if (mapping_) CloseHandle(mapping_);
    log_ = nullptr;
    mapping_ = nullptr;
}

uint32_t FixtureLog::Written() const {
    return log_ ? static_cast<uint32_t>(log_->header.written) : 0;
}

LONG FixtureLog::PaintCount() const {
    return log_ ? log_->header.paintCount : 0;
}

bool FixtureLog::IsReady() const {
    return log_ && log_->header.ready != 0;
}

HWND FixtureLog::MainWindow() const {
    return log_ ? reinterpret_cast<HWND>(static_cast<uintptr_t>(log_->header.mainHwnd)) : nullptr;
}

std::vector<fixture::LogRecord> FixtureLog::Records(uint32_t from) const {
    std::vector<fixture::LogRecord> out;
    if (!log_) return out;
    const uint32_t written = Written();
    const uint32_t oldest = written > fixture::kLogCapacity ? written - fixture::kLogCapacity : 0;
    for (uint32_t n = std::max(from, oldest); n < written; ++n)
        out.push_back(log_->records[n % fixture::kLogCapacity]);
    return out;
}

std::vector<fixture::LogRecord> FixtureLog::Find(int ctrlId, UINT msg, uint32_t from) const {
    std::vector<fixture::LogRecord> out;
    for (const fixture::LogRecord& r : Records(from))
        if (r.ctrlId == ctrlId && r.message == msg) out.push_back(r);
    return out;
}
