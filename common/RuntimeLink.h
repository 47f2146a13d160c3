// Entry points of a library loaded at run time, typed once by the caller.
#pragma once

#include <windows.h>

// Looks Name up in Library; null when the library does not export it.
template <class Function> Function LookUpEntry(HMODULE Library, const char* Name) {
    // FARPROC is a placeholder type; going through void* keeps the cast to the
    // real signature free of function-type warnings.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(Library, Name)));
}
