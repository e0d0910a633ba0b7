// Owners of one GDI object or device context each; the object is deleted (the context released) with its
// owner.
#pragma once

#include <windows.h>

class CGdiObject {
public:
    CGdiObject() = default;
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL DeleteObject() {
        if (!m_hObject) return FALSE;
        BOOL ok = ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return ok;
    }
};

class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
        DeleteObject();
        m_hObject = ::CreateCompatibleBitmap(hdc, cx, cy);
        return m_hObject != nullptr;
    }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    BOOL CreateSolidBrush(COLORREF cr) {
        DeleteObject();
        m_hObject = ::CreateSolidBrush(cr);
        return m_hObject != nullptr;
    }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

// The device context of a window's client area (GetDC), released with its owner.
class CClientDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~CClientDC() {
        if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// A memory device context. The object it held before the first selection is put back before the context is
// deleted, so whatever was selected into it may be deleted after it (declare such objects first).
class CDC {
public:
    CDC() = default;
    ~CDC() { DeleteDC(); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(HDC hdc) {
        DeleteDC();
        m_hDC = ::CreateCompatibleDC(hdc);
        return m_hDC != nullptr;
    }
    HGDIOBJ SelectObject(HGDIOBJ hObject) {
        HGDIOBJ hOld = ::SelectObject(m_hDC, hObject);
        if (!m_hOriginal) m_hOriginal = hOld;
        return hOld;
    }
    void DeleteDC() {
        if (!m_hDC) return;
        if (m_hOriginal) ::SelectObject(m_hDC, m_hOriginal);
        ::DeleteDC(m_hDC);
        m_hDC = nullptr;
        m_hOriginal = nullptr;
    }
    operator HDC() const { return m_hDC; }

private:
    HDC m_hDC = nullptr;
    HGDIOBJ m_hOriginal = nullptr;
};
