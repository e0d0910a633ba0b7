// The copy under desktop composition, which Wine never reports: a fake composition manager
// (FakeComposition.h) stands in for the system's while real copies show real windows of the test.
#include <gtest/gtest.h>

#include <windows.h>

#include "copy/EidrelDlg.h"
#include "res/resource.h"
#include "tests/common/TestUtil.h"
#include "tests/unit/FakeComposition.h"

namespace {

using Fake = FakeComposition;

// A copy of a window of this process, which cannot wait for its own input-idle state: the test is
// counted and answered "ready".
class IdleCopy : public CEidrelDlg {
public:
    BOOL IsTargetInputIdle() override {
        ++idleChecks;
        return TRUE;
    }
    int idleChecks = 0;
};

bool Eq(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}

class CompositionTest : public testing::Test {
protected:
    void SetUp() override {
        target = CreateTopWindow("Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 660, 520);
        GetClientRect(target, &targetClient);
    }
    void TearDown() override {
        if (IsWindow(wnd)) copy->DestroyWindow();
        if (IsWindow(target)) DestroyWindow(target);
    }
    // What the pin step does (the copy owned by the real window unless told otherwise); the calls
    // recorded start with the binding.
    void Pin(HWND owner) {
        copy = new IdleCopy;
        ASSERT_TRUE(copy->Create(IDD_EIDREL_DIALOG, owner));
        wnd = copy->m_hWnd;
        copy->MoveWindow(300, 200, 400, 300);
        GetClientRect(wnd, &copyClient);
        fake.calls.clear();
        copy->SetTarget(target);
        copy->ShowWindow(SW_SHOW);
        copy->HideTargetWindow();
    }
    // Repaints the copy; the updates it made.
    std::vector<Fake::Call> Paint() {
        fake.calls.clear();
        InvalidateRect(wnd, nullptr, TRUE);
        UpdateWindow(wnd);
        return fake.Of(Fake::Update);
    }
    void Wheel(int notches) { SendMessageA(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120 * notches), 0); }

    Fake fake;
    HWND target = nullptr, wnd = nullptr;
    RECT targetClient = {}, copyClient = {};
    IdleCopy* copy = nullptr;
};

} // namespace

TEST_F(CompositionTest, BindingRegistersTheRealWindowsClientArea) {
    Pin(target);
    ASSERT_TRUE(copy->m_bComposition);
    ASSERT_GE(fake.calls.size(), 3u);
    const Fake::Call reg = fake.calls[0], first = fake.calls[1];
    EXPECT_TRUE(reg.kind == Fake::Register && reg.destination == wnd && reg.source == target);
    EXPECT_EQ(copy->m_hThumbnail, reg.thumb);
    EXPECT_TRUE(first.kind == Fake::Update && first.thumb == reg.thumb);
    EXPECT_EQ(first.props.dwFlags, 0x1Fu);
    EXPECT_TRUE(Eq(first.props.rcDestination, copyClient));
    EXPECT_TRUE(Eq(first.props.rcSource, targetClient));
    EXPECT_EQ(first.props.opacity, 255);
    EXPECT_TRUE(first.props.fVisible && first.props.fSourceClientAreaOnly);
    EXPECT_EQ(fake.calls[2].kind, Fake::Query);
    EXPECT_TRUE(Eq(copy->m_rectThumbSource, targetClient));

    // A failing registration or first update ends it: no fit, no source kept.
    for (HRESULT* failing : {&fake.registerResult, &fake.updateResult}) {
        *failing = E_FAIL;
        fake.calls.clear();
        copy->m_rectThumbSource = RECT{};
        copy->RegisterThumbnail();
        *failing = S_OK;
        EXPECT_EQ(fake.calls.size(), failing == &fake.registerResult ? 1u : 2u);
        EXPECT_TRUE(IsRectEmpty(&copy->m_rectThumbSource));
    }
}

TEST_F(CompositionTest, SizeChangeFitsTheHeightToTheSourcesShape) {
    Pin(target);
    const RECT before = WindowRectOf(wnd);
    const int frameWidth = (before.right - before.left) - copyClient.right;
    // 321 x 481 / 640 = 241.25: the client becomes 241 high; the corner and the width stay.
    copy->MoveWindow(before.left, before.top, 321 + frameWidth, 500);
    const RECT fitted = WindowRectOf(wnd);
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_TRUE(Eq(client, RECT{0, 0, 321, 241}));
    EXPECT_TRUE(fitted.left == before.left && fitted.top == before.top);
    EXPECT_EQ(fitted.right - fitted.left, 321 + frameWidth);
    const Fake::Call last = fake.Of(Fake::Update).back();
    EXPECT_EQ(last.props.dwFlags, 0x01u);
    EXPECT_TRUE(Eq(last.props.rcDestination, RECT{0, 0, 321, 241}));

    // A failing size query (whatever it left in the size), or a source of no width, changes nothing.
    auto fitChangesNothing = [&] {
        fake.calls.clear();
        copy->FitThumbnailAspect();
        return Eq(WindowRectOf(wnd), fitted) && fake.Of(Fake::Update).empty();
    };
    fake.sourceSize = SIZE{640, 240};
    fake.queryResult = E_FAIL;
    EXPECT_TRUE(fitChangesNothing());
    fake.queryResult = S_OK;
    fake.sourceSize = SIZE{0, 481};
    EXPECT_TRUE(fitChangesNothing());
}

