// The panel's settings file: defaults, the read, the registered pick hotkey, the write and its delayed
// countdown.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/PanelTestSupport.h"

using namespace panel_test;

namespace {

// The non-empty lines of a profile file, without line ends.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST(ControlDlgIniTest, NoFileGivesDefaultsAndRegistersWinC) {
    ASSERT_FALSE(HotKeyTaken(MOD_WIN, 'C'));
    {
        PanelHost host;
        ASSERT_TRUE(host.created);
        host.panel->m_nIniSize = 7; // the read sets every field, also to its default
        host.panel->m_nLeftClk = 7;
        host.panel->m_nLeftDblClk = 7;
        MessageBoxDriver boxes;
        host.panel->setIniFile(host.iniPath.c_str());

        EXPECT_EQ(host.panel->m_strIniFile, host.iniPath.c_str());
        EXPECT_EQ(host.panel->m_nIniSize, 0);
        EXPECT_EQ(host.panel->m_nLeftClk, 0);
        EXPECT_EQ(host.panel->m_nLeftDblClk, 0);
        EXPECT_EQ(host.panel->m_nWsHotKey, 0x43);
        EXPECT_EQ(host.panel->m_nWsModifiers, MOD_WIN);
        EXPECT_EQ(host.panel->m_bIniWritePending, 0);
        EXPECT_FALSE(FileExists(host.iniPath)) << "reading creates no file";
        EXPECT_TRUE(HotKeyTaken(MOD_WIN, 'C'));
        EXPECT_TRUE(boxes.boxes.empty());
    }
    // The panel's window took its registration with it.
    EXPECT_FALSE(HotKeyTaken(MOD_WIN, 'C'));
}

TEST(ControlDlgIniTest, StoredModifiersAloneGiveCtrlC) {
    PanelHost host;
    ASSERT_TRUE(WriteFileText(host.iniPath, "[SYSTEM]\r\nWSMODIFIERS=2\r\n"));
    host.panel->setIniFile(host.iniPath.c_str());

    EXPECT_EQ(host.panel->m_nWsModifiers, MOD_CONTROL);
    EXPECT_EQ(host.panel->m_nWsHotKey, 0x43);
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL, 'C'));
    EXPECT_FALSE(HotKeyTaken(MOD_WIN, 'C'));
}

TEST(ControlDlgIniTest, ReadsEveryKeyWithoutRegardToCase) {
    PanelHost host;
    ASSERT_TRUE(WriteFileText(
        host.iniPath,
        "[other]\r\nINISIZE=9\r\n"
        "[system]\r\ninisize=2\r\nLeftClk=1\r\nLEFTDBLCLK=1\r\nWSHOTKEY=81\r\nwsmodifiers=6\r\n"));
    host.panel->setIniFile(host.iniPath.c_str());

    EXPECT_EQ(host.panel->m_nIniSize, 2);
    EXPECT_EQ(host.panel->m_nLeftClk, 1);
    EXPECT_EQ(host.panel->m_nLeftDblClk, 1);
    EXPECT_EQ(host.panel->m_nWsHotKey, 'Q');
    EXPECT_EQ(host.panel->m_nWsModifiers, MOD_CONTROL | MOD_SHIFT);
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_SHIFT, 'Q'));
}

TEST(ControlDlgIniTest, TakenHotKeyIsReportedOnceAndThePanelRunsOn) {
    HeldHotKey other(MOD_WIN, 'C'); // someone else holds Win+C for the whole test
    ASSERT_TRUE(other.Held());
    {
        PanelHost host;
        StdoutCapture out;
        MessageBoxDriver boxes;
        host.panel->setIniFile(host.iniPath.c_str());
        out.Stop();

        EXPECT_EQ(out.Count("RegisterHotKey() Error=1409\n"), 1) << out.Text();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, "ホットキーの登録が失敗しました.他のキーに変更してください.");

        // The settings timer runs all the same: a request is written.
        host.panel->requestWriteIniFile();
        EXPECT_TRUE(PumpUntil([&] { return FileExists(host.iniPath); }, 3000));
        // Unregistering the hotkey it never got harms nothing (the test's registration stays).
        host.panel->DestroyWindow();
        EXPECT_TRUE(HotKeyTaken(MOD_WIN, 'C'));
    }
}

