// The icon cache: one image per distinct program path, the shell asked once per path, the error icon
// for a file that cannot be found, and the path list kept in step with the images.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "panel/ImageListCash.h"
#include "tests/common/StdoutCapture.h"
#include "tests/common/TestUtil.h"

namespace {

// The pixels of image i of an image list, drawn on white.
std::vector<COLORREF> ImagePixels(HIMAGELIST list, int i) {
    int cx = 0;
    int cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, cx, cy);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    RECT rc = {0, 0, cx, cy};
    ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, i, dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) pixels.push_back(::GetPixel(dc, x, y));
    ::SelectObject(dc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

} // namespace

TEST(ImageListCashTest, SamePathTwiceGivesOneImage) {
    CImageListCash cache;
    std::string exe = ExePath();
    StdoutCapture out;
    int first = cache.getIconIndex(exe.c_str());
    int second = cache.getIconIndex(exe.c_str());
    out.Stop();

    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(cache.m_imageList.GetImageCount(), 1) << "the shell is asked only the first time";
    EXPECT_EQ(out.Text(), "") << "an existing program has its own icon";
}

TEST(ImageListCashTest, PathsDifferingInCaseGetTwoImages) {
    CImageListCash cache;
    std::string exe = ExePath();
    std::string upper = exe;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    ASSERT_NE(upper, exe);

    EXPECT_EQ(cache.getIconIndex(exe.c_str()), 0);
    EXPECT_EQ(cache.getIconIndex(upper.c_str()), 1);
    EXPECT_EQ(cache.getIconIndex(exe.c_str()), 0);
    EXPECT_EQ(cache.m_imageList.GetImageCount(), 2);
    ASSERT_EQ(cache.m_vecPath.size(), 2u);
    EXPECT_EQ(cache.m_vecPath[1], upper.c_str());
}

TEST(ImageListCashTest, MissingFileGetsTheErrorIconAndOneLogLine) {
    CImageListCash cache;
    std::string exe = ExePath();
    const char missing[] = "C:\\no such folder\\gone.exe";
    ASSERT_EQ(cache.getIconIndex(exe.c_str()), 0);

    StdoutCapture out;
    int idx = cache.getIconIndex(missing);
    int again = cache.getIconIndex(missing);
    out.Stop();

    EXPECT_EQ(idx, 1);
    EXPECT_EQ(again, 1);
    EXPECT_EQ(out.Text(), "ICON get fail path =C:\\no such folder\\gone.exe\n");

    // The image is the system's error icon.
    CImageList reference;
    ASSERT_TRUE(reference.Create(24, 24, ILC_COLORDDB, 0, 50));
    reference.SetBkColor(RGB(255, 255, 255));
    ASSERT_EQ(reference.Add(::LoadIcon(nullptr, IDI_HAND)), 0);
    EXPECT_EQ(ImagePixels(cache.m_imageList.GetSafeHandle(), 1), ImagePixels(reference.GetSafeHandle(), 0));
    EXPECT_NE(ImagePixels(cache.m_imageList.GetSafeHandle(), 0), ImagePixels(reference.GetSafeHandle(), 0));

    // The shared error icon is still usable afterwards.
    EXPECT_EQ(reference.Add(::LoadIcon(nullptr, IDI_HAND)), 1);
}

TEST(ImageListCashTest, EmptyPathIsCachedLikeAnyOther) {
    CImageListCash cache;
    StdoutCapture out;
    int idx = cache.getIconIndex("");
    int again = cache.getIconIndex("");
    out.Stop();
    EXPECT_GE(idx, 0);
    EXPECT_EQ(again, idx);
    EXPECT_EQ(cache.m_imageList.GetImageCount(), 1);
    EXPECT_LE(out.Count("ICON get fail path =\n"), 1);
}

// An icon the image list refuses leaves no path behind, so later paths still name their own images.
TEST(ImageListCashTest, RefusedImageKeepsPathsAndImagesInStep) {
    CImageListCash cache;
    std::string exe = ExePath();
    const char missing[] = "C:\\no such folder\\gone.exe";

    cache.m_imageList.DeleteImageList(); // an image list that takes nothing
    EXPECT_EQ(cache.getIconIndex(exe.c_str()), -1);
    EXPECT_TRUE(cache.m_vecPath.empty());

    ASSERT_TRUE(cache.m_imageList.Create(24, 24, ILC_COLORDDB, 0, 50));
    EXPECT_EQ(cache.getIconIndex(missing), 0);
    EXPECT_EQ(cache.getIconIndex(exe.c_str()), 1);
    ASSERT_EQ(cache.m_vecPath.size(), 2u);
    EXPECT_EQ(cache.m_vecPath[0], missing);
    EXPECT_EQ(cache.m_vecPath[1], exe.c_str());
    EXPECT_EQ(cache.m_imageList.GetImageCount(), 2);
}
