// Entry point of Lumevarin.exe.
#include <windows.h>

#include "app/LumevarinApp.h"
#include "framework/WinApp.h"

CLumevarinApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    return AfxWinMain(hInstance, nCmdShow);
}
