// Heap allocations made while handling key events, counted around the
// listeners' key handling in the native build: every operator new of the
// process and every process-heap allocation (the fake OS counts those), with
// the fake told to record nothing so that only the plug-ins' code counts.
#include "FakeOs.h"
#include "UMceRemote.h"
#include "cxKeyPlus.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {
std::atomic<long> NewCalls{0};
void WINAPI Ignore(const char*, const char*) {}
} // namespace

void* operator new(std::size_t Size) {
    ++NewCalls;
    if (void* Block = std::malloc(Size ? Size : 1))
        return Block;
    throw std::bad_alloc();
}
void operator delete(void* Block) noexcept {
    std::free(Block);
}
void operator delete(void* Block, std::size_t) noexcept {
    std::free(Block);
}

int main() {
    constexpr long Keys = 100000;
    FakeOs::Reset({.Quiet = true});

    TMceRemote Varnelo(&Ignore);
    const HWND IrWindow = FakeOs::RegisteredWindow();
    long NewBefore = NewCalls, HeapBefore = FakeOs::HeapAllocations();
    for (long I = 0; I < Keys; ++I)
        SendMessageA(IrWindow, WM_USER, 0x37FF0, 0x7B00 + (I & 0xFF));
    std::printf("varnelo %ld %ld %ld\n", Keys, NewCalls - NewBefore,
                FakeOs::HeapAllocations() - HeapBefore);

    TcxKeyPlus Tiskaro(0);
    Tiskaro.KeyCallback = &Ignore;
    Tiskaro.Enabled = true;
    std::vector<BYTE> Record(ReportOffset + 3);
    Record[ReportOffset] = 1;
    NewBefore = NewCalls;
    HeapBefore = FakeOs::HeapAllocations();
    for (long I = 0; I < Keys; ++I) {
        Record[ReportOffset + 1] = static_cast<BYTE>(I);
        FakeOs::SendRawInput(0xFFBC, 0x88, Record);
    }
    std::printf("tiskaro %ld %ld %ld\n", Keys, NewCalls - NewBefore,
                FakeOs::HeapAllocations() - HeapBefore);
    return 0;
}
