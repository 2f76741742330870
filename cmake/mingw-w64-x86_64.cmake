# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model). Programs link
# statically, so they need no DLL beside the system's; tests run through wine (wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BRINTOVA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRINTOVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRINTOVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BRINTOVA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BRINTOVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Without -static the posix-thread runtime still imports libwinpthread-1.dll, whose absence
# shows under wine only as exit status 53.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
