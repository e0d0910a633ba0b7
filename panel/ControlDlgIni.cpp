// The panel's settings file: read at start-up, written about half a second after the last change
// request, and at once at exit.
#include <cstdio>

#include "panel/ControlDlg.h"

namespace {
const char kSection[] = "SYSTEM";
}

void CControlDlg::setIniFile(CString path) {
    m_strIniFile = path;
    __readIniFile();
    registerPickHotKey();
    refreshList();
    m_bIniWritePending = 0;
    m_nIniWriteCount = 0;
    ::SetTimer(m_hWnd, kIniWriteTimerId, 100, nullptr);
}

// Values are turned into numbers by the platform's integer profile read alone: a missing or empty
// value gives the default; other text gives its leading number (a sign and a 0x prefix are taken),
// or 0 when it does not start with one; no range is checked.
void CControlDlg::__readIniFile() {
    m_nIniSize = static_cast<int>(::GetPrivateProfileIntA(kSection, "INISIZE", 0, m_strIniFile));
    m_nLeftClk = static_cast<int>(::GetPrivateProfileIntA(kSection, "LEFTCLK", 0, m_strIniFile));
    m_nLeftDblClk = static_cast<int>(::GetPrivateProfileIntA(kSection, "LEFTDBLCLK", 0, m_strIniFile));
    m_nWsHotKey = static_cast<int>(::GetPrivateProfileIntA(kSection, "WSHOTKEY", m_nWsHotKey, m_strIniFile));
    m_nWsModifiers =
        static_cast<int>(::GetPrivateProfileIntA(kSection, "WSMODIFIERS", m_nWsModifiers, m_strIniFile));
}

void CControlDlg::__writeIniFile() {
    printf("CControlDlg::__writeIniFile()\n");
    const struct {
        const char* key;
        int value;
    } keys[] = {
        {"INISIZE", m_nIniSize},   {"LEFTCLK", m_nLeftClk},         {"LEFTDBLCLK", m_nLeftDblClk},
        {"WSHOTKEY", m_nWsHotKey}, {"WSMODIFIERS", m_nWsModifiers},
    };
    for (const auto& k : keys) {
        CString text;
        text.Format("%d", k.value);
        ::WritePrivateProfileStringA(kSection, k.key, text, m_strIniFile);
    }
}

void CControlDlg::requestWriteIniFile() {
    m_bIniWritePending = 1;
    m_nIniWriteCount = 5;
}

void CControlDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kIniWriteTimerId && m_bIniWritePending) {
        if (m_nIniWriteCount != 0) {
            --m_nIniWriteCount;
        } else {
            m_bIniWritePending = 0;
            __writeIniFile();
        }
    }
    Default();
}
