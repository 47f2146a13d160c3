// Presses keys on the virtual remote for another program: reads one command a
// line on standard input, "COLLECTION KEYBYTE NEXTBYTE" (the bytes in hex),
// writes the report and answers "ok" or "error". Answers "ready" first.
//
// A 64-bit helper, so that 32-bit programs can press keys too: their own
// calls to the HID device do not get through under emulation.
//
// With --session it plays a short scripted session of presses instead, for
// the demo, and ends.
#include "RemoteClient.h"

#include <cstdio>
#include <cstring>

namespace {
struct TPress {
    int Collection;
    BYTE KeyByte, Next;
    DWORD PauseMs; // before the press
};

// Named keys on each collection, a repeat, both meanings of 0x24, and one key
// byte without a name, which the plug-in drops.
constexpr TPress Session[] = {
    {2, 0x0D, 0, 600}, {0, 0xB0, 0, 300},    {1, 0xE9, 0, 250},    {1, 0xE9, 0, 120},
    {0, 0x00, 0, 250}, {0, 0x24, 0x02, 300}, {0, 0x24, 0x00, 300}, {2, 0x9C, 0, 250},
    {0, 0xB1, 0, 300}, {1, 0xE2, 0, 250},    {0, 0xB7, 0, 300},
};

int PlaySession(TVirtualRemote& Remote) {
    for (const TPress& Press : Session) {
        Sleep(Press.PauseMs);
        if (!Remote.Press(Press.Collection, Press.KeyByte, Press.Next))
            return 1;
    }
    return 0;
}
} // namespace

int main(int Argc, char** Argv) {
    TVirtualRemote Remote;
    if (!Remote.Open()) {
        std::printf("error: the virtual remote is not installed\n");
        return 1;
    }
    if (Argc == 2 && std::strcmp(Argv[1], "--session") == 0)
        return PlaySession(Remote);
    std::printf("ready\n");
    std::fflush(stdout);
    char Line[128];
    while (std::fgets(Line, sizeof Line, stdin)) {
        int Collection = -1;
        unsigned KeyByte = 0, Next = 0;
        const bool Ok =
            std::sscanf(Line, "%d %x %x", &Collection, &KeyByte, &Next) == 3 && Collection >= 0 &&
            Collection < VREMOTE_COLLECTIONS &&
            Remote.Press(Collection, static_cast<BYTE>(KeyByte), static_cast<BYTE>(Next));
        std::printf(Ok ? "ok\n" : "error\n");
        std::fflush(stdout);
    }
    return 0;
}
