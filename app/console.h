#pragma once

// A Windows program built for the desktop has no console of its own: started
// from cmd.exe, its command line writes to the console it was started from,
// in UTF-8 as to a file or a pipe, the console switched to UTF-8 meanwhile.
#ifdef _WIN32
void useParentConsole();
#else
inline void useParentConsole() {}
#endif
