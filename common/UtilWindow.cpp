#include "UtilWindow.h"

// The image base of the module this code is linked into: the DLL's instance
// handle, without having to remember it at attach.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
// Window classes are per module instance, so both plug-ins can use this name
// side by side in one process.
constexpr char ClassName[] = "TPUtilWindow";
bool ClassRegistered = false;

HINSTANCE ThisModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

bool RegisterClassOnce() {
    if (ClassRegistered)
        return true;
    WNDCLASSA Class{};
    // Until a window is routed to its object it behaves like any default window.
    Class.lpfnWndProc = DefWindowProcA;
    Class.hInstance = ThisModule();
    Class.lpszClassName = ClassName;
    ClassRegistered = RegisterClassA(&Class) != 0;
    return ClassRegistered;
}
} // namespace

namespace UtilWindow {
HWND Create() {
    if (!RegisterClassOnce())
        return nullptr;
    return CreateWindowExA(WS_EX_TOOLWINDOW, ClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           ThisModule(), nullptr);
}

void Route(HWND Window, WNDPROC Proc, void* Object) {
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Object));
    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
}

void ReleaseClass() {
    if (ClassRegistered && UnregisterClassA(ClassName, ThisModule()))
        ClassRegistered = false;
}
} // namespace UtilWindow

void DeallocateHWnd(HWND Window) {
    if (!Window)
        return;
    if (GetWindowThreadProcessId(Window, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(Window);
        return;
    }
    // Only its own thread can destroy a window, and this one is being released
    // from another (the library unloaded by a thread other than the one that
    // bound it). Left as it is, its procedure would point into code about to
    // be unloaded. Hand it back to default processing, which needs nothing of
    // ours, and let its own thread close it.
    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
    PostMessageA(Window, WM_CLOSE, 0, 0);
}
