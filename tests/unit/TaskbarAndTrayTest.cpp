// What the program hands the shell: taskbar buttons through the taskbar list object, which a fake class
// object registered for this process stands in for, and the tray records, which a recorder takes in place
// of the shell's call. Also the pick hotkey changed through the property dialog from the tray.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/LumevarinDlg.h"
#include "panel/HotKeyExCtrl.h"
#include "res/resource.h"
#include "tests/common/ModalDriver.h"
#include "tests/unit/PanelTestSupport.h"

using panel_test::CountedCopy;
using panel_test::CreateTarget;

namespace {

// ==== Taskbar buttons ===============================================================================

// The taskbar list's calls and this thread's COM set-up and tear-down, in one log.
std::vector<std::string> g_comLog;
HRESULT g_tabResult = S_OK;
bool g_refuseCreate = false;

std::string Tab(const char* op, HWND hwnd) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %p", op, static_cast<void*>(hwnd));
    return text;
}

// QueryInterface of an object with one interface besides IUnknown.
HRESULT QueryOne(IUnknown* self, REFIID own, REFIID riid, void** ppv) {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, own) ? self : nullptr;
    if (!*ppv) return E_NOINTERFACE;
    self->AddRef();
    return S_OK;
}

class FakeTaskbarList final : public ITaskbarList {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return QueryOne(this, IID_ITaskbarList, riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--m_refs) return m_refs;
        g_comLog.push_back("Release");
        delete this;
        return 0;
    }
    HRESULT STDMETHODCALLTYPE HrInit() override { return Log("HrInit", S_OK); }
    HRESULT STDMETHODCALLTYPE AddTab(HWND h) override { return Log(Tab("AddTab", h), g_tabResult); }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND h) override { return Log(Tab("DeleteTab", h), g_tabResult); }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND h) override { return Log(Tab("ActivateTab", h), S_OK); }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND h) override { return Log(Tab("SetActiveAlt", h), S_OK); }

private:
    static HRESULT Log(std::string entry, HRESULT hr) {
        g_comLog.push_back(std::move(entry));
        return hr;
    }
    ULONG m_refs = 1;
};

