// Varnelo's exports: the identity texts and the one listener slot.
#include "PluginApi.h"
#include "UMceRemote.h"

const TPluginIdentity PluginIdentity = {
    "Input",
    "Varnelo IR receiver input plug-in, by the Varnelo developers",
    "1.00",
    "MCEIr",
};

namespace {
// The library's one listener, empty after load.
TMceRemote* ListenerSlot = nullptr;

void DestroyListener() {
    // Empty the slot before destroying, so that nothing reached from the
    // destructor can find a half-destroyed listener there.
    delete std::exchange(ListenerSlot, nullptr);
}
} // namespace

extern "C" void WINAPI SetCallback(DWORD, TKeyCallback KeyCallback) {
    // Every bind starts afresh: the old listener ends its driver registration
    // and releases the driver before the new one loads it again.
    DestroyListener();
    if (KeyCallback)
        ListenerSlot = new TMceRemote(KeyCallback);
}

void UnloadPlugin() {
    DestroyListener();
    UtilWindow::ReleaseClass();
}
