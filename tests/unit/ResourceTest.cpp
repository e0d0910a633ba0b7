// The program's resources: dialog templates, menus, icon, version and manifest as the program expects them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/common/TestUtil.h"

namespace {

std::string ToCp932(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(932, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// The process manifest of a module, empty when it has none.
std::string ManifestOf(HMODULE hMod) {
    HRSRC hManifest = FindResourceA(hMod, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    if (!hManifest) return std::string();
    return std::string(static_cast<const char*>(LockResource(LoadResource(hMod, hManifest))),
                       SizeofResource(hMod, hManifest));
}

struct Item {
    DWORD exStyle, style;
    short x, y, cx, cy;
    int id;
    std::string cls; // class name, or "#<ordinal>"
    std::string text;
    int textOrdinal = -1;
};

struct Template {
    DWORD exStyle, style;
    short x, y, cx, cy;
    std::string caption;
    WORD pointSize = 0;
    std::string font;
    std::vector<Item> items;
};

class Reader {
public:
    explicit Reader(const BYTE* p) : m_p(p) {}
    WORD Word() {
        WORD v;
        memcpy(&v, m_p, 2);
        m_p += 2;
        return v;
    }
    DWORD Dword() {
        DWORD v;
        memcpy(&v, m_p, 4);
        m_p += 4;
        return v;
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return *m_p++; }
    std::wstring WString() {
        std::wstring s;
        for (WORD c; (c = Word()) != 0;) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    // Name or ordinal: returns the name, or sets *pOrdinal.
    std::string NameOrOrdinal(int* pOrdinal) {
        WORD first;
        memcpy(&first, m_p, 2);
        if (first == 0xFFFF) {
            Word();
            *pOrdinal = Word();
            return std::string();
        }
        return ToCp932(WString());
    }
    void AlignDword(const BYTE* base) {
        while ((m_p - base) % 4) ++m_p;
    }
    const BYTE* m_p;
};

Template LoadTemplate(int id) {
    HMODULE hMod = GetModuleHandleA(nullptr);
    HRSRC hRes = FindResourceA(hMod, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    EXPECT_NE(hRes, nullptr) << "dialog " << id;
    Template t{};
    if (!hRes) return t;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(hMod, hRes)));
    Reader r(base);
    EXPECT_EQ(r.Word(), 1);      // extended template
    EXPECT_EQ(r.Word(), 0xFFFF); // signature
    r.Dword();                   // help id
    t.exStyle = r.Dword();
    t.style = r.Dword();
    WORD count = r.Word();
    t.x = r.Short();
    t.y = r.Short();
    t.cx = r.Short();
    t.cy = r.Short();
    int ord = -1;
    EXPECT_EQ(r.NameOrOrdinal(&ord), ""); // no menu
    EXPECT_EQ(ord, -1);
    r.NameOrOrdinal(&ord); // class
    t.caption = ToCp932(r.WString());
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        r.Word();
        r.Byte();
        r.Byte();
        t.font = ToCp932(r.WString());
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(base);
        Item it{};
        r.Dword();
        it.exStyle = r.Dword();
        it.style = r.Dword();
        it.x = r.Short();
        it.y = r.Short();
        it.cx = r.Short();
        it.cy = r.Short();
        it.id = static_cast<int>(r.Dword());
        int clsOrd = -1;
        it.cls = r.NameOrOrdinal(&clsOrd);
        if (clsOrd >= 0) it.cls = std::string("#").append(std::to_string(clsOrd));
        it.text = r.NameOrOrdinal(&it.textOrdinal);
        WORD extra = r.Word();
        r.m_p += extra;
        t.items.push_back(it);
    }
    return t;
}

void ExpectItem(const Item& it, int id, const char* cls, const char* text, DWORD style, short x, short y,
                short cx, short cy) {
    SCOPED_TRACE(std::string("control ") + std::to_string(id) + " " + text);
    EXPECT_EQ(it.id, id);
    EXPECT_STRCASEEQ(it.cls.c_str(), cls);
    EXPECT_EQ(it.text, text);
    EXPECT_EQ(it.style, style | WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(it.x, x);
    EXPECT_EQ(it.y, y);
    EXPECT_EQ(it.cx, cx);
    EXPECT_EQ(it.cy, cy);
}

const char* const kFont = "ＭＳ Ｐゴシック";

} // namespace

TEST(ResourceTest, VersionBoxTemplate) {
    Template t = LoadTemplate(IDD_ABOUTBOX);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.cx, 235);
    EXPECT_EQ(t.cy, 68);
    EXPECT_EQ(t.caption, "Lumevarinのﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(t.font, kFont);
    EXPECT_EQ(t.pointSize, 9);
    ASSERT_EQ(t.items.size(), 5u);
    EXPECT_EQ(t.items[0].id, -1);
    EXPECT_EQ(t.items[0].textOrdinal, IDR_MAINFRAME);
    EXPECT_EQ(t.items[0].style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | SS_ICON));
    ExpectItem(t.items[1], IDC_STATIC_VERSION, "Static", "Lumevarin Version 1.0",
               WS_GROUP | SS_LEFT | SS_NOPREFIX, 36, 10, 144, 8);
    EXPECT_EQ(t.items[2].id, -1);
    EXPECT_FALSE(t.items[2].text.empty());
    ExpectItem(t.items[3], IDOK, "Button", "OK", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 183, 7, 50, 14);
    ExpectItem(t.items[4], IDC_SYSLINK1, "SysLink", "<a>Quorvantelホームページ</a>", WS_TABSTOP, 36, 42, 102,
               12);
}

TEST(ResourceTest, MainWindowAndPanelTemplates) {
    Template t = LoadTemplate(IDD_LUMEVARIN_DIALOG);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                          DS_MODALFRAME | WS_VISIBLE | DS_SETFONT));
    EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(t.cx, 211);
    EXPECT_EQ(t.cy, 150);
    EXPECT_EQ(t.caption, "朧写鏡");
    EXPECT_EQ(t.font, kFont);
    ASSERT_EQ(t.items.size(), 2u);
    ExpectItem(t.items[0], IDOK, "Button", "閉じる", WS_TABSTOP | BS_DEFPUSHBUTTON, 158, 4, 50, 14);
    ExpectItem(t.items[1], IDC_SYSLINK1, "SysLink", "<a>Powered By Quorvantel</a>", WS_TABSTOP, 77, 6, 78,
               12);

