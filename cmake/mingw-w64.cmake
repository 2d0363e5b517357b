# Cross-compiling for Windows with Debian's mingw-w64, shared by the two
# toolchain files, which set MINGW_W64_TRIPLET and CMAKE_SYSTEM_PROCESSOR first.
# The compilers are the posix thread model ones, which have std::thread and
# std::mutex. Every .exe is linked statically, C and C++ runtimes and the
# threads library included, so that it runs with nothing beside it but the
# DLLs every Windows has.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_W64_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_W64_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_W64_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_W64_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test .exe files under Wine when it is installed.
find_program(MINGW_W64_WINE wine)
if(MINGW_W64_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${MINGW_W64_WINE})
endif()
