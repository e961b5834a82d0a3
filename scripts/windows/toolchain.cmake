# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads,
# which Qt's std::thread use needs). A copy sits at the top of the cached
# prefix, so the libraries there are found beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH "${CMAKE_CURRENT_LIST_DIR}" /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config would otherwise hand over the build machine's X and font libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${CMAKE_CURRENT_LIST_DIR}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Everything linked in: no libstdc++, libgcc or winpthread DLL beside the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
