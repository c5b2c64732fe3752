#pragma once
// The plugin's properties dialog (resource 104): edits the five settings of one plugin object. Modal to the
// owner window; "OK" copies the boxes into the settings (cut to their fields), "Cancel", Escape and the
// close box leave them unchanged.

#include <windows.h>

namespace wmp_plugin {

struct TPluginSettings;

// Runs the dialog; true when the user pressed "OK".
bool RunPropertiesDialog(HWND owner, TPluginSettings& settings);

} // namespace wmp_plugin
