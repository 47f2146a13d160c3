// Arbitrary bytes as a raw input buffer (zero behind them, as a read leaves
// it): the name is none or one of the key names, never anything else.
#include "cxKeyPlus.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TRawInputBuffer Buffer{};
    std::memcpy(Buffer.Bytes, Data, Size < sizeof Buffer.Bytes ? Size : sizeof Buffer.Bytes);
    const char* Name = ReportKeyName(Buffer);
    if (!Name)
        return 0;
    const std::size_t Length = std::strlen(Name);
    if (Length < 3 || Length > 13 ||
        std::strspn(Name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                          "abcdefghijklmnopqrstuvwxyz_") != Length)
        std::abort();
    return 0;
}
