#pragma once
// Resource ids of tl_plugin.dll (shared by the resource script and the code).

#define IDR_TL_PLUGIN 101    // the registry script, type "REGISTRY"
#define IDS_FRIENDLYNAME 102 // "Tuneline Plugin"
#define IDS_DESCRIPTION 103  // "Writes currently playing song name to a text file"
#define IDD_PROPERTIES 104   // the properties dialog

#define IDC_PATH 1000
#define IDC_TITLE 1001
#define IDC_SIGN 1002
#define IDC_STOP 1003
#define IDC_EXIT 1004
