// Taskbar buttons of the real window and of its copy, through the shell's taskbar list object.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include "copy/EidrelDlg.h"

namespace {

enum class TabOp { Add, Delete };

// COM lives only for the length of one call: initialised, the object made, used, released, torn down.
BOOL CallTaskbarList(HWND hWnd, TabOp op) {
    HRESULT hrInit = ::CoInitialize(nullptr);
    BOOL ok = FALSE;
    ITaskbarList* pList = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                                     reinterpret_cast<void**>(&pList))) &&
        pList) {
        pList->HrInit();
        HRESULT hr = op == TabOp::Add ? pList->AddTab(hWnd) : pList->DeleteTab(hWnd);
        ok = hr == S_OK;
        pList->Release();
    }
    // Only an initialisation that took place is undone: a thread already in another apartment keeps its own.
    if (SUCCEEDED(hrInit)) ::CoUninitialize();
    return ok;
}

} // namespace

BOOL AddTaskbarTab(HWND hWnd) {
    return CallTaskbarList(hWnd, TabOp::Add);
}

BOOL DeleteTaskbarTab(HWND hWnd) {
    return CallTaskbarList(hWnd, TabOp::Delete);
}
