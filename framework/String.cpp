#include "framework/String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/WinApp.h"

void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
    } else {
        std::string buf(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(buf.data(), buf.size(), pszFormat, args);
        buf.resize(static_cast<size_t>(n));
        m_str.swap(buf);
    }
    va_end(args);
}

int CString::Replace(const char* pszOld, const char* pszNew) {
    if (!pszOld || !*pszOld) return 0;
    const std::string from(pszOld);
    const std::string to(pszNew ? pszNew : "");
    std::string out;
    int count = 0;
    size_t pos = 0;
    for (;;) {
        size_t hit = m_str.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(m_str, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        ++count;
    }
    if (count) {
        out.append(m_str, pos, std::string::npos);
        m_str.swap(out);
    }
    return count;
}

BOOL CString::LoadString(UINT nID) {
    char buf[1024];
    int n = ::LoadStringA(AfxGetResourceHandle(), nID, buf, sizeof(buf));
    if (n <= 0) {
        m_str.clear();
        return FALSE;
    }
    m_str.assign(buf, static_cast<size_t>(n));
    return TRUE;
}

int CString::Find(const char* pszSub, int nStart) const {
    if (nStart < 0 || static_cast<size_t>(nStart) > m_str.size()) return -1;
    size_t hit = m_str.find(pszSub ? pszSub : "", static_cast<size_t>(nStart));
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

CString CString::Left(int nCount) const {
    if (nCount < 0) nCount = 0;
    return CString(m_str.substr(0, static_cast<size_t>(nCount)));
}

CString CString::Mid(int nFirst) const {
    if (nFirst < 0) nFirst = 0;
    if (static_cast<size_t>(nFirst) >= m_str.size()) return CString();
    return CString(m_str.substr(static_cast<size_t>(nFirst)));
}

char* CString::GetBuffer(int nMinLength) {
    if (nMinLength < 0) nMinLength = 0;
    if (m_str.size() < static_cast<size_t>(nMinLength)) m_str.resize(static_cast<size_t>(nMinLength));
    return m_str.data();
}

void CString::ReleaseBuffer() {
    m_str.resize(std::strlen(m_str.c_str()));
}
