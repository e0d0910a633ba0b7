// Version-dependent platform calls: OS version cache, composition wrappers, window-frame rectangles.
#pragma once

#include <windows.h>
#include <dwmapi.h>

extern OSVERSIONINFOA g_osVersionInfo;
extern int g_bOsVersionValid;

void LoadOsVersion();
BOOL IsVistaOrLater();

// Each returns -1 without calling anything (and without loading dwmapi.dll) below major version 6.
HRESULT SafeDwmIsCompositionEnabled(BOOL* pfEnabled);
HRESULT SafeDwmRegisterThumbnail(HWND hwndDestination, HWND hwndSource, HTHUMBNAIL* phThumbnailId);
HRESULT SafeDwmUpdateThumbnailProperties(HTHUMBNAIL hThumbnailId,
                                         const DWM_THUMBNAIL_PROPERTIES* ptnProperties);
HRESULT SafeDwmUnregisterThumbnail(HTHUMBNAIL hThumbnailId);
HRESULT SafeDwmQueryThumbnailSourceSize(HTHUMBNAIL hThumbnail, SIZE* pSize);

// The composition functions behind the wrappers and the frame query, bound from the system's library on
// first use.
struct DwmFunctions {
    HRESULT(WINAPI* isCompositionEnabled)(BOOL*);
    HRESULT(WINAPI* registerThumbnail)(HWND, HWND, HTHUMBNAIL*);
    HRESULT(WINAPI* updateThumbnailProperties)(HTHUMBNAIL, const DWM_THUMBNAIL_PROPERTIES*);
    HRESULT(WINAPI* unregisterThumbnail)(HTHUMBNAIL);
    HRESULT(WINAPI* queryThumbnailSourceSize)(HTHUMBNAIL, SIZE*);
    HRESULT(WINAPI* getWindowAttribute)(HWND, DWORD, PVOID, DWORD);
};

// For tests only: the wrappers and the frame query call the functions of *table instead (an empty entry
// fails like a function the library lacks); nullptr goes back to the system's library. The version test
// still comes first. The program never calls this.
void ReplaceDwmFunctions(const DwmFunctions* table);

// The visible frame of a window (extended frame bounds on Vista and later), else its window rectangle.
void GetWindowFrameRect(HWND hwnd, RECT* frame);
void GetWindowRects(HWND hwnd, RECT* frame, RECT* window);
