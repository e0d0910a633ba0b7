// Process-wide settings shared by the copies, the panel and the application object.
#pragma once

// 1 in the debug mode ("-D583"): console log, debug tray menu, visible main window, real windows kept faintly
// visible.
extern int g_bDebugMode;
// Refresh period of the copies in units of 100 ms ("-T<n>"), default 10.
extern int g_nRefreshInterval;
// Clone letter ("-CLONE<letter>"), default 'C'; only logged.
extern char g_cCloneKey;
// 1 while the property dialog, or the version box opened from a copy, is shown.
extern int g_bModalDialogOpen;
