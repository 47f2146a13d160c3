// The hidden utility window that both plug-ins use as their event window:
// a window of this library's own class on the calling thread, every message
// to which is handed to one method of one object as a message record.
//
// It is a top-level window, not a message-only one: device and broadcast
// messages must reach it. Being top-level also means it receives session-end
// queries, so listeners pass what they do not handle to DefWindowProcA.
#pragma once

#include <windows.h>

// The message record handed to a listener's WndProc. Result starts at 0 and is
// what the window procedure returns.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

namespace UtilWindow {
// Creates the hidden window (WS_EX_TOOLWINDOW, WS_POPUP, no title, size or
// parent) of this library's class, registering the class on first use.
// Returns null when the window cannot be created.
HWND Create();

// Routes every further message of Window to Proc, with Object reachable
// through the window's user data.
void Route(HWND Window, WNDPROC Proc, void* Object);

// Unregisters this library's window class; called when the library is
// unloaded, after its windows are gone, so that a reload can register again.
void ReleaseClass();

// The object of the window last routed to Object->*Method. A listener's event
// window gets every key event, and looking its object up in the window's user
// data on each message is the largest cost of the whole dispatch on some
// systems; the plug-ins keep one listener at a time, so this one entry finds
// it without a system call. Only the thread that owns the window touches it.
template <class T, void (T::*Method)(TMessage&)> struct TLastRoute {
    static inline HWND Window = nullptr;
    static inline T* Object = nullptr;
};

template <class T, void (T::*Method)(TMessage&)>
LRESULT CALLBACK RouteToMethod(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    using TLast = TLastRoute<T, Method>;
    T* Object = Window == TLast::Window
                    ? TLast::Object
                    : reinterpret_cast<T*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!Object)
        return DefWindowProcA(Window, Msg, WParam, LParam);
    // Once the handler has run, neither the object nor the window is touched
    // again: the handler may have destroyed both (a key callback that unbinds).
    TMessage Message{Msg, WParam, LParam, 0};
    if (Msg == WM_NCDESTROY) {
        SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
        if (Window == TLast::Window)
            TLast::Window = nullptr;
    }
    (Object->*Method)(Message);
    return Message.Result;
}
} // namespace UtilWindow

// Creates the event window and routes its messages to Object->*Method. The
// messages sent while the window is being created get default processing;
// the routing starts once it exists.
template <class T, void (T::*Method)(TMessage&)> HWND AllocateHWnd(T* Object) {
    HWND Window = UtilWindow::Create();
    if (Window) {
        UtilWindow::Route(Window, &UtilWindow::RouteToMethod<T, Method>, Object);
        UtilWindow::TLastRoute<T, Method>::Window = Window;
        UtilWindow::TLastRoute<T, Method>::Object = Object;
    }
    return Window;
}

// Destroys a window made by AllocateHWnd. The messages of its destruction still
// reach the object's method; after WM_NCDESTROY nothing does. Called from a
// thread that does not own the window, it detaches the window from the object
// and the module's code and has its own thread close it.
void DeallocateHWnd(HWND Window);
