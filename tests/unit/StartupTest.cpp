// Start-up pieces of the application object: command line, program directory, tray tooltip text.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/LumevarinApp.h"
#include "app/LumevarinDlg.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestUtil.h"

namespace {

struct ParseResult {
    int debug;
    int refresh;
    char clone;
    std::string log;
};

ParseResult Parse(std::vector<const char*> args) {
    g_bDebugMode = 0;
    g_nRefreshInterval = 10;
    g_cCloneKey = 'C';
    args.insert(args.begin(), "Lumevarin.exe");
    std::vector<char*> argv;
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    StdoutCapture capture;
    ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    ParseResult r{g_bDebugMode, g_nRefreshInterval, g_cCloneKey, capture.Stop()};
    g_bDebugMode = 0;
    g_nRefreshInterval = 10;
    g_cCloneKey = 'C';
    return r;
}

} // namespace

TEST(StartupTest, DebugSwitchMustMatchExactly) {
    EXPECT_EQ(Parse({}).debug, 0);
    ParseResult on = Parse({"-D583"});
    EXPECT_EQ(on.debug, 1);
    EXPECT_EQ(on.log, "1番目の引数=-D583\nDEBUGMODE ON\n");
    EXPECT_EQ(Parse({"-D5831"}).debug, 0);
    EXPECT_EQ(Parse({"-d583"}).debug, 0);
    EXPECT_EQ(Parse({"-D58"}).debug, 0);
}

TEST(StartupTest, RefreshSwitch) {
    EXPECT_EQ(Parse({"-T5"}).refresh, 5);
    EXPECT_EQ(Parse({"-T12abc"}).refresh, 12);
    EXPECT_EQ(Parse({"-T 7"}).refresh, 7); // leading blanks are skipped
    EXPECT_EQ(Parse({"-T5", "-T7"}).refresh, 7);
    for (const char* bad : {"-T", "-T0", "-T-3", "-Tx", "-Tabc5"}) {
        ParseResult r = Parse({bad});
        EXPECT_EQ(r.refresh, 10) << bad;
        EXPECT_NE(r.log.find("Format Error -T\n"), std::string::npos) << bad;
    }
    // A period that does not fit a signed 32-bit millisecond count, or a number beyond int, is refused.
    EXPECT_EQ(Parse({"-T21474836"}).refresh, 21474836);
    for (const char* big : {"-T21474837", "-T2147483647", "-T99999999999999999999"}) {
        ParseResult r = Parse({big});
        EXPECT_EQ(r.refresh, 10) << big;
        EXPECT_NE(r.log.find("Format Error -T\n"), std::string::npos) << big;
    }
    // An invalid later value keeps the earlier valid one.
    EXPECT_EQ(Parse({"-T5", "-T0"}).refresh, 5);
}

TEST(StartupTest, CloneSwitchTakesOneLetter) {
    EXPECT_EQ(Parse({"-CLONEz"}).clone, 'z');
    EXPECT_EQ(Parse({"-CLONEabc"}).clone, 'a');
    EXPECT_EQ(Parse({"-CLONE"}).clone, 'C');
    EXPECT_EQ(Parse({"-CLONE1"}).clone, 'C');
    ParseResult r = Parse({"-CLONEq", "x"});
    EXPECT_EQ(r.log, "1番目の引数=-CLONEq\n2番目の引数=x\n");
}

TEST(StartupTest, StartPortableUsesTheProgramsDirectory) {
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    std::string dir = MakeTempDir();

    {
        StdoutCapture capture;
        EXPECT_EQ(StartPortable((dir + "\\Lumevarin.exe").c_str()), 1);
        EXPECT_EQ(capture.Stop(), "PORTABLE VERSION START\nCurrentDir=" + dir);
    }
    char now[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, now);
    EXPECT_STRCASEEQ(now, dir.c_str());

    // A bare name leaves the current directory alone.
    {
        StdoutCapture capture;
        StartPortable("Lumevarin.exe");
        EXPECT_EQ(capture.Stop(), "PORTABLE VERSION START\nCurrentDir=");
    }
    GetCurrentDirectoryA(MAX_PATH, now);
    EXPECT_STRCASEEQ(now, dir.c_str());

    // The second byte of a double-byte character is never taken for a backslash: "表" is 0x95 0x5C.
    std::string sjisDir = dir + "\\表";
    ASSERT_TRUE(CreateDirectoryA(sjisDir.c_str(), nullptr));
    {
        StdoutCapture capture;
        StartPortable((sjisDir + "\\Lumevarin.exe").c_str());
        EXPECT_EQ(capture.Stop(), "PORTABLE VERSION START\nCurrentDir=" + sjisDir);
    }
    GetCurrentDirectoryA(MAX_PATH, now);
    EXPECT_STRCASEEQ(now, sjisDir.c_str());

    SetCurrentDirectoryA(saved);
    RemoveTree(dir);
}

TEST(StartupTest, TrayTipTextAndItsLimit) {
    char tip[128];
    MakeTrayTipText("Win + C", tip, sizeof(tip));
    EXPECT_STREQ(tip, "朧写鏡\r\n幻写[Win + C]");

    // Too long for the 128-byte record: cut to at most 127 bytes, never inside a double-byte character.
    std::string name;
    for (int i = 0; i < 80; ++i) name += "鏡";
    for (int odd = 0; odd < 2; ++odd) {
        std::string n = odd ? "x" + name : name;
        MakeTrayTipText(n.c_str(), tip, sizeof(tip));
        size_t len = strlen(tip);
        EXPECT_LE(len, 127u);
        EXPECT_GE(len, 126u);
        // Walking whole characters ends exactly at the terminator.
        size_t i = 0;
        while (i < len) i += IsDBCSLeadByteEx(932, static_cast<BYTE>(tip[i])) ? 2 : 1;
        EXPECT_EQ(i, len);
        EXPECT_EQ(std::string(tip).rfind("朧写鏡\r\n幻写[", 0), 0u);
    }
}
