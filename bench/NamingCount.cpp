// Calls one naming function N times, for counting instructions per call with
// callgrind: the difference between two runs of different N, divided by the
// difference in N, is the cost of one call, free of start-up costs.
//
//   naming-count ir|report N
#include "UMceRemote.h"
#include "cxKeyPlus.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int Argc, char** Argv) {
    if (Argc != 3)
        return 2;
    const long Count = std::atol(Argv[2]);
    unsigned Sink = 0;
    if (std::strcmp(Argv[1], "ir") == 0) {
        static const std::uint32_t Codes[] = {0x7BE9, 0x7BA6,  0x7BFF, 0x0000,
                                              0x7BEE, 0x17BE9, 0xFFFF, 0x7B9A};
        for (long I = 0; I < Count; ++I)
            Sink += static_cast<unsigned char>(IrCommandName(Codes[I & 7]).Text[1]);
    } else {
        static TRawInputBuffer Buffers[8];
        const BYTE Keys[] = {0xB0, 0x24, 0x00, 0xE9, 0x23, 0x0D, 0xFF, 0x9C};
        for (int I = 0; I < 8; ++I)
            Buffers[I].Bytes[ReportOffset + 1] = Keys[I];
        for (long I = 0; I < Count; ++I) {
            const char* Name = ReportKeyName(Buffers[I & 7]);
            Sink += Name ? static_cast<unsigned char>(Name[0]) : 0;
        }
    }
    std::printf("%u\n", Sink);
    return 0;
}
