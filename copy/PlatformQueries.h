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

// The visible frame of a window (extended frame bounds on Vista and later), else its window rectangle.
void GetWindowFrameRect(HWND hwnd, RECT* frame);
void GetWindowRects(HWND hwnd, RECT* frame, RECT* window);
