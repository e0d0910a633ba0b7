#include "copy/PlatformQueries.h"

OSVERSIONINFOA g_osVersionInfo = {};
int g_bOsVersionValid = 0;

namespace {

// dwmapi.dll is loaded at the first composition call on a system that passed the version test, never
// before: the program must start on systems that have no such library. It is loaded by its full path
// in the system folder: by its bare name the loader would take a file of that name from the program's
// own folder first. A library that cannot be loaded is not tried again.
HMODULE LoadDwmLibrary() {
    static bool s_tried = false;
    static HMODULE s_hModule = nullptr;
    if (!s_tried) {
        s_tried = true;
        static const char kFileName[] = "\\dwmapi.dll";
        char path[MAX_PATH];
        UINT n = ::GetSystemDirectoryA(path, MAX_PATH);
        if (n > 0 && n + sizeof(kFileName) <= MAX_PATH) {
            ::lstrcpyA(path + n, kFileName);
            s_hModule = ::LoadLibraryA(path);
        }
    }
    return s_hModule;
}

// The functions bound so far, and the table a test has put in their place (nullptr: none).
DwmFunctions s_bound = {};
const DwmFunctions* s_replacement = nullptr;

// One entry point of dwmapi.dll, looked up by name at its first use into its slot of s_bound; later calls
// go straight to it.
template <typename Fn> class DwmEntry {
public:
    DwmEntry(Fn DwmFunctions::*slot, const char* name) : m_slot(slot), m_name(name) {}
    Fn Get() {
        if (s_replacement) return s_replacement->*m_slot;
        if (!m_tried) {
            m_tried = true;
            if (HMODULE h = LoadDwmLibrary()) {
                s_bound.*m_slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(h, m_name)));
            }
        }
        return s_bound.*m_slot;
    }

private:
    Fn DwmFunctions::*m_slot;
    const char* m_name;
    bool m_tried = false;
};

using PfnIsCompositionEnabled = decltype(DwmFunctions::isCompositionEnabled);
using PfnRegisterThumbnail = decltype(DwmFunctions::registerThumbnail);
using PfnUpdateThumbnailProperties = decltype(DwmFunctions::updateThumbnailProperties);
using PfnUnregisterThumbnail = decltype(DwmFunctions::unregisterThumbnail);
using PfnQueryThumbnailSourceSize = decltype(DwmFunctions::queryThumbnailSourceSize);
using PfnGetWindowAttribute = decltype(DwmFunctions::getWindowAttribute);

DwmEntry<PfnIsCompositionEnabled> s_isCompositionEnabled(&DwmFunctions::isCompositionEnabled,
                                                         "DwmIsCompositionEnabled");
DwmEntry<PfnRegisterThumbnail> s_registerThumbnail(&DwmFunctions::registerThumbnail, "DwmRegisterThumbnail");
DwmEntry<PfnUpdateThumbnailProperties> s_updateThumbnailProperties(&DwmFunctions::updateThumbnailProperties,
                                                                   "DwmUpdateThumbnailProperties");
DwmEntry<PfnUnregisterThumbnail> s_unregisterThumbnail(&DwmFunctions::unregisterThumbnail,
                                                       "DwmUnregisterThumbnail");
DwmEntry<PfnQueryThumbnailSourceSize> s_queryThumbnailSourceSize(&DwmFunctions::queryThumbnailSourceSize,
                                                                 "DwmQueryThumbnailSourceSize");
DwmEntry<PfnGetWindowAttribute> s_getWindowAttribute(&DwmFunctions::getWindowAttribute,
                                                     "DwmGetWindowAttribute");

// Result of a wrapper whose function could not be bound on a system that passed the version test:
// a failure like any other to the callers, which only look for a negative value.
constexpr HRESULT kDwmUnavailable = E_NOTIMPL;
// Result of a wrapper on a system older than Vista.
constexpr HRESULT kNotSupportedHere = -1;

constexpr DWORD kExtendedFrameBounds = 9; // DWMWA_EXTENDED_FRAME_BOUNDS

} // namespace

void LoadOsVersion() {
    ::ZeroMemory(&g_osVersionInfo, sizeof(g_osVersionInfo));
    g_osVersionInfo.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (::GetVersionExA(&g_osVersionInfo) == 1) g_bOsVersionValid = 1;
}

void ReplaceDwmFunctions(const DwmFunctions* table) {
    s_replacement = table;
}

BOOL IsVistaOrLater() {
    if (g_bOsVersionValid == 0) LoadOsVersion();
    return g_bOsVersionValid == 1 && g_osVersionInfo.dwMajorVersion >= 6u;
}

HRESULT SafeDwmIsCompositionEnabled(BOOL* pfEnabled) {
    if (!IsVistaOrLater()) {
        if (pfEnabled) *pfEnabled = FALSE;
        return kNotSupportedHere;
    }
    PfnIsCompositionEnabled fn = s_isCompositionEnabled.Get();
    if (!fn) {
        if (pfEnabled) *pfEnabled = FALSE;
        return kDwmUnavailable;
    }
    return fn(pfEnabled);
}

HRESULT SafeDwmRegisterThumbnail(HWND hwndDestination, HWND hwndSource, HTHUMBNAIL* phThumbnailId) {
    if (!IsVistaOrLater()) return kNotSupportedHere;
    PfnRegisterThumbnail fn = s_registerThumbnail.Get();
    return fn ? fn(hwndDestination, hwndSource, phThumbnailId) : kDwmUnavailable;
}

HRESULT SafeDwmUpdateThumbnailProperties(HTHUMBNAIL hThumbnailId,
                                         const DWM_THUMBNAIL_PROPERTIES* ptnProperties) {
    if (!IsVistaOrLater()) return kNotSupportedHere;
    PfnUpdateThumbnailProperties fn = s_updateThumbnailProperties.Get();
    return fn ? fn(hThumbnailId, ptnProperties) : kDwmUnavailable;
}

HRESULT SafeDwmUnregisterThumbnail(HTHUMBNAIL hThumbnailId) {
    if (!IsVistaOrLater()) return kNotSupportedHere;
    PfnUnregisterThumbnail fn = s_unregisterThumbnail.Get();
    return fn ? fn(hThumbnailId) : kDwmUnavailable;
}

HRESULT SafeDwmQueryThumbnailSourceSize(HTHUMBNAIL hThumbnail, SIZE* pSize) {
    if (!IsVistaOrLater()) return kNotSupportedHere;
    PfnQueryThumbnailSourceSize fn = s_queryThumbnailSourceSize.Get();
    return fn ? fn(hThumbnail, pSize) : kDwmUnavailable;
}

void GetWindowFrameRect(HWND hwnd, RECT* frame) {
    // Asked afresh each time, not from the cache; a failed query leaves major version 0.
    OSVERSIONINFOA vi;
    ::ZeroMemory(&vi, sizeof(vi));
    vi.dwOSVersionInfoSize = sizeof(vi);
    ::GetVersionExA(&vi);
    if (vi.dwMajorVersion >= 6u) {
        if (PfnGetWindowAttribute fn = s_getWindowAttribute.Get()) {
            if (fn(hwnd, kExtendedFrameBounds, frame, sizeof(RECT)) >= 0) return;
        }
    }
    ::GetWindowRect(hwnd, frame);
}

void GetWindowRects(HWND hwnd, RECT* frame, RECT* window) {
    GetWindowFrameRect(hwnd, frame);
    ::GetWindowRect(hwnd, window);
}
