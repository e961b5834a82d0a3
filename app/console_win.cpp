#include "console.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

UINT parentCodePage = 0;

// Output already going to a file or a pipe stays there: "> feuille.txt" in
// cmd.exe, or the program run by a script.
bool redirected(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    const DWORD type = GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

} // namespace

void useParentConsole()
{
    const bool out = redirected(STD_OUTPUT_HANDLE), err = redirected(STD_ERROR_HANDLE);
    if (out && err)
        return;
    // Started from Explorer there is no console, and none is made. Already
    // attached (Wine gives its console to every program) is as good.
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return;
    // The French texts are UTF-8; the console gets its own code page back as
    // the program ends, once what is still buffered has gone out in UTF-8.
    parentCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    std::atexit([] {
        std::fflush(stdout);
        std::fflush(stderr);
        SetConsoleOutputCP(parentCodePage);
    });
    // A console stream is unbuffered, and a character that reaches the
    // console a byte at a time comes out as two wrong ones: each stream
    // gets a buffer that holds the longest sheet, flushed whole.
    const auto toConsole = [](FILE *stream) {
        if (std::freopen("CONOUT$", "w", stream))
            std::setvbuf(stream, nullptr, _IOFBF, 1 << 20);
    };
    if (!out)
        toConsole(stdout);
    if (!err)
        toConsole(stderr);
}
