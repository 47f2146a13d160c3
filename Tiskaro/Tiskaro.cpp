// Tiskaro's exports. Binding to the remote's HID collections comes with its
// raw input listener; until then SetCallback accepts a callback and does
// nothing with it.
#include "PluginApi.h"
#include "UtilWindow.h"

const TPluginIdentity PluginIdentity = {
    "Input",
    "Tiskaro HID remote input plug-in, by the Tiskaro developers",
    "1.00",
    "DAV2005",
};

extern "C" void WINAPI SetCallback(DWORD, TKeyCallback) {}

void UnloadPlugin() { UtilWindow::ReleaseClass(); }
