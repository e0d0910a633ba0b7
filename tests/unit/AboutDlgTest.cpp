// The version box: caption, the version line from this executable's version resource, and the
// cache of the version text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/AboutDlg.h"
#include "res/resource.h"
#include "tests/common/ModalDriver.h"

namespace {

struct Shown {
    std::string caption;
    std::string line;
    bool linkPresent = false;
};

// Opens the box modally, reads what it shows and presses OK.
Shown OpenAndRead(CAboutDlg& dlg, INT_PTR* pResult) {
    Shown shown;
    Script script;
    script.Then(WhenShown(dlg, [&](HWND h) {
        shown.caption = TextOf(h);
        shown.line = TextOf(::GetDlgItem(h, IDC_STATIC_VERSION));
        shown.linkPresent = ClassNameOf(::GetDlgItem(h, IDC_SYSLINK1)) == "SysLink";
        PostClick(h, IDOK);
    }));
    *pResult = script.RunWith([&] { return dlg.DoModal(); });
    EXPECT_TRUE(script.Finished());
    return shown;
}

} // namespace

TEST(AboutDlgTest, ShowsTheProductNameAndTheVersionOfThisProgram) {
    g_bVersionLoaded = 0;
    CAboutDlg dlg;
    INT_PTR result = 0;
    Shown shown = OpenAndRead(dlg, &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shown.caption, "朧写鏡");
    EXPECT_EQ(shown.line, "朧写鏡 Ver.:1-0-1-117 [PORTABLE版]");
    EXPECT_EQ(std::string(dlg.m_strVersion), shown.line);
    EXPECT_TRUE(shown.linkPresent);
    EXPECT_EQ(g_bVersionLoaded, 1);
    EXPECT_STREQ(g_szVersion, "Ver.:1.0.1.117");
    EXPECT_EQ(GetVersionString(), static_cast<const char*>(g_szVersion));
}

TEST(AboutDlgTest, LaterOpeningsUseTheKeptTextAndItsSeparatorsBecomeHyphens) {
    ASSERT_STREQ(GetVersionString(), "Ver.:1.0.1.117");
    ASSERT_EQ(g_bVersionLoaded, 1);

    // A kept text is used as it is, without reading the file again: commas become hyphens, a ";"
    // becomes "." and a "%" becomes ".:", while the prefix stays.
    std::strcpy(g_szVersion, "Ver.:1,0;1%117");
    {
        CAboutDlg dlg;
        INT_PTR result = 0;
        EXPECT_EQ(OpenAndRead(dlg, &result).line, "朧写鏡 Ver.:1-0.1.:117 [PORTABLE版]");
    }
    EXPECT_EQ(g_bVersionLoaded, 1);

    // No version: the product name, two blanks and the mark.
    g_szVersion[0] = '\0';
    {
        CAboutDlg dlg;
        INT_PTR result = 0;
        EXPECT_EQ(OpenAndRead(dlg, &result).line, "朧写鏡  [PORTABLE版]");
    }

    // Asked again after the cache is dropped, the resource gives the real text back.
    g_bVersionLoaded = 0;
    EXPECT_STREQ(GetVersionString(), "Ver.:1.0.1.117");
    EXPECT_EQ(g_bVersionLoaded, 1);
}
