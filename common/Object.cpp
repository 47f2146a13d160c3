#include "Object.h"

#include <windows.h>

void* TObject::operator new(std::size_t Size) noexcept {
    return HeapAlloc(GetProcessHeap(), 0, Size);
}

void TObject::operator delete(void* Block) noexcept {
    if (Block)
        HeapFree(GetProcessHeap(), 0, Block);
}
