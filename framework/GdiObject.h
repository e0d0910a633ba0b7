// Owners of one GDI object each; the object is deleted with its owner.
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
