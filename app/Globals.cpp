#include "app/Globals.h"

int g_bDebugMode = 0;
int g_nRefreshInterval = 10;
char g_cCloneKey = 'C';
int g_bModalDialogOpen = 0;