TEST_F(CompositionTest, PaintSendsAChangedSourceOnceAndRetriesAFailedOne) {
    Pin(target);
    EXPECT_TRUE(Paint().empty()); // the whole client area, given at the registration

    // The wheel zooms to 50 %: the middle of the client area, sent once.
    Wheel(50);
    const int w = targetClient.right, h = targetClient.bottom;
    const RECT middle = {(w - w / 2) / 2, (h - h / 2) / 2, (w - w / 2) / 2 + w / 2, (h - h / 2) / 2 + h / 2};
    auto sent = Paint();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].props.dwFlags, 0x02u);
    EXPECT_TRUE(Eq(sent[0].props.rcSource, middle));
    EXPECT_TRUE(Paint().empty());

    // A key pans four pixels to the right; the manager refuses: kept, and tried again.
    SendMessageA(wnd, WM_KEYDOWN, VK_RIGHT, 0);
    RECT panned = middle;
    OffsetRect(&panned, 4, 0);
    fake.updateResult = E_FAIL;
    sent = Paint();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(Eq(sent[0].props.rcSource, panned));
    EXPECT_TRUE(Eq(copy->m_rectThumbSource, middle));
    fake.updateResult = S_OK;
    EXPECT_EQ(Paint().size(), 1u);
    EXPECT_TRUE(Eq(copy->m_rectThumbSource, panned));

    Wheel(-50); // back at 100/100: the whole client area
    sent = Paint();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(Eq(sent[0].props.rcSource, targetClient));
}

TEST_F(CompositionTest, CaptureStopsWhileCompositionIsOnAndResumesWhenItGoesOff) {
    Pin(target);
    // On: the input-idle wait still runs, then nothing is captured.
    const int checks = copy->idleChecks;
    copy->CaptureTarget();
    EXPECT_EQ(copy->idleChecks, checks + 1);
    EXPECT_EQ(copy->m_nCacheWidth, 0);

    // Off: the capture resumes; the registration is left alone.
    const HTHUMBNAIL first = copy->m_hThumbnail;
    fake.enabled = FALSE;
    fake.calls.clear();
    SendMessageA(wnd, WM_DWMCOMPOSITIONCHANGED, 0, 0);
    EXPECT_FALSE(copy->m_bComposition);
    EXPECT_TRUE(fake.calls.empty());
    copy->CaptureTarget();
    EXPECT_GT(copy->m_nCacheWidth, 0);
    copy->ChangeZoom(-50, -50);

    // On again: registered anew with the whole client area; the next paint gives the zoom source back.
    fake.enabled = TRUE;
    SendMessageA(wnd, WM_DWMCOMPOSITIONCHANGED, 0, 0);
    EXPECT_TRUE(copy->m_bComposition);
    auto regs = fake.Of(Fake::Register);
    ASSERT_EQ(regs.size(), 1u);
    EXPECT_TRUE(regs[0].source == target && regs[0].thumb != first && regs[0].thumb == copy->m_hThumbnail);
    EXPECT_TRUE(Eq(copy->m_rectThumbSource, targetClient));

    // The paint neither erases nor draws (the picture captured meanwhile included) over the thumbnail.
    RECT client;
    GetClientRect(wnd, &client);
    HDC dc = GetDC(wnd);
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &client, magenta);
    DeleteObject(magenta);
    ReleaseDC(wnd, dc);
    auto sent = Paint();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].props.rcSource.right - sent[0].props.rcSource.left, targetClient.right / 2);
    Image shown = ClientImage(wnd);
    ASSERT_FALSE(shown.Empty());
    EXPECT_EQ(shown.At(client.right / 2, client.bottom / 2), RGB(255, 0, 255));
    EXPECT_EQ(shown.At(2, 2), RGB(255, 0, 255));

    fake.enabledResult = E_FAIL; // a failing query counts as off
    SendMessageA(wnd, WM_DWMCOMPOSITIONCHANGED, 0, 0);
    EXPECT_FALSE(copy->m_bComposition);
}

TEST_F(CompositionTest, RestoreUnregistersOnlyWhileTheRealWindowExists) {
    Pin(target);
    const HTHUMBNAIL thumb = copy->m_hThumbnail;
    fake.calls.clear();
    copy->DestroyWindow();
    auto unregs = fake.Of(Fake::Unregister);
    ASSERT_EQ(unregs.size(), 1u);
    EXPECT_EQ(unregs[0].thumb, thumb);

    // A copy that outlives its real window (not owned by it) has nothing to unregister.
    Pin(nullptr);
    DestroyWindow(target);
    fake.calls.clear();
    copy->DestroyWindow();
    EXPECT_TRUE(fake.Of(Fake::Unregister).empty());
}

TEST_F(CompositionTest, FrameRectangleIsTheManagersFrameBoundsUnlessItRefuses) {
    fake.frameBounds = RECT{110, 60, 750, 560};
    RECT frame = {};
    GetWindowFrameRect(target, &frame);
    EXPECT_TRUE(Eq(frame, fake.frameBounds));
    fake.attributeResult = E_FAIL;
    GetWindowFrameRect(target, &frame);
    EXPECT_TRUE(Eq(frame, WindowRectOf(target)));
}
