// Multibyte string of the application layer, used with the ANSI API.
#pragma once

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* p, int nLength) : m_str(p ? std::string(p, nLength) : std::string()) {}
    CString(const std::string& s) : m_str(s) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }
    char GetAt(int i) const { return m_str[static_cast<size_t>(i)]; }

    CString& operator=(const char* psz) {
        m_str = psz ? psz : "";
        return *this;
    }
    CString& operator+=(const char* psz) {
        if (psz) m_str += psz;
        return *this;
    }
    CString& operator+=(const CString& s) {
        m_str += s.m_str;
        return *this;
    }
    friend CString operator+(const CString& a, const char* b) {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(const CString& a, const CString& b) {
        CString r(a);
        r += b;
        return r;
    }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    // printf-style formatting; the result has no length limit.
    void Format(const char* pszFormat, ...);
    // Replaces every occurrence of pszOld by pszNew, left to right; returns the count.
    int Replace(const char* pszOld, const char* pszNew);
    // Loads a string resource of the application's module; FALSE when it is missing.
    BOOL LoadString(UINT nID);
    // Byte offset of the last pszSub, or -1.
    int Find(const char* pszSub, int nStart = 0) const;
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;

    // Writable buffer of at least nMinLength bytes plus the terminator; ReleaseBuffer cuts at the first zero.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer();

private:
    std::string m_str;
};
