#include "app/AboutDlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/DataExchange.h"
#include "res/resource.h"

const char* const kHomePageUrl = "https://lumevarin.example.org/";

char g_szVersion[256];
int g_bVersionLoaded = 0;

namespace {

// The program's own file name, used only by the version lookup.
char g_szModuleFile[MAX_PATH];

// After a cut at the buffer's end, drops a lead byte whose trail byte was cut off, so that the text
// never ends in half a double-byte character.
void DropDanglingLeadByte(char* psz) {
    const size_t n = std::strlen(psz);
    size_t i = 0;
    while (i < n) {
        if (::IsDBCSLeadByte(static_cast<BYTE>(psz[i]))) {
            if (i + 1 >= n) {
                psz[i] = '\0';
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
}

} // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_STATIC_VERSION, m_strVersion);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    CString strPortable = "[PORTABLE版]";
    SetWindowText("朧写鏡");

    // "Ver.:1.0.1.117" reads "Ver.:1-0-1-117": the prefix is kept aside while the dots go.
    CString strVersion = GetVersionString();
    strVersion.Replace(".:", "%");
    strVersion.Replace(".", "-");
    strVersion.Replace(",", "-");
    strVersion.Replace(";", ".");
    strVersion.Replace("%", ".:");

    m_strVersion.Format("朧写鏡 %s %s", strVersion.GetString(), strPortable.GetString());
    UpdateData(FALSE);
    return TRUE;
}

BOOL CAboutDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_NOTIFY) {
        NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        if (pNMHDR && pNMHDR->idFrom == IDC_SYSLINK1 && pNMHDR->code == static_cast<UINT>(NM_CLICK)) {
            OnNMClickSyslink(pNMHDR, pResult);
            return TRUE;
        }
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

void CAboutDlg::OnNMClickSyslink(NMHDR*, LRESULT* pResult) {
    OpenHomePage(m_hWnd);
    *pResult = 0;
}

void OpenHomePage(HWND hWndOwner) {
    ::ShellExecuteA(hWndOwner, "open", kHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

const char* GetVersionString() {
    if (g_bVersionLoaded == 1) return g_szVersion;

    std::memset(g_szVersion, 0, sizeof(g_szVersion));
    ::GetModuleFileNameA(nullptr, g_szModuleFile, MAX_PATH);

    DWORD dwHandle = 0;
    const DWORD dwSize = ::GetFileVersionInfoSizeA(g_szModuleFile, &dwHandle);
    if (dwSize == 0) return g_szVersion;
    void* pBlock = std::malloc(dwSize + 1);
    if (!pBlock) return g_szVersion;

    struct LangAndCodePage {
        WORD wLanguage;
        WORD wCodePage;
    };
    LangAndCodePage* pTranslation = nullptr;
    UINT cbTranslation = 0;
    char* pszValue = nullptr;
    UINT cchValue = 0;
    if (::GetFileVersionInfoA(g_szModuleFile, 0, dwSize, pBlock) &&
        ::VerQueryValueA(pBlock, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation),
                         &cbTranslation) &&
        pTranslation && cbTranslation >= sizeof(LangAndCodePage)) {
        char szKey[16];
        std::snprintf(szKey, sizeof(szKey), "%04x%04x", pTranslation->wLanguage, pTranslation->wCodePage);
        char szSubBlock[64];
        std::snprintf(szSubBlock, sizeof(szSubBlock), "\\StringFileInfo\\%s\\%s", szKey, "ProductVersion");
        if (::VerQueryValueA(pBlock, szSubBlock, reinterpret_cast<void**>(&pszValue), &cchValue) &&
            pszValue) {
            // A version too long for the buffer is cut at its end (at a character boundary).
            int n = std::snprintf(g_szVersion, sizeof(g_szVersion), "Ver.:%s", pszValue);
            if (n >= static_cast<int>(sizeof(g_szVersion))) DropDanglingLeadByte(g_szVersion);
            g_bVersionLoaded = 1;
        }
    }
    std::free(pBlock);
    return g_szVersion;
}

void AppendVersionMenuItem(HWND hWnd) {
    HMENU hSysMenu = ::GetSystemMenu(hWnd, FALSE);
    if (!hSysMenu) return;
    CString strAbout;
    strAbout.LoadString(IDS_ABOUTBOX);
    if (strAbout.IsEmpty()) return;
    ::AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, strAbout);
}
