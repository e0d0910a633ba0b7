// Base of hotkey entry fields: a window of class "msctls_hotkey32" bound by data exchange.
#pragma once

#include "framework/Wnd.h"

class CHotKeyCtrl : public CWnd {};
