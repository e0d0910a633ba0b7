// Entry point of every test executable.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

int main(int argc, char** argv)
{
    // Plain "\n" line ends: ctest reads the test list from this output.
    _setmode(_fileno(stdout), _O_BINARY);

    // The control classes the dialogs under test use (list view, hotkey, spin, link).
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    if (!InitCommonControlsEx(&icc)) {
        icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
        InitCommonControlsEx(&icc);
        std::fprintf(stderr, "note: the link control class is unavailable (no common controls 6 manifest)\n");
    }

    // Every test starts with the cursor in the bottom-right corner, off the usual window places,
    // so that windows do not get mouse moves from a cursor left over them.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
