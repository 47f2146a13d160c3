// Root of the listener classes. Listener objects live on the process heap
// rather than the C++ free store, so the DLLs need no C++ runtime allocator
// (and none of the exception machinery that would come with it).
#pragma once

#include <cstddef>

class TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // Non-throwing: a new-expression yields null when the heap is exhausted.
    static void* operator new(std::size_t Size) noexcept;
    static void operator delete(void* Block) noexcept;
};
