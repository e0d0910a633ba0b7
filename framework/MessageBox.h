// Message box of the application: caption = the executable's name without extension.
#pragma once

#include <windows.h>

// MB_OK boxes get the exclamation icon and MB_YESNO boxes the question icon unless an icon is given.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
