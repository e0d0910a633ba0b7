// Names of another process's executable; failures give an empty string.
#pragma once

#include <windows.h>

#include "framework/String.h"

void GetProcessBaseName(DWORD processId, CString& name);
void GetProcessFilePath(DWORD processId, CString& path);