    Template p = LoadTemplate(IDD_CONTROL_DIALOG);
    EXPECT_EQ(p.style, static_cast<DWORD>(WS_CHILD | DS_SETFONT));
    EXPECT_EQ(p.exStyle, static_cast<DWORD>(WS_EX_CLIENTEDGE));
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 20);
    EXPECT_EQ(p.cx, 204);
    EXPECT_EQ(p.cy, 117);
    EXPECT_EQ(p.font, kFont);
    ASSERT_EQ(p.items.size(), 3u);
    ExpectItem(p.items[0], IDC_LIST_DATA, "SysListView32", "",
               WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 2, 16, 200, 97);
    ExpectItem(p.items[1], IDC_BUTTON_DELETE, "Button", "削除", WS_TABSTOP, 143, 2, 59, 12);
    ExpectItem(p.items[2], -1, "Static", "幻写一覧", WS_GROUP | SS_LEFT, 4, 4, 28, 8);
}

TEST(ResourceTest, CopyWindowTemplate) {
    Template t = LoadTemplate(IDD_EIDREL_DIALOG);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT));
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 218);
    EXPECT_EQ(t.cy, 149);
    EXPECT_EQ(t.caption, "");
    EXPECT_EQ(t.font, kFont);
    EXPECT_TRUE(t.items.empty());
}

TEST(ResourceTest, PropertyDialogTemplateInTabOrder) {
    Template t = LoadTemplate(IDD_SELSIZE_DIALOG);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_TOOLWINDOW));
    EXPECT_EQ(t.cx, 138);
    EXPECT_EQ(t.cy, 176);
    EXPECT_EQ(t.caption, "プロパティ設定");
    EXPECT_EQ(t.font, kFont);
    ASSERT_EQ(t.items.size(), 12u);
    ExpectItem(t.items[0], -1, "Button", "初期サイズ", BS_GROUPBOX, 6, 6, 126, 35);
    ExpectItem(t.items[1], IDC_RADIO_11, "Button", "1/1", WS_GROUP | BS_AUTORADIOBUTTON, 14, 22, 26, 10);
    ExpectItem(t.items[2], IDC_RADIO_12, "Button", "1/2", BS_AUTORADIOBUTTON, 54, 22, 26, 10);
    ExpectItem(t.items[3], IDC_RADIO_14, "Button", "1/4", BS_AUTORADIOBUTTON, 88, 22, 26, 10);
    ExpectItem(t.items[4], IDOK, "Button", "OK", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 6, 150, 50, 14);
    ExpectItem(t.items[5], IDCANCEL, "Button", "ｷｬﾝｾﾙ", WS_TABSTOP, 84, 150, 50, 14);
    ExpectItem(t.items[6], -1, "Button", "マウス転送", BS_GROUPBOX, 7, 47, 125, 48);
    ExpectItem(t.items[7], IDC_CHECK_LEFTCLK, "Button", "左シングルクリック", WS_TABSTOP | BS_AUTOCHECKBOX,
               17, 59, 94, 11);
    ExpectItem(t.items[8], IDC_CHECK_LEFTDBLCLK, "Button", "左ダブルクリック", WS_TABSTOP | BS_AUTOCHECKBOX,
               17, 74, 94, 11);
    ExpectItem(t.items[9], -1, "Button", "ウィンドウ選択キー（HOTKEY)", BS_GROUPBOX, 6, 102, 126, 40);
    ExpectItem(t.items[10], IDC_HOTKEY, "msctls_hotkey32", "", WS_BORDER | WS_TABSTOP, 12, 120, 80, 14);
    ExpectItem(t.items[11], IDC_BUTTON_CHECKHOTKEY, "Button", "重複確認", WS_TABSTOP, 96, 120, 36, 14);
}