TEST(ControlDlgIniTest, WriteCreatesTheFiveKeysInOrder) {
    PanelHost host;
    host.panel->m_nIniSize = 1;
    host.panel->m_nLeftClk = 0;
    host.panel->m_nLeftDblClk = 1;
    host.panel->m_nWsHotKey = 0x51;
    host.panel->m_nWsModifiers = 6;
    StdoutCapture out;
    host.panel->__writeIniFile();

    EXPECT_EQ(out.Stop(), "CControlDlg::__writeIniFile()\n");
    std::vector<std::string> expected = {"[SYSTEM]",     "INISIZE=1",   "LEFTCLK=0",
                                         "LEFTDBLCLK=1", "WSHOTKEY=81", "WSMODIFIERS=6"};
    EXPECT_EQ(Lines(ReadFileText(host.iniPath)), expected);
}

TEST(ControlDlgIniTest, WriteKeepsOtherLinesAndReadsBackWhatItWrote) {
    PanelHost host;
    ASSERT_TRUE(WriteFileText(host.iniPath, "[OTHER]\r\nNAME=x\r\n[SYSTEM]\r\nLEFTCLK=1\r\nEXTRA=5\r\n"));
    host.panel->m_nIniSize = -1;
    host.panel->m_nLeftClk = 0;
    host.panel->m_nLeftDblClk = 0;
    host.panel->m_nWsHotKey = 0x70;
    host.panel->m_nWsModifiers = 1;
    host.panel->__writeIniFile();

    std::vector<std::string> lines = Lines(ReadFileText(host.iniPath));
    std::vector<std::string> expected = {"[OTHER]",      "NAME=x",       "[SYSTEM]",
                                         "LEFTCLK=0",    "EXTRA=5",      "INISIZE=-1",
                                         "LEFTDBLCLK=0", "WSHOTKEY=112", "WSMODIFIERS=1"};
    EXPECT_EQ(lines, expected);

    PanelHost other;
    other.panel->m_nWsHotKey = 0;
    other.panel->m_nWsModifiers = 0;
    other.panel->m_strIniFile = host.iniPath.c_str();
    other.panel->__readIniFile();
    EXPECT_EQ(other.panel->m_nIniSize, -1);
    EXPECT_EQ(other.panel->m_nLeftClk, 0);
    EXPECT_EQ(other.panel->m_nLeftDblClk, 0);
    EXPECT_EQ(other.panel->m_nWsHotKey, 0x70);
    EXPECT_EQ(other.panel->m_nWsModifiers, MOD_ALT);
}

// Requests at 0, 300 and 550 ms give one write, 500 to 600 ms after the last one.
TEST(ControlDlgIniTest, BurstOfRequestsGivesOneWriteAfterTheLast) {
    PanelHost host;
    host.panel->setIniFile(host.iniPath.c_str());
    StdoutCapture out;

    auto since = [](DWORD t0) { return ::GetTickCount() - t0; };
    DWORD t0 = ::GetTickCount();
    host.panel->requestWriteIniFile();
    ASSERT_TRUE(PumpUntil([&] { return since(t0) >= 300; }, 2000));
    EXPECT_FALSE(FileExists(host.iniPath));
    host.panel->requestWriteIniFile();
    ASSERT_TRUE(PumpUntil([&] { return since(t0) >= 550; }, 2000));
    EXPECT_FALSE(FileExists(host.iniPath));
    DWORD tLast = ::GetTickCount();
    host.panel->requestWriteIniFile();

    ASSERT_TRUE(PumpUntil([&] { return FileExists(host.iniPath); }, 3000));
    DWORD elapsed = since(tLast);
    // The sixth 100-ms tick after the request; a little room for a loaded machine.
    EXPECT_GE(elapsed, 480u);
    EXPECT_LE(elapsed, 800u);
    EXPECT_EQ(host.panel->m_bIniWritePending, 0);

    PumpFor(800); // nothing more is to come
    EXPECT_EQ(out.Count("CControlDlg::__writeIniFile()\n"), 1) << out.Text();
}

TEST(ControlDlgIniTest, CountdownEndsWithThePanelWindow) {
    PanelHost host;
    host.panel->setIniFile(host.iniPath.c_str());
    host.panel->requestWriteIniFile();
    host.panel->DestroyWindow();
    PumpFor(900);
    EXPECT_FALSE(FileExists(host.iniPath));
}

TEST(ControlDlgIniTest, EndAllPinWithoutCopiesWritesAtOnce) {
    PanelHost host;
    host.panel->setIniFile(host.iniPath.c_str());
    StdoutCapture out;
    host.panel->endAllPin();

    EXPECT_EQ(out.Stop(), "CControlDlg::__writeIniFile()\n");
    std::vector<std::string> expected = {"[SYSTEM]",     "INISIZE=0",   "LEFTCLK=0",
                                         "LEFTDBLCLK=0", "WSHOTKEY=67", "WSMODIFIERS=8"};
    EXPECT_EQ(Lines(ReadFileText(host.iniPath)), expected);
    EXPECT_TRUE(host.panel->m_vecData.empty());
}