// The factory and the spy live as long as the test fixture; their counts are not kept.
class FakeTaskbarListFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return QueryOne(this, IID_IClassFactory, riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        *ppv = nullptr;
        g_comLog.push_back("Create");
        if (outer) return CLASS_E_NOAGGREGATION;
        if (g_refuseCreate) return E_OUTOFMEMORY;
        auto* list = new FakeTaskbarList;
        HRESULT hr = list->QueryInterface(riid, ppv);
        list->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

class ComInitSpy final : public IInitializeSpy {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return QueryOne(this, IID_IInitializeSpy, riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE PreInitialize(DWORD, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostInitialize(HRESULT hr, DWORD, DWORD) override {
        g_comLog.push_back("CoInitialize");
        return hr;
    }
    HRESULT STDMETHODCALLTYPE PreUninitialize(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostUninitialize(DWORD) override {
        g_comLog.push_back("CoUninitialize");
        return S_OK;
    }
};

// The log of whole taskbar calls, each (operation, window) in a COM set-up of its own.
std::vector<std::string> Calls(std::initializer_list<std::pair<const char*, HWND>> calls) {
    std::vector<std::string> log;
    for (const auto& [op, hwnd] : calls)
        log.insert(log.end(),
                   {"CoInitialize", "Create", "HrInit", Tab(op, hwnd), "Release", "CoUninitialize"});
    return log;
}

class TaskbarTest : public testing::Test {
protected:
    void SetUp() override {
        g_comLog.clear();
        g_tabResult = S_OK;
        g_refuseCreate = false;
        // The test's apartment holds the fake's registration across the program's own set-ups.
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        m_comHeld = true;
        ASSERT_EQ(CoRegisterClassObject(CLSID_TaskbarList, &m_factory, CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &m_classCookie),
                  S_OK);
        ASSERT_EQ(CoRegisterInitializeSpy(&m_spy, &m_spyCookie), S_OK);
    }
    void TearDown() override {
        CoRevokeInitializeSpy(m_spyCookie);
        CoRevokeClassObject(m_classCookie);
        if (m_comHeld) CoUninitialize();
        if (IsWindow(m_target)) DestroyWindow(m_target);
    }

    HWND m_target = nullptr;

private:
    FakeTaskbarListFactory m_factory;
    ComInitSpy m_spy;
    bool m_comHeld = false;
    DWORD m_classCookie = 0;
    ULARGE_INTEGER m_spyCookie = {};
};

TEST_F(TaskbarTest, ButtonPassesToTheCopyAndBackEachCallInACOMSetUpOfItsOwn) {
    m_target = CreateTarget(RECT{100, 50, 900, 650});
    // Bound first: making a dialog may set COM up for the platform's own use.
    auto* copy = new CountedCopy(true);
    ASSERT_TRUE(copy->Create(IDD_EIDREL_DIALOG, m_target));
    copy->SetTarget(m_target);
    g_comLog.clear();
    copy->HideTargetWindow();
    EXPECT_EQ(g_comLog, Calls({{"AddTab", copy->m_hWnd}, {"DeleteTab", m_target}}));

    g_comLog.clear();
    copy->DestroyWindow();
    EXPECT_EQ(g_comLog, Calls({{"AddTab", m_target}}));
}

TEST_F(TaskbarTest, ResultIsTheShellsAndCOMIsTornDownOnEveryPath) {
    m_target = CreateTopWindow("Target", WS_OVERLAPPEDWINDOW, 100, 50, 300, 200);
    EXPECT_TRUE(AddTaskbarTab(m_target));
    g_tabResult = S_FALSE;
    EXPECT_FALSE(DeleteTaskbarTab(m_target));
    g_tabResult = E_FAIL;
    EXPECT_FALSE(AddTaskbarTab(m_target));
    g_refuseCreate = true;
    EXPECT_FALSE(DeleteTaskbarTab(m_target));

    std::vector<std::string> expected =
        Calls({{"AddTab", m_target}, {"DeleteTab", m_target}, {"AddTab", m_target}});
    expected.insert(expected.end(), {"CoInitialize", "Create", "CoUninitialize"});
    EXPECT_EQ(g_comLog, expected);
}

// ==== Tray icon =====================================================================================

struct TrayCall {
    DWORD message;
    NOTIFYICONDATAA record;
    BOOL result;
};
std::vector<TrayCall> g_trayCalls;
int g_modifiesToRefuse = 0;

BOOL WINAPI RecordTrayCall(DWORD message, PNOTIFYICONDATAA record) {
    const bool refuse = message == NIM_MODIFY && g_modifiesToRefuse > 0;
    if (refuse) --g_modifiesToRefuse;
    g_trayCalls.push_back(TrayCall{message, *record, !refuse});
    return !refuse;
}

// The icon's record: all zero but for these members.
NOTIFYICONDATAA IconRecord(HWND main, HICON icon, const std::string& tip) {
    NOTIFYICONDATAA r;
    std::memset(&r, 0, sizeof r);
    r.cbSize = kTrayRecordSize;
    r.hWnd = main;
    r.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    r.uCallbackMessage = 0x464;
    r.hIcon = icon;
    std::memcpy(r.szTip, tip.c_str(), tip.size() + 1);
    return r;
}

bool Same(const NOTIFYICONDATAA& a, const NOTIFYICONDATAA& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Ends a run whose script stalls the way the tray menu's exit does, so that a failing test ends too.
void CALLBACK EndStalledRun(HWND main, UINT, UINT_PTR id, DWORD) {
    KillTimer(main, id);
    PostMessageA(main, WM_COMMAND, ID_MENU_EXIT, 0);
}

// The main window run modally in a folder of its own (its settings file goes there), its tray records
// recorded.
class TrayTest : public testing::Test {
protected:
    void SetUp() override {
        g_bDebugMode = 0;
        g_pfnShellNotifyIconA = &RecordTrayCall;
        g_trayCalls.clear();
        g_modifiesToRefuse = 0;
        char dir[MAX_PATH] = "";
        GetCurrentDirectoryA(MAX_PATH, dir);
        m_savedDir = dir;
        m_dir = MakeTempDir();
        SetCurrentDirectoryA(m_dir.c_str());
        m_main = std::make_unique<CLumevarinDlg>();
    }
    void TearDown() override {
        m_main.reset();
        SetCurrentDirectoryA(m_savedDir.c_str());
        RemoveTree(m_dir);
    }
    void Run(Script& script) {
        script.RunWith([&] { return m_main->DoModal(); }, 18000);
        EXPECT_TRUE(script.Finished()) << "steps done: " << script.StepsDone();
    }
    // The first step: once the program has started (its icon added), then().
    Script::Step Started(std::function<void()> then) {
        return [this, then] {
            if (g_trayCalls.empty()) return false;
            m_hMain = m_main->m_hWnd;
            SetTimer(m_hMain, 1, 20000, &EndStalledRun);
            then();
            return true;
        };
    }
    NOTIFYICONDATAA Icon(const std::string& tip) const {
        return IconRecord(m_hMain, m_main->m_hTrayIcon, tip);
    }
    // The tray menu's exit.
    bool Exit() const { return PostMessageA(m_hMain, WM_COMMAND, ID_MENU_EXIT, 0) != FALSE; }

    std::unique_ptr<CLumevarinDlg> m_main;
    HWND m_hMain = nullptr;
    std::string m_dir;

private:
    Restore<CControlDlg*> m_panel{g_pControlDlg};
    Restore<int> m_debug{g_bDebugMode};
    Restore<decltype(g_pfnShellNotifyIconA)> m_trayCall{g_pfnShellNotifyIconA};
    std::string m_savedDir;
};

TEST_F(TrayTest, IconIsAddedAtStartAddedAgainWhenLostAndDeletedAtExit) {
    size_t refused = 0, beforeRestart = 0;
    bool readdedAtOnce = false;
    Script script;
    script
        .Then(Started([] { g_modifiesToRefuse = 1; })) // the shell lost the icon: the next modify fails
        .Then([&] {
            if (g_modifiesToRefuse > 0) return false;
            while (g_trayCalls[refused].result) ++refused;
            readdedAtOnce = g_trayCalls.size() == refused + 2 && g_trayCalls.back().message == NIM_ADD;
            beforeRestart = g_trayCalls.size();
            SendMessageA(m_hMain, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
            return true;
        })
        .Then([&] { return Exit(); });
    Run(script);
    ASSERT_GT(beforeRestart, 0u);

    const NOTIFYICONDATAA icon = Icon("朧写鏡\r\n幻写[Win + C]");
    EXPECT_EQ(g_trayCalls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(Same(g_trayCalls[0].record, icon)) << g_trayCalls[0].record.szTip;
    // Every tick modifies with the same record; a refused modify is followed by an add in the same tick.
    for (size_t i = 1; i <= refused; ++i) {
        EXPECT_EQ(g_trayCalls[i].message, static_cast<DWORD>(NIM_MODIFY)) << i;
        EXPECT_TRUE(Same(g_trayCalls[i].record, icon)) << i;
    }
    EXPECT_TRUE(readdedAtOnce);
    EXPECT_TRUE(Same(g_trayCalls[refused + 1].record, icon));
    // The shell's restart notice adds it again.
    ASSERT_GT(g_trayCalls.size(), beforeRestart);
    EXPECT_EQ(g_trayCalls[beforeRestart].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(Same(g_trayCalls[beforeRestart].record, icon));
    // The exit ends with the delete: size, window and nothing else.
    NOTIFYICONDATAA removal;
    std::memset(&removal, 0, sizeof removal);
    removal.cbSize = kTrayRecordSize;
    removal.hWnd = m_hMain;
    EXPECT_EQ(g_trayCalls.back().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(Same(g_trayCalls.back().record, removal));
    EXPECT_FALSE(IsWindow(m_hMain));
}

// ==== Pick hotkey changed in the property dialog, opened from the tray ==============================

constexpr UINT kMods = MOD_CONTROL | MOD_ALT | MOD_SHIFT;

// While the property dialog goes (after its own check, before the panel registers), another program takes
// g_grabbedKey.
UINT g_grabbedKey = 0;
WNDPROC g_dialogProc = nullptr;
std::unique_ptr<HeldHotKey> g_grab;

LRESULT CALLBACK GrabWhenDestroyed(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) g_grab = std::make_unique<HeldHotKey>(kMods, g_grabbedKey);
    return CallWindowProcA(g_dialogProc, h, msg, wParam, lParam);
}

HWND PropertyDialog() {
    for (HWND h : ThreadDialogs())
        if (TextOf(h) == "プロパティ設定") return h;
    return nullptr;
}

// A step: once the property dialog is shown, OK with the combination kMods + vk, the combination taken
// by another program meanwhile when grabbed.
Script::Step OkWithHotKey(UINT vk, bool grabbed = false) {
    return [vk, grabbed] {
        HWND dlg = PropertyDialog();
        auto* field =
            dlg ? dynamic_cast<CHotKeyExCtrl*>(CWnd::FromHandlePermanent(GetDlgItem(dlg, IDC_HOTKEY)))
                : nullptr;
        if (!field) return false;
        field->SetHotKeyForRegister(static_cast<WORD>(vk), kMods);
        if (grabbed) {
            g_grabbedKey = vk;
            g_dialogProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GrabWhenDestroyed)));
        }
        PostClick(dlg, IDOK);
        return true;
    };
}

TEST_F(TrayTest, NewHotKeyIsRegisteredInPlaceOfTheOldWrittenAndShownInTheTip) {
    constexpr UINT kNewKey = VK_F11, kTakenKey = VK_F7;
    ASSERT_TRUE(HotKeyFree(kMods, kNewKey));
    ASSERT_TRUE(HotKeyFree(kMods, kTakenKey));
    const std::string newTip =
        std::string("朧写鏡\r\n幻写[") + CHotKeyExCtrl::MakeHotKeyName(kMods, kNewKey).GetString() + "]";
    const std::string ini = m_dir + "\\Lumevarin.ini";
    auto openDialog = [this] { PostMessageA(m_hMain, WM_TRAYNOTIFY, 0, WM_LBUTTONDBLCLK); };
    bool oldHeldAtStart = false, oldFree = false, newTaken = false, newFreeAfterRefusal = false;
    DWORD okAt = 0, tipAfter = 0;
    std::string boxText;
    Script script;
    script
        .Then(Started([&] {
            oldHeldAtStart = HotKeyTaken(MOD_WIN, 'C');
            openDialog();
        }))
        .Then([&] {
            okAt = GetTickCount();
            return OkWithHotKey(kNewKey)();
        })
        .Then([&] {
            // The tooltip follows within a tick of the tray timer.
            const auto it = std::find_if(g_trayCalls.begin(), g_trayCalls.end(), [&](const TrayCall& c) {
                return c.message == NIM_MODIFY && Same(c.record, Icon(newTip));
            });
            if (it == g_trayCalls.end()) return false;
            tipAfter = GetTickCount() - okAt;
            oldFree = HotKeyFree(MOD_WIN, 'C');
            newTaken = HotKeyTaken(kMods, kNewKey);
            return true;
        })
        .Then([&] {
            // The delayed settings write (the exit would write them too).
            if (GetPrivateProfileIntA("SYSTEM", "WSHOTKEY", 0, ini.c_str()) != kNewKey) return false;
            openDialog();
            return true;
        })
        .Then(OkWithHotKey(kTakenKey, true))
        .Then([&] {
            // The panel reports the refused registration; the combination it held is free all the same.
            HWND box = PropertyDialog() ? nullptr : FindMessageBox({});
            if (!box) return false;
            boxText = MessageBoxText(box);
            newFreeAfterRefusal = HotKeyFree(kMods, kNewKey);
            PostClick(box, IDOK);
            return true;
        })
        .Then([&] { return Exit(); });
    Run(script);
    g_grab.reset();

    EXPECT_TRUE(oldHeldAtStart);
    EXPECT_TRUE(oldFree);
    EXPECT_TRUE(newTaken);
    EXPECT_LT(tipAfter, 2500u);
    EXPECT_EQ(GetPrivateProfileIntA("SYSTEM", "WSMODIFIERS", 0, ini.c_str()), kMods);
    EXPECT_EQ(boxText, "ホットキーの登録が重複しています.他のキーに変更してください ");
    EXPECT_TRUE(newFreeAfterRefusal);
    EXPECT_EQ(m_main->m_ctrlDlg.m_nWsHotKey, static_cast<int>(kTakenKey));
    EXPECT_EQ(m_main->m_ctrlDlg.m_nWsModifiers, static_cast<int>(kMods));
}

} // namespace
