// A stand-in for the few Win32 declarations the plug-ins use, so that their
// code builds and runs natively against the fake in FakeOs.cpp. Types keep the
// Windows names and widths that matter (handles are pointers, DWORD 32 bits).
#pragma once

#include <cstdint>

#define WINAPI
#define CALLBACK
#define TRUE 1
#define FALSE 0

typedef int BOOL;
typedef unsigned char BYTE;
typedef std::uint16_t WORD;
typedef unsigned short USHORT;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef unsigned int UINT;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t UINT_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD ATOM;
typedef void* LPVOID;
typedef void* HANDLE;
typedef const char* LPCSTR;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HMENU__* HMENU;
typedef struct HICON__* HICON;
typedef struct HCURSOR__* HCURSOR;
typedef struct HBRUSH__* HBRUSH;
typedef LONG_PTR(WINAPI* FARPROC)();
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct HRAWINPUT__* HRAWINPUT;

struct RAWINPUTHEADER {
    DWORD dwType;
    DWORD dwSize;
    HANDLE hDevice;
    WPARAM wParam;
};
struct RAWHID {
    DWORD dwSizeHid;
    DWORD dwCount;
    BYTE bRawData[1];
};
struct RAWMOUSE {
    BYTE Fields[24];
};
struct RAWINPUT {
    RAWINPUTHEADER header;
    union {
        RAWMOUSE mouse;
        RAWHID hid;
    } data;
};
struct RAWINPUTDEVICE {
    USHORT usUsagePage;
    USHORT usUsage;
    DWORD dwFlags;
    HWND hwndTarget;
};

struct IMAGE_DOS_HEADER {
    WORD e_magic;
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct CREATESTRUCTA {
    LPVOID lpCreateParams;
};

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_QUERYENDSESSION 0x0011
#define WM_ENDSESSION 0x0016
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_INPUT 0x00FF
#define WM_USER 0x0400

#define RIDEV_REMOVE 0x00000001
#define RIDEV_INPUTSINK 0x00000100
#define RID_INPUT 0x10000003
#define RIM_INPUT 0
#define RIM_INPUTSINK 1
#define RIM_TYPEHID 2
#define MB_OK 0x00000000u

#define WS_POPUP 0x80000000u
#define WS_EX_TOOLWINDOW 0x00000080u
#define GWLP_WNDPROC (-4)
#define GWLP_USERDATA (-21)

HMODULE WINAPI LoadLibraryA(LPCSTR FileName);
FARPROC WINAPI GetProcAddress(HMODULE Module, LPCSTR Name);
BOOL WINAPI FreeLibrary(HMODULE Module);

HANDLE WINAPI GetProcessHeap();
LPVOID WINAPI HeapAlloc(HANDLE Heap, DWORD Flags, std::size_t Bytes);
BOOL WINAPI HeapFree(HANDLE Heap, DWORD Flags, LPVOID Block);

ATOM WINAPI RegisterClassA(const WNDCLASSA* Class);
BOOL WINAPI UnregisterClassA(LPCSTR ClassName, HINSTANCE Instance);
HWND WINAPI CreateWindowExA(DWORD ExStyle, LPCSTR ClassName, LPCSTR WindowName, DWORD Style, int X,
                            int Y, int Width, int Height, HWND Parent, HMENU Menu,
                            HINSTANCE Instance, LPVOID Param);
BOOL WINAPI DestroyWindow(HWND Window);
LONG_PTR WINAPI GetWindowLongPtrA(HWND Window, int Index);
LONG_PTR WINAPI SetWindowLongPtrA(HWND Window, int Index, LONG_PTR Value);
LRESULT WINAPI DefWindowProcA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
LRESULT WINAPI SendMessageA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
BOOL WINAPI PostMessageA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
DWORD WINAPI GetWindowThreadProcessId(HWND Window, DWORD* ProcessId);
DWORD WINAPI GetCurrentThreadId();

BOOL WINAPI RegisterRawInputDevices(const RAWINPUTDEVICE* Devices, UINT Count, UINT Size);
UINT WINAPI GetRawInputData(HRAWINPUT Input, UINT Command, LPVOID Data, UINT* Size,
                            UINT HeaderSize);
BOOL WINAPI MessageBeep(UINT Type);
