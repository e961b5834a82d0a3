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
    // Started from Explorer there is no console, and none is made.
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    // The French texts are UTF-8; the console gets its own code page back as
    // the program ends.
    parentCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    std::atexit([] { SetConsoleOutputCP(parentCodePage); });
    if (!out)
        std::freopen("CONOUT$", "w", stdout);
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
}
