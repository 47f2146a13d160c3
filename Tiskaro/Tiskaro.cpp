// Tiskaro's exports: the identity texts and the one listener slot.
#include "PluginApi.h"
#include "cxKeyPlus.h"

const TPluginIdentity PluginIdentity = {
    "Input",
    "Tiskaro HID remote input plug-in, by the Tiskaro developers",
    "1.00",
    "DAV2005",
};

namespace {
// The library's one listener, empty after load.
TcxKeyPlus* ListenerSlot = nullptr;

void DestroyListener() {
    delete std::exchange(ListenerSlot, nullptr);
}
} // namespace

extern "C" void WINAPI SetCallback(DWORD Unused, TKeyCallback KeyCallback) {
    // Created once; later binds only swap the callback, keeping the window and
    // its raw input registration.
    if (!ListenerSlot && KeyCallback)
        ListenerSlot = new TcxKeyPlus(Unused);
    if (KeyCallback && ListenerSlot) {
        ListenerSlot->KeyCallback = KeyCallback;
        ListenerSlot->Enabled = true;
    }
    if (!KeyCallback)
        DestroyListener();
}

void UnloadPlugin() {
    // Unloaded with a live listener: withdraw its registration and destroy its
    // window while their code is still here, then the class.
    DestroyListener();
    UtilWindow::ReleaseClass();
}
