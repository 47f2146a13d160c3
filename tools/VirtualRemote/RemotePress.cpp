// Presses keys on the virtual remote for another program: reads one command a
// line on standard input, "COLLECTION KEYBYTE NEXTBYTE" (the bytes in hex),
// writes the report and answers "ok" or "error". Answers "ready" first.
//
// A 64-bit helper, so that 32-bit programs can press keys too: their own
// calls to the HID device do not get through under emulation.
#include "RemoteClient.h"

#include <cstdio>

int main() {
    TVirtualRemote Remote;
    if (!Remote.Open()) {
        std::printf("error: the virtual remote is not installed\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char Line[128];
    while (std::fgets(Line, sizeof Line, stdin)) {
        int Collection = -1;
        unsigned KeyByte = 0, Next = 0;
        const bool Ok = std::sscanf(Line, "%d %x %x", &Collection, &KeyByte, &Next) == 3 &&
                        Collection >= 0 && Collection < VREMOTE_COLLECTIONS &&
                        Remote.Press(Collection, static_cast<BYTE>(KeyByte),
                                     static_cast<BYTE>(Next));
        std::printf(Ok ? "ok\n" : "error\n");
        std::fflush(stdout);
    }
    return 0;
}
