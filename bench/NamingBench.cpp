// Time per call of the two naming functions (Google Benchmark), over a mix of
// named and unnamed inputs so that neither branch is favoured.
#include "UMceRemote.h"
#include "cxKeyPlus.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {
void IrNaming(benchmark::State& State) {
    const std::uint32_t Codes[] = {0x7BE9, 0x7BA6, 0x7BFF, 0x0000, 0x7BEE, 0x17BE9, 0xFFFF, 0x7B9A};
    std::size_t I = 0;
    for (auto _ : State) {
        TKeyName Name = IrCommandName(Codes[I++ & 7]);
        benchmark::DoNotOptimize(Name);
    }
}
BENCHMARK(IrNaming);

void ReportNaming(benchmark::State& State) {
    std::vector<TRawInputBuffer> Buffers(8);
    const BYTE Keys[] = {0xB0, 0x24, 0x00, 0xE9, 0x23, 0x0D, 0xFF, 0x9C};
    for (int I = 0; I < 8; ++I) {
        Buffers[I].Bytes[ReportOffset + 1] = Keys[I];
        Buffers[I].Bytes[ReportOffset + 2] = static_cast<BYTE>(I & 2);
    }
    std::size_t I = 0;
    for (auto _ : State) {
        const char* Name = ReportKeyName(Buffers[I++ & 7]);
        benchmark::DoNotOptimize(Name);
    }
}
BENCHMARK(ReportNaming);
} // namespace

BENCHMARK_MAIN();
