// Entry point of every test executable.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

// Every test starts with the cursor in the bottom-right corner, off the usual window places, so that
// windows do not get mouse moves from a cursor that an earlier test of the run left over them.
class ParkCursor : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
};

int main(int argc, char** argv) {
    // Plain "\n" line ends: ctest reads the test list from this output.
    _setmode(_fileno(stdout), _O_BINARY);

    // The control classes the dialogs under test use (list view, hotkey, spin, link).
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    if (!InitCommonControlsEx(&icc)) {
        icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
        InitCommonControlsEx(&icc);
        std::fprintf(stderr, "note: the link control class is unavailable (no common controls 6 manifest)\n");
    }

    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ParkCursor);
    return RUN_ALL_TESTS();
}
