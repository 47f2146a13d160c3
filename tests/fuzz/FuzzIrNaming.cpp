// Arbitrary 32-bit arguments: the name depends on the low 16 bits alone, is 1
// to 11 printable characters, and a code outside the named span is spelled
// out as 0x and four upper-case digits.
#include "UMceRemote.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    std::uint32_t Argument = 0;
    std::memcpy(&Argument, Data, Size < sizeof Argument ? Size : sizeof Argument);
    const TKeyName Name = IrCommandName(Argument);
    const std::size_t Length = std::strlen(Name.c_str());
    if (Length < 1 || Length > 11 ||
        std::strcmp(Name.c_str(), IrCommandName(Argument & 0xFFFF).c_str()))
        std::abort();
    for (std::size_t I = 0; I < Length; ++I)
        if (Name.Text[I] < 0x20 || Name.Text[I] > 0x7E)
            std::abort();
    const unsigned Code = Argument & 0xFFFF;
    if (Code < 0x7B9A || Code > 0x7BFF) {
        char Hex[8];
        std::snprintf(Hex, sizeof Hex, "0x%04X", Code);
        if (std::strcmp(Name.c_str(), Hex) != 0)
            std::abort();
    }
    return 0;
}
