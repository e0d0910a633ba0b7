// The composition thumbnail of the real window, shown in the copy's client area while composition is on.
#include "copy/EidrelDlg.h"
#include "copy/PlatformQueries.h"

namespace {

constexpr DWORD kThumbDestination = 0x01;
constexpr DWORD kThumbSource = 0x02;
constexpr DWORD kThumbAll = 0x1F;

} // namespace

void CEidrelDlg::RegisterThumbnail() {
    if (SafeDwmRegisterThumbnail(m_hWnd, m_hTarget, &m_hThumbnail) < 0) return;

    RECT rcDest = {0, 0, 0, 0};
    RECT rcSource = {0, 0, 0, 0};
    GetClientRect(&rcDest);
    ::GetClientRect(m_hTarget, &rcSource);

    DWM_THUMBNAIL_PROPERTIES props = {};
    props.dwFlags = kThumbAll;
    props.rcDestination = rcDest;
    props.rcSource = rcSource;
    props.opacity = 255;
    props.fVisible = TRUE;
    props.fSourceClientAreaOnly = TRUE;
    if (SafeDwmUpdateThumbnailProperties(m_hThumbnail, &props) < 0) return;

    FitThumbnailAspect();
    m_rectThumbSource = rcSource;
}

void CEidrelDlg::FitThumbnailAspect() {
    SIZE size = {0, 0};
    if (SafeDwmQueryThumbnailSourceSize(m_hThumbnail, &size) < 0 || size.cx <= 0) return;
    double dAspect = static_cast<double>(size.cy) / size.cx;

    RECT rcClient = {0, 0, 0, 0};
    GetClientRect(&rcClient);
    int w = rcClient.right - rcClient.left;
    int h = static_cast<int>(w * dAspect);

    RECT rcWindow = {rcClient.left, rcClient.top, rcClient.right, h};
    CalcWindowRect(&rcWindow);
    RECT rcNow = {0, 0, 0, 0};
    GetWindowRect(&rcNow);
    // Moves to the same corner: only the height really changes (and WM_SIZE runs this once more).
    MoveWindow(rcNow.left, rcNow.top, rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top, TRUE);

    DWM_THUMBNAIL_PROPERTIES props = {};
    props.dwFlags = kThumbDestination;
    props.rcDestination = RECT{rcClient.left, rcClient.top, rcClient.right, h};
    SafeDwmUpdateThumbnailProperties(m_hThumbnail, &props);
}

void CEidrelDlg::SetThumbnailSource(RECT source) {
    if (::EqualRect(&source, &m_rectThumbSource)) return;
    DWM_THUMBNAIL_PROPERTIES props = {};
    props.dwFlags = kThumbSource;
    props.rcSource = source;
    // A failed update keeps the last rectangle, so the next paint tries again.
    if (SafeDwmUpdateThumbnailProperties(m_hThumbnail, &props) >= 0) m_rectThumbSource = source;
}

void CEidrelDlg::SetThumbnailZoomSource() {
    if (!::IsWindow(m_hTarget)) return;
    RECT source = {m_nSrcLeft, m_nSrcTop, m_nSrcLeft + m_nSrcWidth, m_nSrcTop + m_nSrcHeight};
    SetThumbnailSource(source);
}

void CEidrelDlg::SetThumbnailClientSource() {
    if (!::IsWindow(m_hTarget)) return;
    RECT source = {0, 0, 0, 0};
    ::GetClientRect(m_hTarget, &source);
    SetThumbnailSource(source);
}

void CEidrelDlg::UnregisterThumbnail() {
    SafeDwmUnregisterThumbnail(m_hThumbnail);
}

void CEidrelDlg::OnSize(UINT, int, int) {
    Default();
    if (m_bComposition) FitThumbnailAspect();
}

BOOL CEidrelDlg::OnEraseBkgnd(HDC) {
    if (m_bComposition) return TRUE;
    return static_cast<BOOL>(Default());
}

void CEidrelDlg::OnCompositionChanged() {
    if (SafeDwmIsCompositionEnabled(&m_bComposition) < 0) {
        m_bComposition = FALSE;
    } else if (m_bComposition) {
        RegisterThumbnail();
    }
    Default();
}
