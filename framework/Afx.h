// The application layer in one include.
#pragma once

#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/GdiObject.h"
#include "framework/HotKeyCtrl.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "framework/MessageBox.h"
#include "framework/String.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