TEST(ResourceTest, TrayMenus) {
    struct Entry {
        UINT id;
        const char* text;
    };
    auto check = [](int menuId, const std::vector<Entry>& expected) {
        SCOPED_TRACE(menuId);
        HMENU hMenu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
        ASSERT_NE(hMenu, nullptr);
        HMENU hPopup = GetSubMenu(hMenu, 0);
        ASSERT_NE(hPopup, nullptr);
        ASSERT_EQ(GetMenuItemCount(hPopup), static_cast<int>(expected.size()));
        for (size_t i = 0; i < expected.size(); ++i) {
            MENUITEMINFOA mii = {};
            mii.cbSize = sizeof(mii);
            mii.fMask = MIIM_FTYPE | MIIM_ID;
            ASSERT_TRUE(GetMenuItemInfoA(hPopup, static_cast<UINT>(i), TRUE, &mii));
            if (expected[i].id == 0) {
                EXPECT_TRUE(mii.fType & MFT_SEPARATOR) << i;
                continue;
            }
            EXPECT_EQ(mii.wID, expected[i].id);
            char text[128] = {};
            GetMenuStringA(hPopup, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
            EXPECT_STREQ(text, expected[i].text);
        }
        DestroyMenu(hMenu);
    };
    check(IDR_TRAY, {{ID_MENU_MAINPANEL, "メインパネル"},
                     {0, ""},
                     {ID_MENU_PROPERTY, "プロパティ設定"},
                     {0, ""},
                     {ID_MENU_EXIT, "終了"}});
    check(IDR_TRAY_NODEBUG, {{ID_MENU_PROPERTY, "プロパティ設定"},
                             {0, ""},
                             {ID_MENU_VERSION, "バージョン表示"},
                             {0, ""},
                             {ID_MENU_EXIT, "終了"}});
}

// The string table is checked with CString::LoadString (FrameworkTest).
TEST(ResourceTest, IconVersionAndManifest) {
    HMODULE hMod = GetModuleHandleA(nullptr);
    for (int size : {16, 24, 32, 48}) {
        HICON hIcon =
            static_cast<HICON>(LoadImageA(hMod, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        ASSERT_NE(hIcon, nullptr) << size;
        ICONINFO ii = {};
        ASSERT_TRUE(GetIconInfo(hIcon, &ii));
        BITMAP bm = {};
        GetObjectA(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, size);
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
        if (ii.hbmMask) DeleteObject(ii.hbmMask);
        DestroyIcon(hIcon);
    }
    // The icon directory holds each of the four sizes itself (no scaling of another size).
    HRSRC hGroup =
        FindResourceA(hMod, MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(hGroup, nullptr);
    PBYTE dir = static_cast<PBYTE>(LockResource(LoadResource(hMod, hGroup)));
    for (int size : {16, 24, 32, 48}) {
        int id = LookupIconIdFromDirectoryEx(dir, TRUE, size, size, 0);
        HRSRC hIcon = FindResourceA(hMod, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3) /* RT_ICON */);
        ASSERT_NE(hIcon, nullptr) << size;
        const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(hMod, hIcon)));
        int width = 0;
        if (memcmp(p, "\x89PNG", 4) == 0) {
            width = (p[16] << 24) | (p[17] << 16) | (p[18] << 8) | p[19];
        } else {
            width = reinterpret_cast<const BITMAPINFOHEADER*>(p)->biWidth;
        }
        EXPECT_EQ(width, size);
    }

    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    WORD* translation = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &len));
    ASSERT_GE(len, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 0x04B0);
    char* value = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104b0\\ProductVersion",
                               reinterpret_cast<void**>(&value), &len));
    EXPECT_STREQ(value, "1.0.1.117");
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010075u);

    std::string manifest = ManifestOf(hMod);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("6.0.0.0"), std::string::npos);
    EXPECT_NE(manifest.find("asInvoker"), std::string::npos);
    EXPECT_NE(manifest.find("dpiAware"), std::string::npos);
}

// Each build's manifest names its own architecture, for the program and for the common controls it
// asks for: a 64-bit program asking for the x86 library gets the 32-bit one where the prefix (or
// Windows) has it, and does not start. Checked in this executable and in the program beside it.
TEST(ResourceTest, ManifestNamesTheArchitectureOfItsBuild) {
    const std::string expected = sizeof(void*) == 8 ? "amd64" : "x86";
    for (const std::string& file : {ExePath(), ExeDir() + "\\Lumevarin.exe"}) {
        HMODULE hMod = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(hMod, nullptr) << file;
        std::string manifest = ManifestOf(hMod);
        FreeLibrary(hMod);
        const std::string key = "processorArchitecture=\"";
        std::vector<std::string> named;
        for (size_t at = manifest.find(key); at != std::string::npos; at = manifest.find(key, at)) {
            at += key.size();
            named.push_back(manifest.substr(at, manifest.find('"', at) - at));
        }
        EXPECT_EQ(named, std::vector<std::string>(2, expected)) << file;
    }
}
