// What a host sees of an input plug-in: five stdcall exports with fixed
// ordinals, the key callback it hands over, and the identity texts.
#pragma once

#include <windows.h>

extern "C" {
// The host's key callback. Both texts belong to the plug-in; the key name is
// valid only until the callback returns, so a host that keeps it copies it.
typedef void(WINAPI* TKeyCallback)(const char* SourceName, const char* KeyName);

// The export that has effects: binds (non-null) or unbinds (null) the key
// callback. The first argument is opaque to both plug-ins.
void WINAPI SetCallback(DWORD Unused, TKeyCallback KeyCallback);

// Identity exports: constant texts, the same pointer on every call, callable
// at any time on any thread.
const char* WINAPI LibTyp();
const char* WINAPI Copyright();
const char* WINAPI Version();
const char* WINAPI PluginName();
}

// The four identity texts of one plug-in, defined once per plug-in.
struct TPluginIdentity {
    const char* LibTyp;
    const char* Copyright;
    const char* Version;
    const char* PluginName;
};
extern const TPluginIdentity PluginIdentity;

// Export names by ordinal; the .def files are generated from the same list.
struct TPluginExport {
    const char* Name;
    int Ordinal;
};
inline constexpr TPluginExport PluginExports[] = {
    {"SetCallback", 1}, {"LibTyp", 2}, {"Copyright", 3}, {"Version", 4}, {"PluginName", 5},
};

// Run by the library entry when the host unloads the library with
// FreeLibrary (never while the process is terminating). Each plug-in releases
// whatever still points into its code.
void UnloadPlugin();
